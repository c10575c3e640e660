// The embedded Firebird engine's lock folder: one rule for the program, its
// tests and the shell scripts, and an ordinary user is not locked out by a
// folder that root made first.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "providers/firebird/fb_lock.h"
#include "testenv.h"

namespace {

const std::string kScript = std::string(TABULON_SOURCE_DIR) + "/tools/firebird-lock.sh";

// Restores one environment variable when it goes out of scope.
class EnvGuard {
public:
    explicit EnvGuard(const char *name) : m_name(name)
    {
        if (const char *v = std::getenv(name))
            m_old = v, m_had = true;
    }
    ~EnvGuard()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }
    void set(const char *value)
    {
        if (value)
            setenv(m_name, value, 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    std::string m_old;
    bool m_had = false;
};

// What the shell scripts' rule gives in the current environment.
std::string scriptRule(const std::string &script = kScript)
{
    QProcess sh;
    sh.start("sh", {"-c", QString::fromStdString(". '" + script + "' && printf %s \"${FIREBIRD_LOCK:-}\"")});
    EXPECT_TRUE(sh.waitForFinished(10000));
    EXPECT_EQ(sh.exitCode(), 0) << sh.readAllStandardError().toStdString();
    return sh.readAllStandardOutput().toStdString();
}

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs `argv` as an ordinary user: "nobody" when the tests run as root (the
// way CI runs them), else the current user. The output comes back whole.
Outcome runAsOrdinaryUser(const std::vector<std::string> &argv, const std::vector<std::string> &env)
{
    uid_t uid = geteuid();
    gid_t gid = getegid();
    if (uid == 0) {
        const passwd *nobody = getpwnam("nobody");
        if (!nobody)
            return {-1, "no user 'nobody' on this machine"};
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    std::vector<char *> args, envp;
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const auto &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0)
        return {-1, "pipe failed"};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(126);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    Outcome out;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.output.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// A folder every user may write to, holding copies of what the ordinary user
// runs (the checkout itself may not be readable for another user).
std::string sharedFolder()
{
    const std::string dir = testenv::tempDir();
    chmod(dir.c_str(), 01777);
    for (const auto &[from, to] : {std::pair{std::string(TABULON_BINARY_DIR) + "/tests/fb_lock_probe", "fb_lock_probe"},
                                   std::pair{kScript, "firebird-lock.sh"}}) {
        const QString target = QString::fromStdString(dir + "/" + to);
        EXPECT_TRUE(QFile::copy(QString::fromStdString(from), target)) << from;
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
    return dir;
}

} // namespace

TEST(FirebirdLockFolder, ProgramAndScriptsChooseTheSameFolder)
{
    const std::string own = testenv::tempDir();
    const std::string uid = std::to_string(geteuid());
    struct Case {
        const char *name;
        const char *lock;
        std::string tmpdir;
        std::string expected;
    } cases[] = {
        {"chosen already", "/somewhere/locks", own, "/somewhere/locks"},
        {"tmpdir", nullptr, own, geteuid() == 0 ? "" : own + "/firebird-" + uid},
        {"tmpdir with trailing slashes", nullptr, own + "//", geteuid() == 0 ? "" : own + "/firebird-" + uid},
    };
    EnvGuard lock("FIREBIRD_LOCK"), tmp("TMPDIR");
    for (const Case &c : cases) {
        lock.set(c.lock);
        tmp.set(c.tmpdir.c_str());
        EXPECT_EQ(ado::fb::embeddedLockFolder(), c.expected) << c.name;
        EXPECT_EQ(scriptRule(), c.expected) << c.name;
    }
}

// Root has run the suite before (so the engine's default /tmp/firebird is
// root's); an ordinary user's test process and its isql-fb still work, in a
// private folder that both choose alike.
TEST(FirebirdLockFolder, OrdinaryUserAfterRoot)
{
    if (geteuid() == 0) {
        mkdir("/tmp/firebird", 0770);
        struct stat st {};
        ASSERT_EQ(lstat("/tmp/firebird", &st), 0);
        ASSERT_TRUE(S_ISDIR(st.st_mode));
    }
    const std::string dir = sharedFolder();
    const std::vector<std::string> env = {"PATH=/usr/local/bin:/usr/bin:/bin", "TMPDIR=" + dir, "HOME=" + dir};

    const Outcome probe = runAsOrdinaryUser({dir + "/fb_lock_probe", dir}, env);
    EXPECT_EQ(probe.status, 0) << probe.output;
    EXPECT_NE(probe.output.find("table=PROBE_TABLE\n"), std::string::npos) << probe.output;

    const Outcome script = runAsOrdinaryUser(
        {"/bin/sh", "-c", ". \"$TMPDIR/firebird-lock.sh\" && printf 'lock=%s\\n' \"$FIREBIRD_LOCK\""}, env);
    ASSERT_EQ(script.status, 0) << script.output;
    const std::string lockLine = script.output.substr(0, script.output.find('\n') + 1);
    EXPECT_EQ(lockLine.rfind("lock=" + dir + "/firebird-", 0), 0u) << script.output;
    EXPECT_EQ(probe.output.rfind(lockLine, 0), 0u) << "program: " << probe.output << "script: " << script.output;
}
