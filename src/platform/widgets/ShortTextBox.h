// SPDX-License-Identifier: MIT
#pragma once

#include "platform/widgets/Twips.h"

#include <QStringList>

class QComboBox;
class QWidget;

namespace widgets {

// A drop-down list of short texts at its place: the user picks, cannot type, and turning the
// mouse wheel over the closed box chooses nothing (a wheel turn would otherwise pour texts into
// the body while the user scrolls). Choosing by the drop-down list or the arrow keys still works;
// the list drops under the box, a few rows high with a scroll bar, in every style.
QComboBox *makeShortTextBox(QWidget *parent, const Place &place, const QString &name);

// The box's items, in order.
QStringList shortTexts(const QComboBox *box);

// Replaces the box's items; the box then shows nothing (filling would make the first current).
void setShortTexts(QComboBox *box, const QStringList &texts);

} // namespace widgets
