// SPDX-License-Identifier: MIT
#pragma once

#include "platform/widgets/Twips.h"

#include <QColor>
#include <QString>

#include <initializer_list>

class QAbstractItemView;
class QComboBox;
class QLineEdit;
class QListView;
class QListWidget;
class QStringListModel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace widgets {

// Whether Tab stops at a button. Buttons without a stop still take the focus when clicked.
enum class TabStop { Yes, No };

// A button at a fixed place that is never a dialog's default: Enter in a box presses nothing,
// Enter on the button itself presses it. Painted in the colour when one is given, with the
// style's focus frame; an invalid colour keeps the native look.
QPushButton *makeButton(QWidget *parent, const QString &caption, const Place &place,
                        const QString &name, const QColor &colour = QColor(),
                        TabStop tabStop = TabStop::Yes);

// A one-line box without the default length limit of 32,767 characters.
QLineEdit *makeLineEdit(QWidget *parent, const Place &place, const QString &name);

// A single-selection list in the order given, rows of one height and as wide as the widest
// (thousands of rows must not be measured one by one, and none is cut short), whose first Down
// or Up selects the first row.
QListWidget *makeList(QWidget *parent, const Place &place, const QString &name);

// The same over a model of strings (the emoticon picker's lists), read-only.
QListView *makeListView(QWidget *parent, const Place &place, const QString &name,
                        QStringListModel *items);

// The selected row of a list, or -1. Taking the focus makes the first row current without
// selecting it, so the current row alone would pick a row the user never chose.
int selectedRow(const QAbstractItemView *list);

// The multi-line body box of the main and mini windows: both scroll bars, no wrapping, pale
// yellow, Tab moves on instead of typing a tab, Shift+Enter breaks the line as Enter does, and
// its own copy, cut and drag give CR LF line ends, as the copy commands do.
QPlainTextEdit *makeBodyBox(QWidget *parent, const Place &place, const QString &name);

// Tab visits the widgets in this order, and comes round again.
void chainTabs(std::initializer_list<QWidget *> order);

// The short-text box's choice goes into the body at the caret, and the box shows no choice
// again, so the same text can be chosen twice in a row.
void insertChosenShortText(QComboBox *box, int chosen, QPlainTextEdit *body);

// Centres the window over the given area of the screen.
void centreOver(QWidget *window, const QRect &area);

// Centres the window on the screen it is on (or the primary one).
void centreOnScreen(QWidget *window);

} // namespace widgets
