// The floor of the host's start (bench_start): a minimal Qt MDI program that
// does what the host does up to its main window shown and idle: an
// application, a main window of the host's size with an MDI area and a
// menu, shown and activated, its events run as the script runner lets them
// run after an action, then the end.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Gestão Empresarial"));
    window.setCentralWidget(new QMdiArea);
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&Arquivo"));
    menu->addAction(QStringLiteral("Sai&r"), QKeySequence(Qt::CTRL | Qt::Key_Q), &window, &QMainWindow::close);
    window.resize(1000, 700);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    return 0;
}
