// SPDX-License-Identifier: MIT
#include "platform/MessageBox.h"

#include "platform/AppName.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace platform {

namespace {
// Give the window back its focus where the box found it, as a window system without a window
// manager would not.
void returnFocus(QWidget *parent)
{
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
}
} // namespace

bool askYesNo(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppName, text, QMessageBox::Yes | QMessageBox::No, parent);
    // Japanese whatever the locale.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.setObjectName(QStringLiteral("askYesNo"));
    const bool yes = box.exec() == QMessageBox::Yes;
    returnFocus(parent);
    return yes;
}

void tell(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppName, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.setObjectName(QStringLiteral("tell"));
    box.exec();
    returnFocus(parent);
}

} // namespace platform
