// SPDX-License-Identifier: MIT
#include "platform/widgets/ClickLabel.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace widgets {

namespace {
class PressableLabel : public QAccessibleWidget
{
public:
    explicit PressableLabel(ClickLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<const ClickLabel *>(widget())->text();
        return own;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<ClickLabel *>(widget())->press();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *pressableLabels(const QString &, QObject *object)
{
    auto *label = qobject_cast<ClickLabel *>(object);
    return label && label->isPressable() ? new PressableLabel(label) : nullptr;
}
} // namespace

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
}

void ClickLabel::setPressable(bool pressable)
{
    static const bool installed = [] {
        QAccessible::installFactory(pressableLabels);
        return true;
    }();
    Q_UNUSED(installed);
    m_pressable = pressable;
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
