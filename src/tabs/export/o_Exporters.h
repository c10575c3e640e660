#pragma once
// Result formats: a row set written out as CSV, TSV, JSON, JSON Lines, SQL
// INSERT statements or a Markdown table. The writer walks the row set in
// place, cell by cell, into a sink in blocks; nothing here knows about widgets,
// so the same code serves the clipboard and files.
//
// Values keep their types where a format has them: a numeric field's value is
// a JSON number or an unquoted SQL number when its text is a valid number
// (else it stays text), a null is null / NULL, and an empty text stays "".
// CSV and TSV have no null: it is an empty field; CSV writes an empty text
// as "" to keep the two apart.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "o_ServerEngine.h"
#include "provider.h"

enum class TExportFormat { Csv, Tsv, Json, JsonLines, SqlInsert, Markdown };

struct TExportOptions {
    TExportFormat format = TExportFormat::Csv;
    // CSV, TSV: a first line with the field names.
    bool header = true;
    // A UTF-8 byte order mark first (spreadsheets read the text as UTF-8 by it).
    bool bom = false;
    // SQL INSERT: the table, as a table list names it ("schema.table" or a
    // bare name), and the engine whose identifier rule quotes it.
    std::string table;
    TqdServerEngine engine = seNone;
    // The line ends of CSV (CR LF by RFC 4180; LF for tools that write it so)
    // and of TSV.
    std::string_view csvLineEnd = "\r\n";
    std::string_view tsvLineEnd = "\n";
};

// Where the text goes, in blocks.
class TExportSink {
public:
    virtual ~TExportSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

class TStringSink : public TExportSink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Rows done so far; return false to stop.
using TExportProgress = std::function<bool(long long rowsDone)>;

// Thrown by exportRows when the rows it followed stopped coming before the
// last one (the statement failed or was cancelled while they arrived).
struct TRowsStopped {};

// How long a writer that has caught up with arriving rows waits before it looks again.
constexpr std::chrono::milliseconds kArrivalWait{2};

// Writes `rows` (all rows in order when null) with `fields` (all fields when
// null) of `rowSet` to `sink`; a row set whose rows are still arriving is
// followed until its last row (throws TRowsStopped when they stop short).
// Returns false when `progress` stopped it; the sink then holds a part of the text.
bool exportRows(const ado::RowSet &rowSet, const TExportOptions &options, TExportSink &sink,
                const std::vector<long long> *rows = nullptr, const std::vector<int> *fields = nullptr,
                const TExportProgress &progress = {});

// Whether `text` is a number as JSON writes one (SQL reads such a number too).
bool isJsonNumber(std::string_view text);

// A boolean field's text ("t", "1", "true", ...) as "true" or "false"; empty
// for any other text.
std::string_view booleanWord(std::string_view text);
