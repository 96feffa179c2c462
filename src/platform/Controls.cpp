#include "platform/Controls.h"

#include "platform/Look.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace platform {

namespace {
// Shift+Enter would put a line separator U+2028 into the text; it breaks the line as Enter does.
class ShiftEnterAsEnter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                key->modifiers().testFlag(Qt::ShiftModifier)) {
                QKeyEvent plain(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ShiftModifier,
                                key->text(), key->isAutoRepeat(),
                                static_cast<ushort>(key->count()));
                QCoreApplication::sendEvent(watched, &plain);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

QPushButton *makeButton(QWidget *parent, const QString &caption, const QRect &place,
                        const QString &name)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QPlainTextEdit *makeBodyBox(QWidget *parent, const QRect &place, const QString &name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setGeometry(place);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    box->installEventFilter(new ShiftEnterAsEnter(box));
    paintBoxBackground(box, colour::LightYellow);
    return box;
}

void centreOver(QWidget *window, const QRect &area)
{
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        centreOver(window, screen->availableGeometry());
}

} // namespace platform
