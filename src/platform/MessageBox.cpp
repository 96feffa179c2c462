// SPDX-License-Identifier: MIT
#include "platform/MessageBox.h"

#include "platform/AppName.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace platform {

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
    // Give the window back its focus where the question found it, as a window system
    // without a window manager would not.
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
    return yes;
}

void tell(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppName, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("tell"));
    box.exec();
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
}

} // namespace platform
