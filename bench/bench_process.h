#pragma once
// Running one measured side in a child process: its time and its peak
// resident memory (the child's own ru_maxrss, from wait4).

#include <string>
#include <vector>

namespace bench {

struct Measurement {
    bool ok = false;
    double seconds = 0;   // the side's own report, or the command's wall time
    long maxRssKb = 0;
    long long items = -1; // what the side reported handling; -1 for commands
    std::string error;
};

// A side of this program (tabulon_bench side NAME): seconds and items as the
// child reports them on its standard output.
Measurement runSelfSide(const std::string &name, const std::string &logPath);

// A command, its standard output to /dev/null, its errors to logPath; the
// seconds are the wall time from start to exit.
Measurement runCommand(const std::vector<std::string> &argv, const std::string &logPath);

// The line a side prints for its parent, and its reader.
std::string resultLine(double seconds, long long items);
bool parseResultLine(const std::string &text, double &seconds, long long &items);

} // namespace bench
