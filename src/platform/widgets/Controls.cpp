// SPDX-License-Identifier: MIT
#include "platform/widgets/Controls.h"

#include "platform/widgets/BodyText.h"
#include "platform/widgets/ListKeys.h"
#include "platform/widgets/Theme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <limits>

namespace widgets {

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

// The box lays out every block again on each resize and keeps a layout object for each one,
// 6 MiB for a body of 1 MB. Its size is fixed, so it takes its first resize while still empty
// and later resizes to the same size (the one sent when the window is first shown) are dropped.
class SameSizeResizeFilter : public QObject
{
public:
    using QObject::QObject;
    QSize handled;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            const QSize size = static_cast<QResizeEvent *>(event)->size();
            if (size == handled)
                return true;
            handled = size;
        }
        return QObject::eventFilter(watched, event);
    }
};

// A button that draws its own face from the palette: flat in the Button colour with a raised
// edge, darker and sunken while pressed or checked. Several native styles ignore the palette's
// button colour and Fusion washes it out; a style sheet per button costs milliseconds at
// start-up. The caption is left to the style.
class ColouredButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const bool sunken = isDown() || isChecked();
        const QColor colour = option.palette.color(QPalette::Button);
        const QColor light = colour.lighter();
        const QColor &topLeft = sunken ? colour : light;
        const QColor &bottomRight = sunken ? light : colour;
        const QRect r = rect();
        painter.fillRect(r, sunken ? colour.darker(115) : colour);
        for (int i = 0; i < EdgeWidth; ++i) {
            const QRect e = r.adjusted(i, i, -i, -i);
            painter.fillRect(e.left(), e.top(), e.width() - 1, 1, topLeft);
            painter.fillRect(e.left(), e.top(), 1, e.height() - 1, topLeft);
            painter.fillRect(e.left() + 1, e.bottom(), e.width() - 1, 1, bottomRight);
            painter.fillRect(e.right(), e.top() + 1, 1, e.height() - 1, bottomRight);
        }
        option.rect = r.adjusted(EdgeWidth, EdgeWidth, -EdgeWidth, -EdgeWidth);
        painter.drawControl(QStyle::CE_PushButtonLabel, option);
    }

private:
    static constexpr int EdgeWidth = 2;
};
} // namespace

QPushButton *makeButton(QWidget *parent, const QString &caption, const Place &place,
                        const QString &name, const QColor &colour, TabStop tabStop)
{
    auto *button =
        colour.isValid() ? new ColouredButton(caption, parent) : new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place.rect());
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(tabStop == TabStop::Yes ? Qt::StrongFocus : Qt::ClickFocus);
    if (colour.isValid()) {
        paintButton(button, colour);
        button->setAttribute(Qt::WA_OpaquePaintEvent);
    }
    return button;
}

QLineEdit *makeLineEdit(QWidget *parent, const Place &place, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(place.rect());
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QListWidget *makeList(QWidget *parent, const Place &place, const QString &name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(place.rect());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->setUniformItemSizes(true);
    selectFirstRowOnFirstArrow(list);
    return list;
}

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> chosen = list->selectedItems();
    return chosen.isEmpty() ? -1 : list->row(chosen.first());
}

QPlainTextEdit *makeBodyBox(QWidget *parent, const Place &place, const QString &name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setGeometry(place.rect());
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    box->installEventFilter(new ShiftEnterAsEnter(box));
    paintBoxBackground(box, colour::LightYellow);
    // The viewport's resize reaches the box's own resize handling as well.
    for (QWidget *w : {static_cast<QWidget *>(box), box->viewport()}) {
        w->installEventFilter(new SameSizeResizeFilter(w));
        QResizeEvent first(w->size(), QSize());
        QCoreApplication::sendEvent(w, &first);
    }
    return box;
}

void chainTabs(std::initializer_list<QWidget *> order)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : order) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void insertChosenShortText(QComboBox *box, int chosen, QPlainTextEdit *body)
{
    if (chosen < 0)
        return;
    insertIntoBody(body, box->itemText(chosen));
    box->setCurrentIndex(-1);
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

} // namespace widgets
