// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace widgets {

// Places a window that is about to show over the visible window of its opener: centred there,
// and with that window as transient parent, since a Wayland compositor ignores move() and
// places a window by its transient parent. With no opener, or a hidden one, the window centres
// on the screen and has no transient parent. Call it from the window's showEvent, before the
// window system maps it.
void placeOverOpener(QWidget *window, QWidget *opener);

} // namespace widgets
