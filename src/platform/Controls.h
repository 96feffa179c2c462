#pragma once

#include <QRect>
#include <QString>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace platform {

// A button at a fixed place that is never a dialog's default: Enter in a box presses nothing.
QPushButton *makeButton(QWidget *parent, const QString &caption, const QRect &place,
                        const QString &name);

// The multi-line body box of the main and mini windows: both scroll bars, no wrapping, pale
// yellow, Tab moves on instead of typing a tab, and Shift+Enter breaks the line as Enter does.
QPlainTextEdit *makeBodyBox(QWidget *parent, const QRect &place, const QString &name);

// Centres the window over the given area of the screen.
void centreOver(QWidget *window, const QRect &area);

// Centres the window on the screen it is on (or the primary one).
void centreOnScreen(QWidget *window);

} // namespace platform
