// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

class QAbstractButton;
class QWidget;

namespace widgets {

// The program's colours, named once.
namespace colour {
inline const QColor Teal{0, 128, 128};
inline const QColor LightYellow{255, 255, 192};
inline const QColor CopyYellow{255, 255, 128};
inline const QColor LightPink{255, 192, 255};
inline const QColor LightGreen{192, 255, 192};
inline const QColor Apricot{255, 224, 192};
inline const QColor Rose{255, 192, 192};
inline const QColor Maroon{128, 64, 64};
} // namespace colour

// The families of the list that are installed, in its order; the whole list when none is.
// A font naming a missing family is searched for again each time it is matched.
QStringList installedFamilies(const QStringList &wanted);

// Japanese UI font at 9 pt: the first family that exists wins.
QFont uiFont();

// The picker's list font, Japanese-styled wherever the program runs.
QFont faceFont(qreal pointSize);

// A button's colour, with black text (grey when disabled), in its palette. Buttons made by
// makeButton with a colour draw their face from it on every style.
void paintButton(QAbstractButton *button, const QColor &colour);

// Background of a window's client area; its children keep their own.
void paintBackground(QWidget *widget, const QColor &colour);

// Background of a text box or list box, with text and selection colours that stay readable on
// it under a dark desktop palette.
void paintBoxBackground(QWidget *box, const QColor &colour);

// Text colour of a label whose background shows the window behind it.
void paintLabelText(QWidget *label, const QColor &colour);

} // namespace widgets
