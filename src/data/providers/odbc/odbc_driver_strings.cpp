#include "odbc_driver_strings.h"

#include <algorithm>
#include <cctype>

#include "ado_errors.h"

namespace ado::odbc {
namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool containsNoCase(const std::string &text, const std::string &part)
{
    return lower(text).find(lower(part)) != std::string::npos;
}

// The first driver whose name equals one of `exact` (in that order of
// preference), else the first whose name contains `part`.
std::string pickDriver(const std::vector<std::string> &drivers, std::initializer_list<const char *> exact,
                       const char *part)
{
    for (const char *want : exact)
        for (const auto &name : drivers)
            if (equalsNoCase(name, want))
                return name;
    if (part)
        for (const auto &name : drivers)
            if (containsNoCase(name, part))
                return name;
    return {};
}

void add(std::string &out, const char *key, const std::string &value)
{
    out += key;
    out += '=';
    out += braceValue(value);
    out += ';';
}

// The driver's name always goes in braces.
void addDriver(std::string &out, const std::string &name)
{
    std::string braced = braceValue(name);
    out += "DRIVER=";
    out += braced.front() == '{' ? braced : "{" + braced + "}";
    out += ';';
}

void addIfSet(std::string &out, const char *key, const std::string &value)
{
    if (!value.empty())
        add(out, key, value);
}

DriverTarget accessTarget(const ConnectionString &cs, const std::vector<std::string> &drivers)
{
    DriverTarget target;
    target.engine = Engine::Access;
    target.driver = pickDriver(drivers, {"MDBTools"}, "mdbtools");
    if (target.driver.empty())
        throw EProviderError("No ODBC driver for Microsoft Access files is registered on this system: "
                             "install the odbc-mdbtools package (the MDBTools driver).");
    target.dataSource = cs.value("Data Source");
    addDriver(target.connectionString, target.driver);
    add(target.connectionString, "DBQ", target.dataSource);
    return target;
}

// "host", "host\instance" or "host,port" (also "tcp:host,port").
struct ServerAddress {
    std::string host;
    std::string instance;
    std::string port;
};

std::string trimmed(const std::string &text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

ServerAddress parseServer(std::string text)
{
    ServerAddress address;
    text = trimmed(text);
    if (lower(text.substr(0, 4)) == "tcp:")
        text = text.substr(4);
    if (auto comma = text.find(','); comma != std::string::npos) {
        address.port = trimmed(text.substr(comma + 1));
        text = trimmed(text.substr(0, comma));
    }
    if (auto slash = text.find('\\'); slash != std::string::npos) {
        address.instance = text.substr(slash + 1);
        text = text.substr(0, slash);
    }
    address.host = text;
    return address;
}

DriverTarget sqlServerTarget(const ConnectionString &cs, const std::vector<std::string> &drivers)
{
    DriverTarget target;
    target.engine = Engine::SqlServer;
    target.driver = pickDriver(drivers, {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"},
                               "freetds");
    if (target.driver.empty())
        throw EProviderError("No ODBC driver for Microsoft SQL Server is registered on this system: "
                             "install the tdsodbc package (FreeTDS) or Microsoft's ODBC Driver 18 for SQL Server.");
    const std::string dataSource = cs.value("Data Source");
    std::string &out = target.connectionString;
    addDriver(out, target.driver);
    const bool microsoft = containsNoCase(target.driver, "ODBC Driver");
    if (microsoft) {
        // Microsoft's driver reads host\instance and host,port itself.
        add(out, "SERVER", trimmed(dataSource));
    } else {
        ServerAddress address = parseServer(dataSource);
        if (address.host == "." || equalsNoCase(address.host, "(local)") || address.host.empty())
            address.host = "localhost";
        if (!address.instance.empty() && address.port.empty()) {
            add(out, "SERVER", address.host + "\\" + address.instance);
        } else {
            add(out, "SERVER", address.host);
            addIfSet(out, "PORT", address.port);
        }
    }
    addIfSet(out, "DATABASE", cs.value("Initial Catalog"));
    addIfSet(out, "UID", cs.value("User ID"));
    addIfSet(out, "PWD", cs.value("Password"));
    if (microsoft) {
        // The OLE DB provider never asked for encryption; version 18 would insist on it.
        if (containsNoCase(target.driver, "18"))
            out += "Encrypt=no;";
    } else {
        out += "TDS_Version=7.4;ClientCharset=UTF-8;";
    }
    return target;
}

DriverTarget oracleTarget(const ConnectionString &cs, const std::vector<std::string> &drivers)
{
    DriverTarget target;
    target.engine = Engine::Oracle;
    target.driver = pickDriver(drivers, {}, "oracle");
    if (target.driver.empty())
        throw EProviderError("No ODBC driver for Oracle is registered on this system: install Oracle Instant "
                             "Client's ODBC driver and register it with odbcinst.");
    std::string &out = target.connectionString;
    addDriver(out, target.driver);
    add(out, "DBQ", trimmed(cs.value("Data Source")));
    addIfSet(out, "UID", cs.value("User ID"));
    addIfSet(out, "PWD", cs.value("Password"));
    return target;
}

} // namespace

Engine engineOfProvider(const std::string &provider)
{
    if (equalsNoCase(provider, "Microsoft.Jet.OLEDB.4.0"))
        return Engine::Access;
    if (equalsNoCase(provider, "SQLOLEDB.1") || equalsNoCase(provider, "SQLOLEDB"))
        return Engine::SqlServer;
    if (equalsNoCase(provider, "OraOLEDB.Oracle.1") || equalsNoCase(provider, "MSDAORA.1"))
        return Engine::Oracle;
    return Engine::Other;
}

std::string braceValue(const std::string &value)
{
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                             (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                                                 std::isspace(static_cast<unsigned char>(value.back()))));
    if (!needsBraces)
        return value;
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}')
            out += '}';
    }
    out += '}';
    return out;
}

DriverTarget translate(const ConnectionString &text, const std::vector<std::string> &drivers)
{
    switch (engineOfProvider(text.value("Provider"))) {
    case Engine::Access: return accessTarget(text, drivers);
    case Engine::SqlServer: return sqlServerTarget(text, drivers);
    case Engine::Oracle: return oracleTarget(text, drivers);
    case Engine::Other: break;
    }
    DriverTarget target;
    target.driver = text.value("DRIVER");
    target.connectionString = text.text();
    return target;
}

} // namespace ado::odbc
