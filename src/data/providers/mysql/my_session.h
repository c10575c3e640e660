#pragma once
// How a MySQL/MariaDB session is opened from a DRIVER={MySQL ODBC 5.1 Driver}
// connection string, through MariaDB Connector/C.

#include <mysql.h>

#include <string>

#include "connection_string.h"

namespace ado::my {

struct SessionSettings {
    std::string host;   // empty: libmariadb's default (localhost, its default socket)
    std::string socket; // a SERVER that starts with "/"
    unsigned int port = 0;
    std::string database; // empty: none selected
    std::string user;
    std::string password;
    unsigned long clientFlags = 0;
};

// The driver's OPTION bit that makes UPDATE count matched instead of changed rows.
constexpr unsigned long kOptionFoundRows = 2;

SessionSettings sessionSettings(const ConnectionString &cs);

// A connected handle, or EProviderError with the library's message.
MYSQL *connectSession(const SessionSettings &settings);

} // namespace ado::my
