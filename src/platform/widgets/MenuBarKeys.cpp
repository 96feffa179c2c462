// SPDX-License-Identifier: MIT
#include "platform/widgets/MenuBarKeys.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace widgets {

namespace {
// The menu bar has the focus only in its keyboard mode; a title under the mouse is selected
// without it and stays as the style draws it.
class KeyboardTitleStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_MenuBarItem && widget && widget->hasFocus() &&
            (option->state & State_Selected)) {
            if (const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
                QStyleOptionMenuItem shown = *item;
                shown.state |= State_Sunken;
                QProxyStyle::drawControl(element, &shown, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
} // namespace

void reachMenuBarByKeyboard(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    auto *style = new KeyboardTitleStyle;
    style->setParent(bar);
    bar->setStyle(style);

    auto *f10 = new QAction(window);
    f10->setObjectName(QStringLiteral("menuBarKey"));
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    f10->setShortcutContext(Qt::WindowShortcut);
    window->addAction(f10);
    QObject::connect(f10, &QAction::triggered, bar, [bar] {
        const QList<QAction *> titles = bar->actions();
        if (!titles.isEmpty())
            bar->setActiveAction(titles.first());
    });
}

} // namespace widgets
