// SPDX-License-Identifier: MIT
#pragma once

class QAbstractItemView;

namespace widgets {

// Makes the first Down or Up key in a list without a selection select the first row, as a
// Windows list box does; Qt would make row 0 current unselected and move on to row 1.
void selectFirstRowOnFirstArrow(QAbstractItemView *list);

} // namespace widgets
