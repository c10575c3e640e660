// The main of the tests that need a real X server (keys as X delivers them,
// window titles and hints as a window manager reads them). It starts an Xvfb
// of its own on a display number that the server chooses itself, so parallel
// runs never share a display, runs the tests on the xcb platform inside the
// program's own application object, and stops the server at the end.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "o_Application.h"

namespace {

pid_t g_server = -1;

// Starts Xvfb with -displayfd and returns its display number, or -1.
int startServer()
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    g_server = fork();
    if (g_server < 0)
        return -1;
    if (g_server == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlive the tests
        close(fds[0]);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

void stopServer()
{
    if (g_server > 0) {
        kill(g_server, SIGTERM);
        waitpid(g_server, nullptr, 0);
        g_server = -1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) {
            ::testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS(); // listing needs no display
        }
    }
    const int display = startServer();
    if (display < 0) {
        std::fprintf(stderr, "cannot start Xvfb (package xvfb): these tests need an X server of their own\n");
        stopServer();
        return 1;
    }
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result;
    {
        TTabulonApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    stopServer();
    return result;
}
