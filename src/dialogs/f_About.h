#pragma once
// The About window: the banner, the program's own version information, a few
// words about the program and the link to the maker's web site.

#include <QDialog>
#include <QImage>

#include <memory>

namespace Ui {
class TFrmAbout;
}
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TqdFileInfoListView;
class TqdLinkLabel;

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget *owner = nullptr);
    ~TFrmAbout() override;

    QLabel *Image1;
    QFrame *Panel1;
    QPushButton *btnOk;
    QFrame *GroupBox1; // a group box without caption
    TqdFileInfoListView *qdFileInfoListView1;
    QFrame *Panel2;
    QPlainTextEdit *InfoMemo;
    TqdLinkLabel *qdLinkLabel1;

    // Opens the maker's web address.
    void Image1Click(QObject *sender);

    // The Key column's width: 100, or as wide as the longest key and the
    // caption need in the list's font. The Value column keeps its 135.
    int KeyColumnWidth() const { return keyColumnWidth; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Sizes grow from the designed ones where the font needs more room:
    // the list for its key column, the info text for its longest line and
    // all its lines, the link and the Ok button for their captions.
    void fitToFont();

    std::unique_ptr<Ui::TFrmAbout> ui;
    bool imagePressed = false;
    int keyColumnWidth = 100;
};

// The About window that ShowAbout has open, nullptr otherwise.
extern TFrmAbout *FrmAbout;

// Creates the About window, shows it modally with the running program's
// version information, and destroys it when it closes (also on an error,
// which then goes on to the caller).
void ShowAbout();

// A banner picture of the program ("about-banner.jpg", "connect-banner.jpg"),
// decoded; a null image when it cannot be read.
QImage banner(const QString &fileName);

// Shows a banner at the left of its label; where the label is wider than the
// picture, the picture's right edge continues to the label's right.
void showBanner(QLabel *label, const QImage &picture);
