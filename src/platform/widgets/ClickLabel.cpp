// SPDX-License-Identifier: MIT
#include "platform/widgets/ClickLabel.h"

#include <QMouseEvent>

namespace widgets {

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

// QWidget would hand the double-click on as another press.
void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = false;
    event->accept();
}

} // namespace widgets
