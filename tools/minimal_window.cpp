// The yardstick of the performance report: the least a Qt Widgets program shows, a main
// window with one label, started the way the program is started.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.setCentralWidget(new QLabel(QStringLiteral("最小のウィンドウ"), &window));
    window.resize(522, 362);
    window.show();
    return QApplication::exec();
}
