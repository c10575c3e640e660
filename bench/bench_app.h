#pragma once
// The application object of a Tabulon side: a QApplication on the offscreen
// platform (unless another is asked for), and the way to finish painting.

#include <QApplication>
#include <QWidget>

#include <memory>

namespace bench {

class SideApplication {
public:
    SideApplication();
    ~SideApplication();
    SideApplication(const SideApplication &) = delete;
    SideApplication &operator=(const SideApplication &) = delete;

    // Lays out and paints the window now, then delivers what painting posted.
    static void paint(QWidget *window);

private:
    std::unique_ptr<QApplication> m_app;
};

} // namespace bench
