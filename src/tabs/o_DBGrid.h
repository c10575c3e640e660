#pragma once
// TDBGrid: the result grid, a table view bound to a data source. One column
// per field titled with its name; uniform row heights, so that a result of
// millions of rows opens and scrolls without measuring its rows.

#include <QTableView>

#include "ado.h"

class TRowSetModel;

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    void SetDataSource(ado::TDataSource *source);
    ado::TDataSource *DataSource() const;
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }

    TRowSetModel *rowSetModel() const { return m_model; }

    // Rows and cap used when fitting the columns to their contents.
    static constexpr int kFitRows = 50;
    static constexpr int kMaxColumnWidth = 300;

private:
    void fitColumns();
    TRowSetModel *m_model;
    bool m_readOnly = false;
};
