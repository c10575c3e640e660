#pragma once
// The database metadata window: a non-modal, topmost window that shows one
// schema row set (tables and views, columns, indexes, foreign keys, primary
// keys) of a connection of its own. It releases itself when closed.

#include <QString>
#include <QWidget>

#include "ado.h"
#include "o_ServerConnection.h"

namespace Ui {
class TFrmTableMetadata;
}
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class TDBGrid;

// Every column of the grid wider than `maxWidth` pixels becomes `maxWidth` wide.
void narrowColumns(QTableView *grid, int maxWidth);

class TFrmTableMetadata : public QWidget {
    Q_OBJECT
public:
    explicit TFrmTableMetadata(QWidget *owner);
    ~TFrmTableMetadata() override;

    TqdServerConnection *ServerConnection = nullptr;

    QFrame *TabControl1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cmbTableMetaData = nullptr;
    QPushButton *btnShowMetaData = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    ado::TDataSource *dsTableMetaData = nullptr;

    // The widest a column may be after a Show.
    static constexpr int MaxColumnWidth = 140;

    void btnShowMetaDataClick();
    void FormClose();

    // The schema kind chosen in the combo box; false when none is.
    bool chosenKind(ado::SchemaEnum &kind) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Ui::TFrmTableMetadata *ui;
};

// The tree popup's "View DataBase Meta Data": a new window owned by `owner`
// with a connection copied from `rootConnection`, captioned "MetaData for " +
// the node's text, shown without waiting.
TFrmTableMetadata *OpenTableMetadataWindow(QWidget *owner, TqdServerConnection *rootConnection,
                                           const QString &nodeText);
