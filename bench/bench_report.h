#pragma once
// The measured sides of every case, their medians, and the comparisons
// against targets as a plain-text table and a CSV file.

#include <string>
#include <vector>

#include "bench_process.h"

namespace bench {

struct SideRuns {
    std::string key;   // "pg-grid", "psql", ...
    std::string label; // as the table shows it
    std::vector<Measurement> runs;
    std::string error; // the first failure, when one run failed

    double medianSeconds() const;
    double medianRssMb() const;
    long long items() const;
};

enum class Metric { Time, Memory };

struct Comparison {
    int caseNumber;
    std::string title;
    Metric metric;
    const SideRuns *tabulon;
    const SideRuns *reference; // null: Tabulon's figure alone
    // A ratio target (Tabulon / reference at most `target`, or below it when
    // strict), or with absoluteSeconds a limit on Tabulon's own time.
    double target;
    bool strict = false;
    bool absoluteSeconds = false;
    bool informative = false; // shown without a target
};

// Prints the table to stdout and writes the CSV; false when a side failed.
bool report(const std::vector<Comparison> &comparisons, const std::string &csvPath);

} // namespace bench
