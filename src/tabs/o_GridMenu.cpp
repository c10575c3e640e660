#include "o_GridMenu.h"

#include "o_DBGrid.h"
#include "o_RowSetModel.h"
#include "o_SQLTab.h"
#include "export/o_ExportRun.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QRect>

#include <vector>

namespace {

// The selected cells as the grid shows them (sorted or not), taken once so
// that a worker can write them out: row i is the i-th row with a selected
// cell. With several selection ranges, a cell outside all of them reads as
// null, so the gaps between them stay empty.
class SelectionRows : public ado::RowSet {
public:
    SelectionRows(const ado::RowSet &rows, const TRowSetModel &model, const QItemSelection &selection)
        : m_rows(rows)
    {
        std::vector<char> rowMarks(size_t(model.rowCount()), 0);
        std::vector<char> fieldMarks(size_t(model.columnCount()), 0);
        for (const QItemSelectionRange &range : selection) {
            std::fill(rowMarks.begin() + range.top(), rowMarks.begin() + range.bottom() + 1, 1);
            std::fill(fieldMarks.begin() + range.left(), fieldMarks.begin() + range.right() + 1, 1);
            m_ranges.push_back(range.isValid() ? QRect(QPoint(range.left(), range.top()),
                                                       QPoint(range.right(), range.bottom()))
                                               : QRect());
        }
        if (m_ranges.size() < 2)
            m_ranges.clear(); // one range covers every cell of its rows and columns
        for (size_t r = 0; r < rowMarks.size(); ++r)
            if (rowMarks[r]) {
                m_shown.push_back(int(r));
                m_source.push_back(model.sourceRow(int(r)));
            }
        for (size_t f = 0; f < fieldMarks.size(); ++f)
            if (fieldMarks[f])
                fields.push_back(int(f));
    }

    std::vector<int> fields; // the fields with a selected cell

    int fieldCount() const override { return m_rows.fieldCount(); }
    std::string fieldName(int field) const override { return m_rows.fieldName(field); }
    ado::FieldKind fieldKind(int field) const override { return m_rows.fieldKind(field); }
    long long rowCount() const override { return static_cast<long long>(m_source.size()); }
    bool isNull(long long row, int field) const override
    {
        return m_rows.isNull(m_source[size_t(row)], field) || (!m_ranges.empty() && !selected(m_shown[size_t(row)], field));
    }
    std::string_view text(long long row, int field, std::string &scratch) const override
    {
        return m_rows.text(m_source[size_t(row)], field, scratch);
    }

private:
    bool selected(int row, int field) const
    {
        for (const QRect &r : m_ranges)
            if (r.contains(field, row))
                return true;
        return false;
    }

    const ado::RowSet &m_rows;
    std::vector<long long> m_source;
    std::vector<int> m_shown;
    std::vector<QRect> m_ranges;
};

// Delimited text pastes as a plain value: no line end after its last line.
void trimLastLineEnd(TExportFormat format, std::string &text)
{
    if (format != TExportFormat::Csv && format != TExportFormat::Tsv)
        return;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (format == TExportFormat::Csv && !text.empty() && text.back() == '\r')
        text.pop_back();
}

} // namespace

TGridMenu::TGridMenu(TDBGrid *grid) : QObject(grid), m_grid(grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &TGridMenu::showMenu);
}

void TGridMenu::showMenu(const QPoint &at)
{
    QMenu *menu = createMenu(m_grid);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_grid->viewport()->mapToGlobal(at));
}

QMenu *TGridMenu::createMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("GridMenu"));
    TDBGrid *grid = m_grid;
    const bool rows = grid->rowSetModel()->rowSet() != nullptr;
    const bool selected = rows && grid->selectionModel()->hasSelection();

    QAction *copy = menu->addAction(QStringLiteral("Copy"), grid, [grid]() { grid->copySelection(false); });
    copy->setShortcut(QKeySequence::Copy);
    QAction *titled =
        menu->addAction(QStringLiteral("Copy with titles"), grid, [grid]() { grid->copySelection(true); });
    titled->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    QMenu *as = menu->addMenu(QStringLiteral("Copy as"));
    const std::pair<const char *, TExportFormat> formats[] = {{"CSV", TExportFormat::Csv},
                                                              {"JSON", TExportFormat::Json},
                                                              {"SQL INSERT", TExportFormat::SqlInsert},
                                                              {"Markdown", TExportFormat::Markdown}};
    for (const auto &[name, format] : formats) {
        const TExportFormat f = format;
        as->addAction(QString::fromLatin1(name), grid, [grid, f]() { copyAs(*grid, f); });
    }
    menu->addSeparator();
    QAction *exportAction = menu->addAction(QStringLiteral("Export..."), grid, [grid]() { exportAll(*grid); });

    copy->setEnabled(selected);
    titled->setEnabled(selected);
    as->setEnabled(selected);
    exportAction->setEnabled(rows);
    return menu;
}

TResultToExport TGridMenu::resultOf(const TDBGrid &grid)
{
    TResultToExport result;
    const TRowSetModel *model = grid.rowSetModel();
    result.rows = model->rowSet();
    if (!result.rows)
        return result;
    // Rows that still arrive are shown in their own order and all of them are
    // exported, up to the last one; a sort or filter waits for them.
    if (!model->rowsArriving() && (model->sortColumn() >= 0 || model->rowCount() != result.rows->rowCount())) {
        result.order.reserve(size_t(model->rowCount()));
        for (int r = 0; r < model->rowCount(); ++r)
            result.order.push_back(model->sourceRow(r));
    }
    if (const ado::TDataSource *source = grid.DataSource(); source && source->DataSet())
        result.statement = source->DataSet()->CommandText();
    for (const QWidget *w = &grid; w; w = w->parentWidget())
        if (const auto *tab = qobject_cast<const TqdSQLTab *>(w)) {
            if (tab->ServerConnection)
                result.engine = tab->ServerConnection->DBEngine;
            break;
        }
    return result;
}

TDBGrid *TGridMenu::shownGrid(TqdSQLTab *tab)
{
    if (!tab)
        return nullptr;
    TDBGrid *found = nullptr;
    for (TDBGrid *grid : tab->findChildren<TDBGrid *>()) {
        if (!grid->rowSetModel()->rowSet() || !grid->isVisibleTo(tab))
            continue;
        if (grid->hasFocus())
            return grid;
        if (!found)
            found = grid;
    }
    return found;
}

QString TGridMenu::selectionText(const TDBGrid &grid, const TExportOptions &options)
{
    const ado::RowSet *rowSet = grid.rowSetModel()->rowSet();
    const QItemSelection selection = grid.selectionModel()->selection();
    if (!rowSet || selection.isEmpty())
        return QString();
    const SelectionRows shown(*rowSet, *grid.rowSetModel(), selection);
    TStringSink sink;
    exportRows(shown, options, sink, nullptr, &shown.fields);
    trimLastLineEnd(options.format, sink.text);
    return QString::fromStdString(sink.text);
}

bool TGridMenu::copyAs(TDBGrid &grid, TExportFormat format, bool titles)
{
    const ado::RowSet *rowSet = grid.rowSetModel()->rowSet();
    const QItemSelection selection = grid.selectionModel()->selection();
    if (!rowSet || selection.isEmpty())
        return false;
    TExportOptions options;
    options.format = format;
    options.header = titles;
    if (format == TExportFormat::SqlInsert) {
        const TResultToExport result = resultOf(grid);
        options.engine = result.engine;
        options.table = insertTable(&grid, result);
        if (options.table.empty())
            return false;
    }
    const SelectionRows shown(*rowSet, *grid.rowSetModel(), selection);
    TStringSink sink;
    const TExportOutcome outcome = runWithProgress(
        &grid, QStringLiteral("Copying %1 rows...").arg(shown.rowCount()), shown.rowCount(),
        [&](const TExportProgress &progress) {
            TExportOutcome done;
            done.ok = exportRows(shown, options, sink, nullptr, &shown.fields, progress);
            return done;
        });
    if (!outcome.ok)
        return false;
    trimLastLineEnd(format, sink.text);
    QGuiApplication::clipboard()->setText(QString::fromStdString(sink.text));
    return true;
}

bool TGridMenu::exportAll(TDBGrid &grid)
{
    return exportResult(&grid, resultOf(grid));
}
