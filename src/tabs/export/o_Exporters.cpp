#include "o_Exporters.h"

#include "o_SQLNames.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr long long kProgressEvery = 4096;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Appends to a buffer and hands it to the sink a block at a time.
class Out {
public:
    explicit Out(TExportSink &sink) : m_sink(sink) { m_buf.reserve(kBlock + 4096); }
    Out &operator<<(std::string_view s)
    {
        m_buf.append(s);
        if (m_buf.size() >= kBlock)
            flush();
        return *this;
    }
    Out &operator<<(char c)
    {
        m_buf.push_back(c);
        return *this;
    }
    void flush()
    {
        if (!m_buf.empty())
            m_sink.write(m_buf);
        m_buf.clear();
    }

private:
    TExportSink &m_sink;
    std::string m_buf;
};

// RFC 4180: a field holding the separator, a quote, CR or LF is quoted, its quotes doubled.
void delimited(Out &out, std::string_view v, char separator)
{
    bool plain = true;
    for (const char c : v)
        if (c == '"' || c == '\r' || c == '\n' || c == separator) {
            plain = false;
            break;
        }
    if (plain) {
        out << v;
        return;
    }
    out << '"';
    size_t from = 0;
    for (size_t q = v.find('"'); q != std::string_view::npos; q = v.find('"', from)) {
        out << v.substr(from, q + 1 - from) << '"';
        from = q + 1;
    }
    out << v.substr(from) << '"';
}

void jsonString(Out &out, std::string_view v)
{
    out << '"';
    size_t from = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(v[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out << v.substr(from, i - from);
        from = i + 1;
        switch (c) {
        case '"': out << "\\\""; break;
        case '\\': out << "\\\\"; break;
        case '\n': out << "\\n"; break;
        case '\r': out << "\\r"; break;
        case '\t': out << "\\t"; break;
        case '\b': out << "\\b"; break;
        case '\f': out << "\\f"; break;
        default: {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", unsigned(c));
            out << std::string_view(esc, 6);
        }
        }
    }
    out << v.substr(from) << '"';
}

// An SQL string literal; engines that read a backslash as an escape get it doubled.
void sqlString(Out &out, std::string_view v, bool backslashEscapes)
{
    out << '\'';
    size_t from = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\'' && !(backslashEscapes && v[i] == '\\'))
            continue;
        out << v.substr(from, i + 1 - from) << v[i];
        from = i + 1;
    }
    out << v.substr(from) << '\'';
}

// A Markdown table cell: pipes and backslashes escaped, line breaks as <br>.
void markdownCell(Out &out, std::string_view v)
{
    for (size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '|' || c == '\\')
            out << '\\' << c;
        else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < v.size() && v[i + 1] == '\n')
                ++i;
            out << "<br>";
        } else
            out << c;
    }
}

struct Writer {
    const ado::RowSet &rs;
    const TExportOptions &opt;
    Out out;
    std::vector<int> fields;
    std::vector<ado::FieldKind> kinds;
    std::vector<std::string> names;
    std::string scratch;
    std::string head; // SQL: "INSERT INTO t (a, b) VALUES ("

    Writer(const ado::RowSet &r, const TExportOptions &o, TExportSink &sink, const std::vector<int> *f)
        : rs(r), opt(o), out(sink)
    {
        if (f)
            fields = *f;
        else
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields.push_back(i);
        for (int i : fields) {
            kinds.push_back(rs.fieldKind(i));
            names.push_back(rs.fieldName(i));
        }
    }

    void header()
    {
        if (opt.bom)
            out << "\xEF\xBB\xBF";
        switch (opt.format) {
        case TExportFormat::Csv:
        case TExportFormat::Tsv:
            if (!opt.header)
                break;
            for (size_t i = 0; i < names.size(); ++i) {
                if (i)
                    out << separator();
                delimited(out, names[i], separator());
            }
            out << lineEnd();
            break;
        case TExportFormat::Json:
            out << '[';
            break;
        case TExportFormat::SqlInsert:
            head = "INSERT INTO " + sqlTableName(opt.engine, opt.table) + " (";
            for (size_t i = 0; i < names.size(); ++i)
                head += (i ? ", " : "") + sqlName(opt.engine, names[i]);
            head += ") VALUES (";
            break;
        case TExportFormat::Markdown:
            out << '|';
            for (const std::string &n : names) {
                out << ' ';
                markdownCell(out, n);
                out << " |";
            }
            out << "\n|";
            for (ado::FieldKind k : kinds)
                out << (k == ado::FieldKind::Number ? " ---: |" : " --- |");
            out << '\n';
            break;
        case TExportFormat::JsonLines:
            break;
        }
    }

    char separator() const { return opt.format == TExportFormat::Tsv ? '\t' : ','; }
    std::string_view lineEnd() const { return opt.format == TExportFormat::Csv ? opt.csvLineEnd : opt.tsvLineEnd; }

    std::string_view value(long long row, size_t i) { return rs.text(row, fields[i], scratch); }

    void jsonObject(long long row)
    {
        out << '{';
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out << ',';
            jsonString(out, names[i]);
            out << ':';
            if (rs.isNull(row, fields[i])) {
                out << "null";
                continue;
            }
            const std::string_view v = value(row, i);
            if (kinds[i] == ado::FieldKind::Number && isJsonNumber(v))
                out << v;
            else if (kinds[i] == ado::FieldKind::Boolean && !booleanWord(v).empty())
                out << booleanWord(v);
            else
                jsonString(out, v);
        }
        out << '}';
    }

    void row(long long row, long long index)
    {
        switch (opt.format) {
        case TExportFormat::Csv:
        case TExportFormat::Tsv:
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i)
                    out << separator();
                if (rs.isNull(row, fields[i]))
                    continue;
                const std::string_view v = value(row, i);
                // CSV tells an empty text from a null (an empty field) by its quotes.
                if (v.empty() && opt.format == TExportFormat::Csv)
                    out << "\"\"";
                else
                    delimited(out, v, separator());
            }
            out << lineEnd();
            break;
        case TExportFormat::Json:
            out << (index ? ",\n" : "\n");
            jsonObject(row);
            break;
        case TExportFormat::JsonLines:
            jsonObject(row);
            out << '\n';
            break;
        case TExportFormat::SqlInsert: {
            out << head;
            const bool backslashes = opt.engine == seMySQL;
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i)
                    out << ", ";
                if (rs.isNull(row, fields[i])) {
                    out << "NULL";
                    continue;
                }
                const std::string_view v = value(row, i);
                if (kinds[i] == ado::FieldKind::Number && isJsonNumber(v))
                    out << v;
                else
                    sqlString(out, v, backslashes);
            }
            out << ");\n";
            break;
        }
        case TExportFormat::Markdown:
            out << '|';
            for (size_t i = 0; i < fields.size(); ++i) {
                out << ' ';
                if (!rs.isNull(row, fields[i]))
                    markdownCell(out, value(row, i));
                out << " |";
            }
            out << '\n';
            break;
        }
    }

    void footer(long long written)
    {
        if (opt.format == TExportFormat::Json)
            out << (written ? "\n]\n" : "]\n");
    }
};

} // namespace

std::string_view booleanWord(std::string_view v)
{
    if (v == "t" || v == "true" || v == "1" || v == "T" || v == "TRUE")
        return "true";
    if (v == "f" || v == "false" || v == "0" || v == "F" || v == "FALSE")
        return "false";
    return {};
}

bool isJsonNumber(std::string_view t)
{
    size_t i = 0;
    if (i < t.size() && t[i] == '-')
        ++i;
    if (i >= t.size() || !isDigit(t[i]))
        return false;
    if (t[i] == '0')
        ++i;
    else
        while (i < t.size() && isDigit(t[i]))
            ++i;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (i >= t.size() || !isDigit(t[i]))
            return false;
        while (i < t.size() && isDigit(t[i]))
            ++i;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (i >= t.size() || !isDigit(t[i]))
            return false;
        while (i < t.size() && isDigit(t[i]))
            ++i;
    }
    return i == t.size();
}

bool exportRows(const ado::RowSet &rowSet, const TExportOptions &options, TExportSink &sink,
                const std::vector<long long> *rows, const std::vector<int> *fields, const TExportProgress &progress)
{
    Writer w(rowSet, options, sink, fields);
    w.header();
    long long count = 0;
    for (;;) {
        // A row set whose rows still come is followed to its last row.
        const ado::Arrival arrival = rows ? ado::Arrival::Whole : rowSet.arrival();
        const long long have = rows ? static_cast<long long>(rows->size()) : rowSet.rowCount();
        for (; count < have; ++count) {
            if (progress && count % kProgressEvery == 0 && count && !progress(count))
                return false;
            w.row(rows ? (*rows)[size_t(count)] : count, count);
        }
        if (arrival == ado::Arrival::Whole)
            break;
        if (arrival == ado::Arrival::Stopped)
            throw TRowsStopped{};
        if (progress && !progress(count))
            return false;
        std::this_thread::sleep_for(kArrivalWait);
    }
    w.footer(count);
    w.out.flush();
    if (progress)
        progress(count);
    return true;
}
