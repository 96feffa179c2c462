// SPDX-License-Identifier: MIT
#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void putOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace platform
