#include "bench_report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> values(const SideRuns &side, Metric metric)
{
    std::vector<double> out;
    for (const Measurement &m : side.runs)
        if (m.ok)
            out.push_back(metric == Metric::Time ? m.seconds : double(m.maxRssKb) / 1024.0);
    return out;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string amount(double value, Metric metric)
{
    return metric == Metric::Time ? fixed(value, 3) + " s" : fixed(value, 0) + " MB";
}

std::string targetText(const Comparison &c)
{
    if (c.informative)
        return "-";
    if (c.absoluteSeconds)
        return "< " + fixed(c.target, 1) + " s";
    return (c.strict ? "< " : "<= ") + fixed(c.target, 1) + "x";
}

std::string joinRuns(const SideRuns &side, Metric metric)
{
    std::string out;
    for (double v : values(side, metric)) {
        if (!out.empty())
            out += ';';
        out += metric == Metric::Time ? fixed(v, 4) : fixed(v, 1);
    }
    return out;
}

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string pad(const std::string &text, size_t width, bool right = false)
{
    if (text.size() >= width)
        return text;
    const std::string space(width - text.size(), ' ');
    return right ? space + text : text + space;
}

} // namespace

double SideRuns::medianSeconds() const
{
    return median(values(*this, Metric::Time));
}

double SideRuns::medianRssMb() const
{
    return median(values(*this, Metric::Memory));
}

long long SideRuns::items() const
{
    for (const Measurement &m : runs)
        if (m.ok)
            return m.items;
    return -1;
}

bool report(const std::vector<Comparison> &comparisons, const std::string &csvPath)
{
    bool allRan = true;
    std::ofstream csv(csvPath, std::ios::trunc);
    csv << "case,title,metric,tabulon_side,reference_side,tabulon_median,reference_median,unit,ratio,target,met,"
           "tabulon_runs,reference_runs\n";

    std::printf("\n%s %s %s %s %s %s %s\n", pad("Case", 40).c_str(), pad("Reference", 30).c_str(),
                pad("Tabulon", 10, true).c_str(), pad("Reference", 10, true).c_str(), pad("Ratio", 8, true).c_str(),
                pad("Target", 9, true).c_str(), pad("Met", 4, true).c_str());
    std::printf("%s\n", std::string(117, '-').c_str());
    int lastCase = 0;
    for (const Comparison &c : comparisons) {
        const std::string caseText = c.caseNumber != lastCase ? std::to_string(c.caseNumber) + " " + c.title : "";
        lastCase = c.caseNumber;
        const std::string failed = !c.tabulon->error.empty() ? c.tabulon->label + ": " + c.tabulon->error
                                   : !c.reference->error.empty() ? c.reference->label + ": " + c.reference->error
                                                                 : "";
        if (!failed.empty()) {
            allRan = false;
            std::printf("%s %s FAILED %s\n", pad(caseText, 40).c_str(), pad(c.reference->label, 30).c_str(),
                        failed.c_str());
            csv << c.caseNumber << ',' << csvField(c.title) << ',' << (c.metric == Metric::Time ? "time" : "memory")
                << ',' << c.tabulon->key << ',' << c.reference->key << ",,,,,,failed: " << csvField(failed) << ",,\n";
            continue;
        }
        const double mine = c.metric == Metric::Time ? c.tabulon->medianSeconds() : c.tabulon->medianRssMb();
        const double theirs = c.metric == Metric::Time ? c.reference->medianSeconds() : c.reference->medianRssMb();
        const double ratio = theirs > 0 ? mine / theirs : 0;
        std::string met = "-";
        if (!c.informative) {
            const double measured = c.absoluteSeconds ? mine : ratio;
            met = (c.strict || c.absoluteSeconds ? measured < c.target : measured <= c.target) ? "yes" : "NO";
        }
        std::printf("%s %s %s %s %s %s %s\n", pad(caseText, 40).c_str(), pad(c.reference->label, 30).c_str(),
                    pad(amount(mine, c.metric), 10, true).c_str(), pad(amount(theirs, c.metric), 10, true).c_str(),
                    pad(fixed(ratio, 2) + "x", 8, true).c_str(), pad(targetText(c), 9, true).c_str(),
                    pad(met, 4, true).c_str());
        csv << c.caseNumber << ',' << csvField(c.title) << ',' << (c.metric == Metric::Time ? "time" : "memory")
            << ',' << c.tabulon->key << ',' << c.reference->key << ','
            << (c.metric == Metric::Time ? fixed(mine, 4) : fixed(mine, 1)) << ','
            << (c.metric == Metric::Time ? fixed(theirs, 4) : fixed(theirs, 1)) << ','
            << (c.metric == Metric::Time ? "s" : "MB") << ',' << fixed(ratio, 3) << ',' << csvField(targetText(c))
            << ',' << met << ',' << joinRuns(*c.tabulon, c.metric) << ',' << joinRuns(*c.reference, c.metric)
            << '\n';
    }
    std::printf("%s\n", std::string(117, '-').c_str());
    std::printf("Times and peak resident memory are medians over the runs; every side runs in a process of its own.\n"
                "Targets: cases 1-3 at most 1.0x the command-line client and 1.3x the bare loop; case 4 under 1.0x "
                "psql;\ncase 5 under 0.5 s; case 6 (peak memory) at most 1.3x the bare loop.\n");
    std::printf("CSV: %s\n", csvPath.c_str());
    return allRan;
}

} // namespace bench
