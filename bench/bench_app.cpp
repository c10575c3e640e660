#include "bench_app.h"

#include <QByteArray>

namespace bench {

namespace {
int g_argc = 1;
char g_name[] = "tabulon_bench";
char *g_argv[] = {g_name, nullptr};
} // namespace

SideApplication::SideApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    m_app = std::make_unique<QApplication>(g_argc, g_argv);
}

SideApplication::~SideApplication() = default;

void SideApplication::paint(QWidget *window)
{
    QApplication::processEvents();
    window->repaint();
    QApplication::processEvents();
}

} // namespace bench
