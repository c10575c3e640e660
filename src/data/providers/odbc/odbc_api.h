#pragma once
// Small helpers over the unixODBC call interface: handles that free
// themselves, the diagnostic records as one message, the registered drivers.

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace ado::odbc {

// The diagnostic records of a handle, each "[state] message", joined by
// line breaks; the driver's text is kept as it stands.
std::string diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Throws EProviderError with the handle's diagnostics when rc is an error;
// `fallback` is the message when the driver left no diagnostic record.
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *fallback);

// Names of the drivers the driver manager knows (odbcinst.ini), in its order.
std::vector<std::string> registeredDrivers();

class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&other) noexcept : m_type(other.m_type), m_handle(other.m_handle) { other.m_handle = SQL_NULL_HANDLE; }
    Handle &operator=(Handle &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = other.m_handle;
            other.m_handle = SQL_NULL_HANDLE;
        }
        return *this;
    }
    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }
    void reset();

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// An environment set to ODBC 3 behaviour.
Handle makeEnvironment();

} // namespace ado::odbc
