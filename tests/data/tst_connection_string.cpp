// Connection strings in both syntaxes the program builds, and the faults a
// malformed one must report instead of connecting somewhere else.
#include <gtest/gtest.h>

#include "ado.h"
#include "connection_string.h"

using ado::ConnectionString;

struct PairCase {
    const char *text;
    const char *key;
    const char *expected;
};

class ConnectionStringValues : public ::testing::TestWithParam<PairCase> {};

TEST_P(ConnectionStringValues, ReadsValue)
{
    const PairCase c = GetParam();
    const ConnectionString cs = ConnectionString::parse(c.text);
    ASSERT_TRUE(cs.has(c.key)) << c.text;
    EXPECT_EQ(cs.value(c.key), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Syntaxes, ConnectionStringValues,
    ::testing::Values(
        PairCase{"Provider=PGNP.1;Password=secret;User ID=bob", "user id", "bob"},
        PairCase{"Provider=PGNP.1;Password=secret;User ID=bob", "PROVIDER", "PGNP.1"},
        PairCase{"Provider=X;Data Source=\"\";Location=/tmp/a b.fdb", "Data Source", ""},
        PairCase{"Provider=X;Data Source=\"\";Location=/tmp/a b.fdb", "location", "/tmp/a b.fdb"},
        PairCase{"Provider=X;Extended Properties=\"SSL=allow;\"", "Extended Properties", "SSL=allow;"},
        PairCase{"Provider=X;Password=\"a;b=c\"\"d'e}f\"", "Password", "a;b=c\"d'e}f"},
        PairCase{"Provider=X;Password='it''s'", "Password", "it's"},
        PairCase{"Provider=X;Password=\"  padded  \"", "Password", "  padded  "},
        PairCase{"DRIVER={MySQL ODBC 5.1 Driver}; SERVER=/run/my.sock; PORT=0; DATABASE=; UID=u; PASSWORD=p;OPTION=3;",
                 "driver", "MySQL ODBC 5.1 Driver"},
        PairCase{"DRIVER={MySQL ODBC 5.1 Driver}; SERVER=/run/my.sock; PORT=0; DATABASE=; UID=u; PASSWORD=p;OPTION=3;",
                 "DATABASE", ""},
        PairCase{"DRIVER={MySQL ODBC 5.1 Driver}; SERVER=h; PASSWORD={p;w}}d=\"x\"};OPTION=3;", "password",
                 "p;w}d=\"x\""},
        PairCase{"DRIVER={X}; OPTION=2; OPTION=3", "OPTION", "3"}));

TEST(ConnectionString, MalformedStringsFailWithAMessageThatSaysWhy)
{
    struct Case {
        const char *text;
        const char *fragment;
    } cases[] = {
        {"Provider=X;Password=\"open", "no closing quote"},
        {"DRIVER={MySQL ODBC 5.1 Driver; SERVER=h", "no closing brace"},
        {"Provider=X;JustAWord;User ID=u", "\"JustAWord\" is not followed by \"=\""},
        {"Provider=X;=value", "a value without a key"},
        {"Provider=X;Password=\"quoted\"trailing;", "unexpected text after the quoted value"},
    };
    for (const Case &c : cases) {
        try {
            ConnectionString::parse(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ado::EADOError &e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << c.text << " -> " << e.what();
        }
    }
}

TEST(ConnectionString, QuotingRoundTripsEveryAwkwardValue)
{
    const std::string values[] = {"plain", "", "a;b", "say \"hi\"", "it's", "{brace}", "a}b", "k=v", " lead",
                                  "trail ", "}}", "\"", ";=;"};
    for (const std::string &v : values) {
        const auto ole = ConnectionString::parse("Provider=X;Password=" + ConnectionString::quoteOleDbValue(v) +
                                                 ";User ID=u");
        EXPECT_EQ(ole.value("Password"), v);
        EXPECT_EQ(ole.value("User ID"), "u");
        const auto odbc = ConnectionString::parse("DRIVER={X}; PASSWORD=" + ConnectionString::quoteOdbcValue(v) +
                                                  ";OPTION=3;");
        EXPECT_EQ(odbc.value("PASSWORD"), v);
        EXPECT_EQ(odbc.value("OPTION"), "3");
    }
    // Values that need no quoting stay byte for byte.
    EXPECT_EQ(ConnectionString::quoteOleDbValue("C:\\data\\shop.mdb"), "C:\\data\\shop.mdb");
    EXPECT_EQ(ConnectionString::quoteOdbcValue("/run/mysqld/mysqld.sock"), "/run/mysqld/mysqld.sock");
}

TEST(ProviderRegistry, EmptyUnknownAndMalformedStringsFailAtOpen)
{
    struct Case {
        const char *text;
        const char *fragment;
    } cases[] = {
        {"", "empty"},
        {"   ", "empty"},
        {"Provider=No.Such.Provider.1;Data Source=x", "No.Such.Provider.1"},
        {"User ID=u;Password=p", "names no provider"},
        {"Provider=PGNP.1;Password=\"unterminated", "no closing quote"},
    };
    for (const Case &c : cases) {
        ado::TADOConnection connection;
        connection.ConnectionString = c.text;
        try {
            connection.Open();
            ADD_FAILURE() << "opened: " << c.text;
        } catch (const ado::Exception &e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << c.text << " -> " << e.what();
        }
        EXPECT_FALSE(connection.Connected());
    }
}
