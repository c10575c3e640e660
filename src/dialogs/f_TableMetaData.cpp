#include "f_TableMetaData.h"

#include "ui_f_TableMetaData.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>

#include "f_WaitBox.h"
#include "o_AppError.h"
#include "o_DBGrid.h"

namespace {
// By the chosen item's position.
const ado::SchemaEnum SchemaKinds[] = {ado::adSchemaTables, ado::adSchemaColumns, ado::adSchemaIndexes,
                                       ado::adSchemaForeignKeys, ado::adSchemaPrimaryKeys};

// Keeps a child at its distance from the right edge of its resized parent.
class RightAnchor : public QObject {
public:
    RightAnchor(QWidget *frame, QWidget *child) : QObject(frame), m_child(child), m_gap(frame->width() - child->x()) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_child->move(static_cast<QWidget *>(watched)->width() - m_gap, m_child->y());
        return false;
    }

private:
    QWidget *m_child;
    int m_gap;
};
} // namespace

TFrmTableMetadata::TFrmTableMetadata(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      ui(new Ui::TFrmTableMetadata)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    TabControl1 = ui->TabControl1;
    Label1 = ui->Label1;
    cmbTableMetaData = ui->cmbTableMetaData;
    btnShowMetaData = ui->btnShowMetaData;
    DBGrid1 = ui->DBGrid1;

    ServerConnection = new TqdServerConnection(this);
    dsTableMetaData = new ado::TDataSource(this);
    DBGrid1->SetDataSource(dsTableMetaData);
    DBGrid1->SetMaxGrowWidth(MaxColumnWidth); // painted values never widen a column past the window's limit
    cmbTableMetaData->setCurrentIndex(-1);

    // Laid out for a narrow font: the box starts after its caption as the
    // desktop's font draws it, keeping its width.
    Label1->resize(Label1->sizeHint().width(), Label1->height());
    if (Label1->geometry().right() + 4 > cmbTableMetaData->x())
        cmbTableMetaData->move(Label1->geometry().right() + 4, cmbTableMetaData->y());

    // The Show button keeps its distance from the frame's right edge.
    TabControl1->installEventFilter(new RightAnchor(TabControl1, btnShowMetaData));

    // Placed where it was designed, kept on the screen.
    QPoint at(755, 194);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        at.setX(qMax(avail.left(), qMin(at.x(), avail.right() - width())));
        at.setY(qMax(avail.top(), qMin(at.y(), avail.bottom() - height())));
    }
    move(at);

    connect(btnShowMetaData, &QPushButton::clicked, this, [this] { btnShowMetaDataClick(); });
}

TFrmTableMetadata::~TFrmTableMetadata()
{
    // The grid lets go of the row sets, the row sets of the connection.
    DBGrid1->SetDataSource(nullptr);
    delete dsTableMetaData;
    dsTableMetaData = nullptr;
    delete ServerConnection;
    ServerConnection = nullptr;
    delete ui;
}

bool TFrmTableMetadata::chosenKind(ado::SchemaEnum &kind) const
{
    // The item whose text the box shows; typed text that names no item chooses none.
    const int position = cmbTableMetaData->findText(cmbTableMetaData->currentText(), Qt::MatchExactly);
    if (position < 0 || position >= int(std::size(SchemaKinds)))
        return false;
    kind = SchemaKinds[position];
    return true;
}

void TFrmTableMetadata::btnShowMetaDataClick()
{
    ado::SchemaEnum kind;
    if (!chosenKind(kind))
        return;
    apperror::guarded([&] {
        if (!ServerConnection->Connected())
            ServerConnection->ReConnect();
        ShowWaitBox();
        try {
            ServerConnection->LoadSchema(kind, dsTableMetaData);
        } catch (...) {
            HideWaitBox();
            throw;
        }
        HideWaitBox();
        narrowColumns(DBGrid1, MaxColumnWidth);
    });
}

void narrowColumns(QTableView *grid, int maxWidth)
{
    QAbstractItemModel *model = grid->model();
    if (!model)
        return;
    for (int i = 0; i < model->columnCount(); ++i)
        if (grid->columnWidth(i) > maxWidth)
            grid->setColumnWidth(i, maxWidth);
}

void TFrmTableMetadata::FormClose()
{
    // Closing releases the window (WA_DeleteOnClose), its connection and its row sets.
}

void TFrmTableMetadata::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

TFrmTableMetadata *OpenTableMetadataWindow(QWidget *owner, TqdServerConnection *rootConnection,
                                           const QString &nodeText)
{
    auto *window = new TFrmTableMetadata(owner);
    window->ServerConnection->AssignConnection(rootConnection);
    window->setWindowTitle(QStringLiteral("MetaData for ") + nodeText);
    window->show();
    return window;
}
