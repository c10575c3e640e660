#pragma once
// A connection's settings for the test servers and for a fresh embedded
// Firebird database, as the connect dialog would fill them.

#include "o_ServerConnection.h"
#include "providers/firebird/fb_client.h"
#include "testenv.h"

namespace testenv {

inline void pgSettings(TqdServerConnection &c)
{
    c.DBEngine = sePostGre;
    c.ServerName = pgSocket();
    c.Port = pgPort();
    c.UserName = pgUser();
    c.Password = pgPassword();
    c.DataBaseName = pgDatabase();
}

inline void mySettings(TqdServerConnection &c)
{
    c.DBEngine = seMySQL;
    c.ServerName = mySocket();
    c.Port = myPort();
    c.UserName = myUser();
    c.Password = myPassword();
    c.DataBaseName = myDatabase();
}

// A new, empty database file in a temporary folder.
inline void fbSettings(TqdServerConnection &c)
{
    static int serial = 0;
    const std::string path = tempDir() + "/embedded" + std::to_string(++serial) + ".fdb";
    ado::fb::createDatabase(path, "UTF8");
    c.DBEngine = seFireBird;
    c.ServerName = path;
}

} // namespace testenv
