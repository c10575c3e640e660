#include "keys.h"

#include <QTest>
#include <QWidget>

namespace testkeys {

void typeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(target, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, target,
                                c.unicode() < 128 ? QTest::asciiToKey(char(c.unicode())) : Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
}

} // namespace testkeys
