#include "o_ValueViewer.h"

#include "o_DBGrid.h"
#include "o_RowSetModel.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

TValueViewer::TValueViewer(TDBGrid *grid) : QDialog(grid), m_grid(grid)
{
    setObjectName(QStringLiteral("ValueViewer"));
    setModal(false);
    setWindowTitle(tr("Value"));
    resize(720, 440); // a hex dump line whole

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("ValueTitle"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ValueText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("ValuePicture"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_pictureArea = new QScrollArea(this);
    m_pictureArea->setWidget(m_picture);
    m_pictureArea->setWidgetResizable(true);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_text);
    m_pages->addWidget(m_pictureArea);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("ValueCopy"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &TValueViewer::copyValue);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_pages, 1);
    layout->addWidget(buttons);

    if (grid->selectionModel())
        connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
            if (isVisible())
                showCurrent();
        });
    // A new result replaces the model's rows: show what the current cell holds now.
    connect(grid->rowSetModel(), &QAbstractItemModel::modelReset, this, [this] {
        if (isVisible())
            showCurrent();
    });
}

QString TValueViewer::caption() const { return m_title->text(); }

void TValueViewer::showCurrent()
{
    m_value = TShownValue();
    m_picture->clear();
    const TRowSetModel *model = m_grid ? m_grid->rowSetModel() : nullptr;
    const QModelIndex current = m_grid ? m_grid->currentIndex() : QModelIndex();
    const ado::RowSet *rows = model ? model->rowSet() : nullptr;
    if (!rows || !current.isValid()) {
        m_title->setText(tr("No cell"));
        m_text->clear();
        m_pages->setCurrentWidget(m_text);
        return;
    }
    const int field = current.column();
    const QString where = tr("%1, row %2").arg(model->headerData(field, Qt::Horizontal).toString()).arg(current.row() + 1);
    if (model->isNull(current.row(), field)) {
        m_title->setText(where + tr(": NULL"));
        m_text->clear();
        m_pages->setCurrentWidget(m_text);
        return;
    }
    std::string scratch;
    const std::string_view text = rows->text(model->sourceRow(current.row()), field, scratch);
    m_value = shapeValue(text, rows->fieldKind(field));
    QString what;
    switch (m_value.shape) {
    case TShownValue::Text: what = tr("text, %1 characters").arg(m_value.text.size()); break;
    case TShownValue::Json: what = tr("JSON"); break;
    case TShownValue::Xml: what = tr("XML"); break;
    case TShownValue::Hex: what = tr("%1 bytes").arg(m_value.bytes.size()); break;
    case TShownValue::Image:
        what = tr("picture %1 x %2, %3 bytes").arg(m_value.image.width()).arg(m_value.image.height()).arg(m_value.bytes.size());
        break;
    }
    m_title->setText(where + QStringLiteral(": ") + what);
    const bool fixed = m_value.shape != TShownValue::Text;
    m_text->setFont(fixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font());
    m_text->setLineWrapMode(m_value.shape == TShownValue::Text ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m_text->setPlainText(m_value.text);
    if (m_value.shape == TShownValue::Image) {
        m_picture->setPixmap(QPixmap::fromImage(m_value.image));
        m_pages->setCurrentWidget(m_pictureArea);
    } else {
        m_pages->setCurrentWidget(m_text);
    }
}

void TValueViewer::copyValue() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_value.shape == TShownValue::Image)
        clipboard->setImage(m_value.image);
    else if (m_text->textCursor().hasSelection())
        clipboard->setText(m_text->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
    else
        clipboard->setText(m_value.text);
}
