#pragma once
// The wait box: a small frameless, topmost window saying "Please wait....."
// while the program waits on a database request. At most one exists.

#include <QWidget>

namespace Ui {
class TFrmWaitBox;
}
class QLabel;

class TFrmWaitBox : public QWidget {
    Q_OBJECT
public:
    explicit TFrmWaitBox(QWidget *owner = nullptr);
    ~TFrmWaitBox() override;

    QLabel *Panel1 = nullptr;

private:
    Ui::TFrmWaitBox *ui;
};

// Hide any wait box, then show a new one and let it paint before the caller blocks.
void ShowWaitBox();
// Release the current wait box; does nothing when there is none.
void HideWaitBox();
// The wait box on screen, or null.
TFrmWaitBox *CurrentWaitBox();
