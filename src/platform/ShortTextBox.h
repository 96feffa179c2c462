#pragma once

class QComboBox;

namespace platform {

// Sets up a drop-down list of short texts: the user picks, cannot type, and turning the mouse
// wheel over the closed box chooses nothing (a wheel turn would otherwise pour texts into the
// body while the user scrolls). Choosing by the drop-down list or the arrow keys still works.
void makeShortTextBox(QComboBox *box);

} // namespace platform
