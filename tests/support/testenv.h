#pragma once
// Where the test servers and fixtures are. The test command starts the
// PostgreSQL and MariaDB servers and exports their settings; a test that needs
// a server which is not running fails and names it (REQUIRE_PG / REQUIRE_MY).

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <string>

namespace testenv {

bool pgAvailable();
bool myAvailable();
std::string pgSocket();
int pgPort();
std::string pgUser();
std::string pgPassword();
std::string pgDatabase();
std::string mySocket();
int myPort();
std::string myUser();
std::string myPassword();
std::string myDatabase();

// Connection strings in the form the program builds them.
// PostgreSQL over its unix socket folder, with a port key.
std::string pgConnectionString(const std::string &database = pgDatabase());
// MariaDB through the MySQL driver string, over its socket.
std::string myConnectionString(const std::string &database = myDatabase());

// Run SQL directly on the test servers through their command-line clients
// (setting up fixtures without going through the code under test).
void pgExec(const std::string &sql, const std::string &database = pgDatabase());
void myExec(const std::string &sql, const std::string &database = "");

// Create an embedded Firebird database file at `path` and run `ddl` in it
// (statements ending with ';') through isql-fb, committed.
void fbCreate(const std::string &path, const std::string &ddl = "");

// ../shared/fixtures/access beside the checkout (read-only).
std::string accessFixtureDir();
// A fresh temporary folder that lives until the test program ends.
std::string tempDir();

// A file's bytes ("<missing>" when it cannot be read), and writing them.
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

} // namespace testenv

#define REQUIRE_PG()                                                                                       \
    do {                                                                                                   \
        if (!testenv::pgAvailable())                                                                       \
            FAIL() << "The PostgreSQL test server is not running (TABULON_PG_SOCKET is not set): "         \
                      "run the suite through the README's test command";                                   \
    } while (0)

#define REQUIRE_MY()                                                                                       \
    do {                                                                                                   \
        if (!testenv::myAvailable())                                                                       \
            FAIL() << "The MariaDB test server is not running (TABULON_MY_SOCKET is not set): "            \
                      "run the suite through the README's test command";                                   \
    } while (0)
