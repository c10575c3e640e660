// The ODBC provider without a server: the driver strings built for SQL
// Server, Oracle and Access, the messages when a driver is missing, and real
// connection attempts that must fail with the driver's own text.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "ado_errors.h"
#include "connection_string.h"
#include "provider.h"
#include "providers/odbc/odbc_connection.h"
#include "providers/odbc/odbc_driver_strings.h"
#include "providers/odbc/odbc_rowset.h"

using namespace ado;
using namespace ado::odbc;

namespace {

const std::vector<std::string> kFreeTdsOnly = {"FreeTDS", "MDBTools"};

struct TranslateCase {
    const char *name;
    const char *input;
    std::vector<std::string> drivers;
    const char *expected;
};

TEST(OdbcDriverStrings, Translation)
{
    const TranslateCase cases[] = {
        {"access", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/a b.mdb;Persist Security Info=False",
         kFreeTdsOnly, "DRIVER={MDBTools};DBQ=/data/a b.mdb;"},
        {"access path with ;", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/data/x;y.mdb\"", kFreeTdsOnly,
         "DRIVER={MDBTools};DBQ={/data/x;y.mdb};"},
        {"sql server host", "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=sales;Data Source=db1",
         kFreeTdsOnly,
         "DRIVER={FreeTDS};SERVER=db1;DATABASE=sales;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8;"},
        {"sql server instance", "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=;Data Source=db1\\SQLEXPRESS",
         kFreeTdsOnly, "DRIVER={FreeTDS};SERVER=db1\\SQLEXPRESS;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8;"},
        {"sql server port", "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=db;Data Source=10.0.0.5,1500",
         kFreeTdsOnly,
         "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1500;DATABASE=db;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8;"},
        {"password with ; and }", "Provider=SQLOLEDB.1;Password=\"a;b}c\";User ID=sa;Initial Catalog=db;Data Source=h",
         kFreeTdsOnly,
         "DRIVER={FreeTDS};SERVER=h;DATABASE=db;UID=sa;PWD={a;b}}c};TDS_Version=7.4;ClientCharset=UTF-8;"},
        {"password starting with {", "Provider=SQLOLEDB.1;Password=\"{x}\";User ID=sa;Data Source=h", kFreeTdsOnly,
         "DRIVER={FreeTDS};SERVER=h;UID=sa;PWD={{x}}};TDS_Version=7.4;ClientCharset=UTF-8;"},
        {"microsoft 17 before freetds",
         "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=db;Data Source=db1,1500",
         {"FreeTDS", "ODBC Driver 17 for SQL Server"},
         "DRIVER={ODBC Driver 17 for SQL Server};SERVER=db1,1500;DATABASE=db;UID=sa;PWD=pw;"},
        {"microsoft 18 before 17", "Provider=SQLOLEDB.1;Password=pw;User ID=sa;Initial Catalog=db;Data Source=db1\\i",
         {"ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
         "DRIVER={ODBC Driver 18 for SQL Server};SERVER=db1\\i;DATABASE=db;UID=sa;PWD=pw;Encrypt=no;"},
        {"oracle", "Provider=OraOLEDB.Oracle.1;Password=tiger;Persist Security Info=False;User ID=scott;Data Source=//h:1521/XE",
         {"FreeTDS", "Oracle 19 ODBC driver"}, "DRIVER={Oracle 19 ODBC driver};DBQ=//h:1521/XE;UID=scott;PWD=tiger;"},
        {"oracle through microsoft's name", "Provider=MSDAORA.1;Password=tiger;User ID=scott;Data Source=ORCL;Persist Security Info=False",
         {"Oracle in instantclient_21"}, "DRIVER={Oracle in instantclient_21};DBQ=ORCL;UID=scott;PWD=tiger;"},
        {"other driver string unchanged", "DRIVER={Some Driver}; SERVER=x; PWD={a;b};", kFreeTdsOnly,
         "DRIVER={Some Driver}; SERVER=x; PWD={a;b};"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(translate(ConnectionString::parse(c.input), c.drivers).connectionString, c.expected);
    }
}

TEST(OdbcDriverStrings, MissingDriverNamesEngineAndPackage)
{
    const struct {
        const char *input;
        std::vector<std::string> drivers;
        const char *message;
    } cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a.mdb", {"FreeTDS"},
         "No ODBC driver for Microsoft Access files is registered on this system: install the odbc-mdbtools package "
         "(the MDBTools driver)."},
        {"Provider=SQLOLEDB.1;Data Source=h", {"MDBTools"},
         "No ODBC driver for Microsoft SQL Server is registered on this system: install the tdsodbc package "
         "(FreeTDS) or Microsoft's ODBC Driver 18 for SQL Server."},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL", kFreeTdsOnly,
         "No ODBC driver for Oracle is registered on this system: install Oracle Instant Client's ODBC driver and "
         "register it with odbcinst."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        try {
            translate(ConnectionString::parse(c.input), c.drivers);
            ADD_FAILURE() << "no error";
        } catch (const EProviderError &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

std::string openError(const std::string &connectionString)
{
    auto connection = ProviderRegistry::instance().create(connectionString);
    try {
        connection->open();
    } catch (const EProviderError &e) {
        EXPECT_FALSE(connection->isOpen());
        return e.message();
    }
    ADD_FAILURE() << "open succeeded: " << connectionString;
    return {};
}

// A loopback port that nothing listens on (bound once, then released).
int closedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

TEST(OdbcConnect, SqlServerThroughFreeTdsReportsTheDriversMessage)
{
    const auto drivers = registeredDrivers();
    ASSERT_TRUE(std::find(drivers.begin(), drivers.end(), "FreeTDS") != drivers.end())
        << "the FreeTDS driver (package tdsodbc) is not registered";
    const std::string message = openError("Provider=SQLOLEDB.1;Password=\"a;b}\";User ID=sa;Initial Catalog=master;"
                                          "Data Source=127.0.0.1," +
                                          std::to_string(closedPort()));
    EXPECT_NE(message.find("[08001]"), std::string::npos) << message;
    EXPECT_NE(message.find("[FreeTDS]"), std::string::npos) << message;
}

TEST(OdbcConnect, OracleWithoutDriverSaysWhatToInstall)
{
    for (const auto &name : registeredDrivers())
        if (name.find("Oracle") != std::string::npos || name.find("oracle") != std::string::npos)
            GTEST_SKIP() << "an Oracle driver is registered here: " << name;
    for (const char *provider : {"OraOLEDB.Oracle.1", "MSDAORA.1"})
        EXPECT_EQ(openError(std::string("Provider=") + provider + ";Password=p;User ID=u;Data Source=ORCL"),
                  "No ODBC driver for Oracle is registered on this system: install Oracle Instant Client's ODBC "
                  "driver and register it with odbcinst.");
}

TEST(OdbcConnect, UnknownDriverStringGoesToTheDriverManager)
{
    const std::string message = openError("DRIVER={No Such Driver 9};SERVER=x;");
    EXPECT_NE(message.find("[unixODBC][Driver Manager]"), std::string::npos) << message;
}

TEST(OdbcStatements, LeadingKeyword)
{
    const struct {
        const char *statement;
        const char *keyword;
    } cases[] = {
        {"select * from t", "SELECT"},
        {"  \n\tInsert into t values (1)", "INSERT"},
        {"-- note\n/* block\n comment */ update t set a = 1", "UPDATE"},
        {"((SELECT 1))", "SELECT"},
        {"/* unterminated", ""},
        {"", ""},
        {"drop_table", "DROP_TABLE"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(leadingKeyword(c.statement), c.keyword) << c.statement;
}

TEST(OdbcRowStorage, CellsAcrossBlockBoundariesReadBack)
{
    CellStore store;
    std::vector<std::string> values;
    // 300 cells of 7001 bytes cross the 1 MiB block boundaries at changing offsets.
    for (int i = 0; i < 300; ++i) {
        values.push_back(std::string(7001, char('a' + i % 26)) + std::to_string(i));
        store.append(values.back().data(), values.back().size());
        if (i % 50 == 0)
            store.appendNull();
    }
    std::string scratch;
    size_t cell = 0;
    for (int i = 0; i < 300; ++i) {
        ASSERT_FALSE(store.isNull(cell));
        ASSERT_EQ(store.view(cell++, scratch), values[size_t(i)]) << i;
        if (i % 50 == 0) {
            EXPECT_TRUE(store.isNull(cell));
            EXPECT_TRUE(store.view(cell++, scratch).empty());
        }
    }
}

} // namespace
