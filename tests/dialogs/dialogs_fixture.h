#pragma once
// Helpers for the dialog tests: recorded message boxes and file dialogs, and
// databases to connect to.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <string>
#include <vector>

#include "o_Prompts.h"
#include "o_ServerConnection.h"
#include "testenv.h"

namespace dialogs_test {

// Answers every message box with Ok and every file dialog with `fileAnswer`,
// keeping what was asked.
class RecordedPrompts {
public:
    RecordedPrompts()
    {
        prompts::setMessageAnswerer([this](const prompts::MessageRequest &r) {
            messages.push_back(r);
            return QMessageBox::Ok;
        });
        prompts::setFileAnswerer([this](const prompts::FileRequest &r) {
            files.push_back(r);
            return fileAnswer;
        });
    }
    ~RecordedPrompts()
    {
        prompts::setMessageAnswerer({});
        prompts::setFileAnswerer({});
    }
    RecordedPrompts(const RecordedPrompts &) = delete;
    RecordedPrompts &operator=(const RecordedPrompts &) = delete;

    std::vector<prompts::MessageRequest> messages;
    std::vector<prompts::FileRequest> files;
    prompts::FileAnswer fileAnswer;
};

// A new embedded Firebird database file in a temporary folder, made with
// isql-fb from `ddl` (statements ending with ';').
inline std::string createFirebirdDatabase(const std::string &ddl = "")
{
    static int serial = 0;
    const std::string path = testenv::tempDir() + "/dialogs" + std::to_string(++serial) + ".fdb";
    const std::string script =
        "create database '" + path + "' user 'SYSDBA' password 'masterkey';\n" + ddl + "\ncommit;\n";
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
    if (!isql.waitForStarted(10000))
        throw std::runtime_error("cannot start isql-fb");
    isql.write(script.data(), qint64(script.size()));
    isql.closeWriteChannel();
    isql.waitForFinished(60000);
    const QByteArray errors = isql.readAllStandardError();
    if (isql.exitCode() != 0 || !errors.isEmpty() || !QFile::exists(QString::fromStdString(path)))
        throw std::runtime_error("isql-fb failed: " + errors.toStdString());
    return path;
}

// A new SQLite database file in a temporary folder, made by the engine itself
// from `ddl` (after one write, so that even an empty one is a whole file).
inline std::string createSQLiteDatabase(const std::string &ddl = "")
{
    static int serial = 0;
    const std::string path = testenv::tempDir() + "/dialogs" + std::to_string(++serial) + ".sqlite";
    sqlite3 *db = nullptr;
    char *error = nullptr;
    const bool made = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
                          SQLITE_OK &&
                      sqlite3_exec(db, ("pragma user_version = 1;" + ddl).c_str(), nullptr, nullptr, &error) ==
                          SQLITE_OK;
    const std::string message = error ? error : db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_free(error);
    sqlite3_close(db);
    if (!made)
        throw std::runtime_error("cannot make " + path + ": " + message);
    return path;
}

// A child table referring to a parent table by a foreign key, under the
// given name prefix: enough rows for every kind of schema row set.
inline std::string parentChildDdl(const std::string &prefix)
{
    return "create table " + prefix + "parent (id integer not null primary key, name varchar(20));\n"
           "create index " + prefix + "parent_name on " + prefix + "parent (name);\n"
           "create table " + prefix + "child (id integer not null primary key, parent_id integer,\n"
           "  foreign key (parent_id) references " + prefix + "parent (id));\n";
}

} // namespace dialogs_test
