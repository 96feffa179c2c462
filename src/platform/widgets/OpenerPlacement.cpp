// SPDX-License-Identifier: MIT
#include "platform/widgets/OpenerPlacement.h"

#include "platform/widgets/Controls.h"

#include <QWidget>
#include <QWindow>

namespace widgets {

void placeOverOpener(QWidget *window, QWidget *opener)
{
    QWidget *openerWindow = opener ? opener->window() : nullptr;
    const bool shown = openerWindow && openerWindow->isVisible();
    if (QWindow *handle = window->windowHandle())
        handle->setTransientParent(shown ? openerWindow->windowHandle() : nullptr);
    if (shown)
        centreOver(window, openerWindow->frameGeometry());
    else
        centreOnScreen(window);
}

} // namespace widgets
