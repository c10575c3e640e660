#include "testenv.h"

#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace testenv {
namespace {
std::string env(const char *name, const char *fallback = "")
{
    const char *v = std::getenv(name);
    return v && *v ? v : fallback;
}

void runClient(const QString &program, const QStringList &args, const std::string &input,
               const QProcessEnvironment &environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        throw std::runtime_error("cannot start " + program.toStdString());
    p.write(input.data(), qint64(input.size()));
    p.closeWriteChannel();
    p.waitForFinished(120000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed: " + p.readAllStandardError().toStdString() +
                                 "\nSQL: " + input);
}
} // namespace

bool pgAvailable() { return !env("TABULON_PG_SOCKET").empty(); }
bool myAvailable() { return !env("TABULON_MY_SOCKET").empty(); }
std::string pgSocket() { return env("TABULON_PG_SOCKET"); }
int pgPort() { return std::atoi(env("TABULON_PG_PORT", "5432").c_str()); }
std::string pgUser() { return env("TABULON_PG_USER", "tabulon"); }
std::string pgPassword() { return env("TABULON_PG_PASSWORD", "tabulon-pw"); }
std::string pgDatabase() { return env("TABULON_PG_DATABASE", "tabulon_test"); }
std::string mySocket() { return env("TABULON_MY_SOCKET"); }
int myPort() { return std::atoi(env("TABULON_MY_PORT", "3306").c_str()); }
std::string myUser() { return env("TABULON_MY_USER", "tabulon"); }
std::string myPassword() { return env("TABULON_MY_PASSWORD", "tabulon-pw"); }
std::string myDatabase() { return env("TABULON_MY_DATABASE", "tabulon_test"); }

std::string pgConnectionString(const std::string &database)
{
    std::string s = "Provider=PGNP.1;Password=" + pgPassword() + ";Persist Security Info=True;User ID=" + pgUser();
    if (!database.empty())
        s += ";Initial Catalog=" + database;
    s += ";Data Source=" + pgSocket() + ";Port=" + std::to_string(pgPort()) +
         ";Extended Properties=\"SSL=allow;\"";
    return s;
}

std::string myConnectionString(const std::string &database)
{
    return "DRIVER={MySQL ODBC 5.1 Driver}; SERVER=" + mySocket() + "; PORT=" + std::to_string(myPort()) +
           "; DATABASE=" + database + "; UID=" + myUser() + "; PASSWORD=" + myPassword() + ";OPTION=3;";
}

void pgExec(const std::string &sql, const std::string &database)
{
    auto e = QProcessEnvironment::systemEnvironment();
    e.insert("PGPASSWORD", QString::fromStdString(pgPassword()));
    runClient("psql",
              {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", QString::fromStdString(pgSocket()), "-p",
               QString::number(pgPort()), "-U", QString::fromStdString(pgUser()), "-d",
               QString::fromStdString(database)},
              sql, e);
}

void myExec(const std::string &sql, const std::string &database)
{
    QStringList args{"--no-defaults", "-S", QString::fromStdString(mySocket()), "-u",
                     QString::fromStdString(myUser()), "-p" + QString::fromStdString(myPassword())};
    if (!database.empty())
        args << QString::fromStdString(database);
    runClient("mariadb", args, sql, QProcessEnvironment::systemEnvironment());
}

void fbCreate(const std::string &path, const std::string &ddl)
{
    runClient("isql-fb", {"-q"}, "create database '" + path + "';\n" + ddl + "commit;\n",
              QProcessEnvironment::systemEnvironment());
}

std::string accessFixtureDir()
{
    return QDir(QStringLiteral(TABULON_SOURCE_DIR "/../shared/fixtures/access")).absolutePath().toStdString();
}

std::string tempDir()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    return dirs.back()->path().toStdString();
}

QByteArray readBytes(const QString &path)
{
    return QByteArray::fromStdString(testfiles::readBytes(path));
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    if (!testfiles::writeBytes(path, std::string_view(bytes.constData(), size_t(bytes.size()))))
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

} // namespace testenv
