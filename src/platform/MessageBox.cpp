#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {

bool askYesNo(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tesserin"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    // Japanese whatever the locale.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.setObjectName(QStringLiteral("askYesNo"));
    return box.exec() == QMessageBox::Yes;
}

} // namespace platform
