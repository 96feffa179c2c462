// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>

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

// Japanese UI font at 9 pt: the first family that exists wins.
QFont uiFont();

// The picker's list font, Japanese-styled wherever the program runs.
QFont faceFont(qreal pointSize);

// Buttons drawn in their own colour, with black text (grey when disabled). A style sheet is
// used because several native styles ignore the palette's button colour; it needs its border and
// pressed look spelled out.
void paintButton(QAbstractButton *button, const QColor &colour);

// Background of a window's client area; its children keep their own.
void paintBackground(QWidget *widget, const QColor &colour);

// Background of a text box or list box, with text and selection colours that stay readable on
// it under a dark desktop palette.
void paintBoxBackground(QWidget *box, const QColor &colour);

// Text colour of a label whose background shows the window behind it.
void paintLabelText(QWidget *label, const QColor &colour);

} // namespace widgets
