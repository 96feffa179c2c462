// SPDX-License-Identifier: MIT
#include "platform/widgets/Controls.h"

#include "platform/widgets/BodyText.h"
#include "platform/widgets/ListKeys.h"
#include "platform/widgets/Theme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextDocumentFragment>

#include <algorithm>
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

// The box's own copy, cut and drag would put LF line ends on the clipboard, with no-break spaces
// already turned into spaces; the program's texts leave with CR LF, as the copy commands give them.
class BodyBox : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData *createMimeDataFromSelection() const override
    {
        auto *data = new QMimeData;
        data->setText(crLfFromRaw(textCursor().selection().toRawText()));
        return data;
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
// edge, darker and sunken while pressed or checked, and the style's focus frame inside the edge
// while it has the focus. Several native styles ignore the palette's button colour and Fusion
// washes it out; a style sheet per button costs milliseconds at start-up. The caption is left
// to the style.
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
        const QColor dark = colour.darker(160);
        const QColor &topLeft = sunken ? dark : light;
        const QColor &bottomRight = sunken ? light : dark;
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
        if (option.state & QStyle::State_HasFocus) {
            // The style decides when to show it: Fusion only after a focus move by keyboard.
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = r.adjusted(FocusInset, FocusInset, -FocusInset, -FocusInset);
            focus.backgroundColor = colour;
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
            // Fusion's frame is a faint tint on these light faces; a dotted line in the text's
            // colour, as the classic desktop draws it, shows the focus from across the room.
            if (focus.state & QStyle::State_KeyboardFocusChange) {
                painter.setPen(QPen(option.palette.color(QPalette::ButtonText), 1, Qt::DotLine));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(focus.rect.adjusted(1, 1, -2, -2));
            }
        }
    }

private:
    static constexpr int EdgeWidth = 2;
    static constexpr int FocusInset = EdgeWidth + 1;
};

// Enter and the keypad's Enter press the focused button, as Space does. QPushButton takes them
// only as a dialog's default button, and a default would also catch Enter typed in a box.
class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                mods == Qt::NoModifier) {
                if (!key->isAutoRepeat())
                    static_cast<QAbstractButton *>(watched)->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
// Rows of one height and of the widest text's width. With uniform sizes QListView takes the
// last row's size for every row, so a short last row would cut the longer ones with "…" and take
// the horizontal scroll bar away; measuring each row instead costs a frame per End key on
// thousands of rows. The widest text is measured once and again only after a removal or change.
class WholeRowsDelegate : public QStyledItemDelegate
{
public:
    explicit WholeRowsDelegate(QAbstractItemView *view) : QStyledItemDelegate(view), m_view(view) {}

    void watch(const QAbstractItemModel *model)
    {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) { widen(first, last); });
        const auto forget = [this] { m_widest = -1; };
        connect(model, &QAbstractItemModel::rowsRemoved, this, forget);
        connect(model, &QAbstractItemModel::rowsMoved, this, forget);
        connect(model, &QAbstractItemModel::modelReset, this, forget);
        connect(model, &QAbstractItemModel::layoutChanged, this, forget);
        connect(model, &QAbstractItemModel::dataChanged, this, forget);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics metrics(m_view->font());
        if (m_widest < 0) {
            m_widest = 0;
            measure(metrics, 0, m_view->model()->rowCount() - 1);
        }
        const int own = metrics.horizontalAdvance(index.data().toString());
        size.setWidth(size.width() - own + m_widest);
        return size;
    }

private:
    // New rows widen a known width; an unknown one is measured in full at the next look.
    void widen(int first, int last)
    {
        if (m_widest >= 0)
            measure(QFontMetrics(m_view->font()), first, last);
    }

    void measure(const QFontMetrics &metrics, int first, int last) const
    {
        const QAbstractItemModel *model = m_view->model();
        for (int row = first; row <= last; ++row)
            m_widest = std::max(m_widest,
                                metrics.horizontalAdvance(model->index(row, 0).data().toString()));
    }

    QAbstractItemView *m_view;
    mutable int m_widest = -1;
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
    button->installEventFilter(new EnterPresses(button));
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
    auto *rows = new WholeRowsDelegate(list);
    rows->watch(list->model());
    list->setItemDelegate(rows);
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
    auto *box = new BodyBox(parent);
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
