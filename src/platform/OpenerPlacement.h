#pragma once

class QListWidget;
class QWidget;

namespace platform {

// Places a window that is about to show over the visible window of its opener: centred there,
// and with that window as transient parent, since a Wayland compositor ignores move() and
// places a window by its transient parent. With no opener, or a hidden one, the window centres
// on the screen and has no transient parent. Call it from the window's showEvent, before the
// window system maps it.
void placeOverOpener(QWidget *window, QWidget *opener);

// Makes the first Down or Up key in a list without a selection select the first row, as a
// Windows list box does; Qt would make row 0 current unselected and move on to row 1.
void selectFirstRowOnFirstArrow(QListWidget *list);

} // namespace platform
