#include "odbc_api.h"

#include "ado_errors.h"

namespace ado::odbc {

std::string diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::string text;
    if (handle == SQL_NULL_HANDLE)
        return text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        std::string message(1024, '\0');
        SQLRETURN rc = SQLGetDiagRec(handleType, handle, record, state, &nativeError,
                                     reinterpret_cast<SQLCHAR *>(message.data()), SQLSMALLINT(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
            message.assign(size_t(length) + 1, '\0');
            rc = SQLGetDiagRec(handleType, handle, record, state, &nativeError,
                               reinterpret_cast<SQLCHAR *>(message.data()), SQLSMALLINT(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        message.resize(std::min<size_t>(size_t(length), message.size()));
        // Some drivers end their message with a line break; the records are joined by one anyway.
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
            message.pop_back();
        if (!text.empty())
            text += '\n';
        const std::string stateText(reinterpret_cast<const char *>(state));
        if (!stateText.empty())
            text += "[" + stateText + "] ";
        text += message;
    }
    return text;
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *fallback)
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    std::string message = diagnostics(handleType, handle);
    if (message.empty())
        message = fallback;
    throw EProviderError(message);
}

std::vector<std::string> registeredDrivers()
{
    std::vector<std::string> names;
    Handle env = makeEnvironment();
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512];
        SQLCHAR attributes[2048];
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        SQLRETURN rc = SQLDrivers(env.get(), direction, name, sizeof name, &nameLength, attributes, sizeof attributes,
                                  &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        names.emplace_back(reinterpret_cast<const char *>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(rc)) {
        m_handle = SQL_NULL_HANDLE;
        // Diagnostics of a failed allocation sit on the parent handle.
        const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
        std::string message = diagnostics(parentType, parent);
        throw EProviderError(message.empty() ? "The ODBC driver manager could not allocate a handle." : message);
    }
}

void Handle::reset()
{
    if (m_handle != SQL_NULL_HANDLE) {
        if (m_type == SQL_HANDLE_DBC)
            SQLDisconnect(m_handle); // harmless when not connected
        SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }
}

Handle makeEnvironment()
{
    Handle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return env;
}

} // namespace ado::odbc
