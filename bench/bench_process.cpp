#include "bench_process.h"

#include "bench_sides.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

const char kTag[] = "tabulon-bench-result";

std::string lastLines(const std::string &path, size_t maxBytes = 600)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > maxBytes)
        text = "..." + text.substr(text.size() - maxBytes);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    // One line in the table.
    std::string flat;
    for (char c : text) {
        if (c == '\n')
            flat += " / ";
        else if (c != '\r')
            flat += c;
    }
    return flat;
}

struct Child {
    pid_t pid = -1;
    int stdoutRead = -1; // when captured
};

// Starts argv with stdout to a pipe (capture) or /dev/null, stderr to logPath.
Child start(const std::vector<std::string> &argv, bool capture, const std::string &logPath)
{
    int pipeFds[2] = {-1, -1};
    if (capture && pipe(pipeFds) != 0)
        return {};
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(capture ? pipeFds[1] : null, STDOUT_FILENO);
        dup2(log >= 0 ? log : null, STDERR_FILENO);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        if (capture) {
            close(pipeFds[0]);
            close(pipeFds[1]);
        }
        execvp(args[0], args.data());
        std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    if (log >= 0)
        close(log);
    if (null >= 0)
        close(null);
    Child child;
    child.pid = pid;
    if (capture) {
        close(pipeFds[1]);
        child.stdoutRead = pipeFds[0];
    }
    return child;
}

// Waits for the child; its exit status and resource use.
bool finish(const Child &child, Measurement &m, const std::string &logPath)
{
    int status = 0;
    rusage usage{};
    while (wait4(child.pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            m.error = std::string("wait4: ") + std::strerror(errno);
            return false;
        }
    }
    m.maxRssKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::ostringstream why;
        if (WIFSIGNALED(status))
            why << "killed by signal " << WTERMSIG(status);
        else
            why << "exit status " << WEXITSTATUS(status);
        const std::string log = lastLines(logPath);
        if (!log.empty())
            why << ": " << log;
        m.error = why.str();
        return false;
    }
    return true;
}

} // namespace

std::string resultLine(double seconds, long long items)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s seconds=%.6f items=%lld\n", kTag, seconds, items);
    return line;
}

bool parseResultLine(const std::string &text, double &seconds, long long &items)
{
    const size_t at = text.rfind(kTag);
    if (at == std::string::npos)
        return false;
    return std::sscanf(text.c_str() + at + sizeof kTag - 1, " seconds=%lf items=%lld", &seconds, &items) == 2;
}

Measurement runSelfSide(const std::string &name, const std::string &logPath)
{
    Measurement m;
    const Child child = start({"/proc/self/exe", "side", name}, true, logPath);
    if (child.pid < 0) {
        m.error = "cannot start the side";
        return m;
    }
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(child.stdoutRead, buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(child.stdoutRead);
    if (!finish(child, m, logPath))
        return m;
    if (!parseResultLine(output, m.seconds, m.items)) {
        m.error = "the side reported no result";
        return m;
    }
    m.ok = true;
    return m;
}

Measurement runCommand(const std::vector<std::string> &argv, const std::string &logPath)
{
    Measurement m;
    Stopwatch clock;
    const Child child = start(argv, false, logPath);
    if (child.pid < 0) {
        m.error = "cannot start " + argv.front();
        return m;
    }
    if (!finish(child, m, logPath))
        return m;
    m.seconds = clock.seconds();
    m.ok = true;
    return m;
}

} // namespace bench
