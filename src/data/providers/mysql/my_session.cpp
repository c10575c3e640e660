#include "my_session.h"

#include <charconv>
#include <mutex>

#include "ado_errors.h"

namespace ado::my {
namespace {

unsigned long long parseNumber(const std::string &text)
{
    unsigned long long n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    return ec == std::errc() && end == text.data() + text.size() ? n : 0;
}

} // namespace

SessionSettings sessionSettings(const ConnectionString &cs)
{
    SessionSettings s;
    const std::string server = cs.value("SERVER");
    if (!server.empty() && server.front() == '/')
        s.socket = server;
    else
        s.host = server;
    const unsigned long long port = parseNumber(cs.value("PORT"));
    s.port = port <= 65535 ? unsigned(port) : 0;
    s.database = cs.value("DATABASE");
    s.user = cs.valueOf({"UID", "USER"});
    s.password = cs.valueOf({"PASSWORD", "PWD"});
    const unsigned long long option = parseNumber(cs.value("OPTION"));
    // Scripts hold several statements; a procedure's CALL returns several results.
    s.clientFlags = CLIENT_MULTI_STATEMENTS | CLIENT_MULTI_RESULTS;
    if (option & kOptionFoundRows)
        s.clientFlags |= CLIENT_FOUND_ROWS;
    return s;
}

MYSQL *connectSession(const SessionSettings &s)
{
    // The library's global state must be set up once, before any thread uses it.
    static std::once_flag initialised;
    std::call_once(initialised, [] { mysql_library_init(0, nullptr, nullptr); });

    MYSQL *m = mysql_init(nullptr);
    if (!m)
        throw EProviderError("MySQL client ran out of memory");
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const unsigned int timeout = 30;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    const unsigned long maxPacket = 1024UL * 1024UL * 1024UL;
    mysql_options(m, MYSQL_OPT_MAX_ALLOWED_PACKET, &maxPacket);
    const unsigned int noLocalFiles = 0;
    mysql_options(m, MYSQL_OPT_LOCAL_INFILE, &noLocalFiles);
    auto orNull = [](const std::string &v) { return v.empty() ? nullptr : v.c_str(); };
    if (!mysql_real_connect(m, orNull(s.host), s.user.c_str(), s.password.c_str(), orNull(s.database), s.port,
                            orNull(s.socket), s.clientFlags)) {
        std::string message = mysql_error(m);
        mysql_close(m);
        throw EProviderError(message);
    }
    return m;
}

} // namespace ado::my
