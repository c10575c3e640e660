#pragma once
// The application object. It delivers every event inside a catch: a failure
// that no command caught is shown in the application error box and the
// program goes on.

#include <QApplication>

class TTabulonApplication : public QApplication {
    Q_OBJECT
public:
    TTabulonApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
