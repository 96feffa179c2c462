// SPDX-License-Identifier: MIT
// The yardstick of the performance report: the least a Qt Widgets program with the main
// window's shape shows, a main window of the same client size with a menu bar of one menu.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.menuBar()->addMenu(QStringLiteral("機能"));
    // The main window's client area, 7830 x 5160 twips, below the menu bar.
    window.resize(522, 344 + window.menuBar()->sizeHint().height());
    window.show();
    return QApplication::exec();
}
