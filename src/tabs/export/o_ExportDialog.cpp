#include "o_ExportDialog.h"

#include "o_AppInfo.h"
#include "o_ExportRun.h"
#include "o_Prompts.h"

#include <QFileInfo>
#include <QStringList>

#include <iterator>

namespace {

struct Format {
    const char *description;
    const char *extension;
    TExportFormat format;
    bool bom;
    bool xlsx;
};

const Format kFormats[] = {
    {"CSV (comma-separated values)", "csv", TExportFormat::Csv, false, false},
    {"CSV with a UTF-8 byte order mark, for spreadsheets", "csv", TExportFormat::Csv, true, false},
    {"TSV (tab-separated values)", "tsv", TExportFormat::Tsv, false, false},
    {"TSV with a UTF-8 byte order mark, for spreadsheets", "tsv", TExportFormat::Tsv, true, false},
    {"JSON (an array of objects)", "json", TExportFormat::Json, false, false},
    {"JSON Lines (one object per line)", "jsonl", TExportFormat::JsonLines, false, false},
    {"SQL INSERT statements", "sql", TExportFormat::SqlInsert, false, false},
    {"Markdown table", "md", TExportFormat::Markdown, false, false},
    {"Excel workbook", "xlsx", TExportFormat::Csv, false, true},
};

int g_lastFilter = 1; // the filter chosen last, offered first next time

} // namespace

QString exportFilter()
{
    QStringList parts;
    for (const Format &f : kFormats)
        parts << QString::fromLatin1(f.description) << QStringLiteral("*.") + QString::fromLatin1(f.extension);
    return parts.join(QLatin1Char('|'));
}

std::string insertTable(QWidget *owner, const TResultToExport &result)
{
    std::string table = selectedTable(result.engine, result.statement);
    if (!table.empty())
        return table;
    prompts::TextRequest ask;
    ask.owner = owner;
    ask.caption = appinfo::applicationTitle();
    ask.label = QStringLiteral("The rows do not come from one table.\nInsert them into the table:");
    const prompts::TextAnswer answer = prompts::askText(ask);
    if (!answer.accepted)
        return {};
    return answer.value.trimmed().toStdString();
}

bool exportResult(QWidget *owner, const TResultToExport &result)
{
    if (!result.rows)
        return false;
    prompts::FileRequest request;
    request.owner = owner;
    request.mode = prompts::FileMode::Save;
    request.title = QStringLiteral("Export Result");
    request.filter = exportFilter();
    request.filterIndex = g_lastFilter;
    request.defaultExt = prompts::filterExtension(request.filter, g_lastFilter);
    request.extensionFromFilter = true;
    request.confirmOverwrite = true;
    const prompts::FileAnswer answer = prompts::chooseFile(request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return false;
    const int index = answer.filterIndex >= 1 && answer.filterIndex <= int(std::size(kFormats)) ? answer.filterIndex : 1;
    g_lastFilter = index;
    const Format &format = kFormats[index - 1];
    const QString path = prompts::withDefaultExtension(answer.fileName, QString::fromLatin1(format.extension));

    TExportOptions options;
    options.format = format.format;
    options.bom = format.bom;
    options.engine = result.engine;
    if (format.format == TExportFormat::SqlInsert && !format.xlsx) {
        options.table = insertTable(owner, result);
        if (options.table.empty())
            return false;
    }

    const ado::RowSet &rows = *result.rows;
    const std::vector<long long> *order = result.order.empty() ? nullptr : &result.order;
    // Rows still arriving have no count yet: the bar then only shows that work goes on.
    const bool arriving = !order && rows.arrival() == ado::Arrival::Arriving;
    const QString label = arriving ? QStringLiteral("Exporting the rows, as they arrive, to %1...")
                                         .arg(QFileInfo(path).fileName())
                                   : QStringLiteral("Exporting %1 rows to %2...")
                                         .arg(rows.rowCount())
                                         .arg(QFileInfo(path).fileName());
    const TExportOutcome outcome = runWithProgress(
        owner, label, arriving ? 0 : rows.rowCount(), [&](const TExportProgress &progress) {
            return format.xlsx ? exportToXlsx(rows, path, order, progress)
                               : exportToFile(rows, options, path, order, progress);
        });
    if (!outcome.ok && !outcome.cancelled) {
        prompts::MessageRequest box;
        box.owner = owner;
        box.caption = appinfo::applicationTitle();
        box.icon = QMessageBox::Critical;
        box.text = QStringLiteral("The result was not exported.\n") + outcome.error;
        prompts::message(box);
    }
    return outcome.ok;
}
