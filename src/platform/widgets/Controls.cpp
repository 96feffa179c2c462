// SPDX-License-Identifier: MIT
#include "platform/widgets/Controls.h"

#include "platform/widgets/BodyText.h"
#include "platform/widgets/ListKeys.h"
#include "platform/widgets/Theme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStringListModel>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextDocumentFragment>

#include <functional>
#include <limits>
#include <map>

namespace widgets {

namespace {
// Hands the key presses of the widgets it is installed on to a handler, which says whether it
// took the key.
class KeyPresses : public QObject
{
public:
    using Handler = std::function<bool(QObject *watched, const QKeyEvent &key)>;
    KeyPresses(QObject *parent, Handler handler) : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress &&
            m_handler(watched, *static_cast<const QKeyEvent *>(event)))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    Handler m_handler;
};

bool isEnter(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Shift+Enter would put a line separator U+2028 into the text; it breaks the line as Enter does.
bool shiftEnterAsEnter(QObject *watched, const QKeyEvent &key)
{
    if (!isEnter(key) || !key.modifiers().testFlag(Qt::ShiftModifier))
        return false;
    QKeyEvent plain(QEvent::KeyPress, key.key(), key.modifiers() & ~Qt::ShiftModifier, key.text(),
                    key.isAutoRepeat(), static_cast<ushort>(key.count()));
    QCoreApplication::sendEvent(watched, &plain);
    return true;
}

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
bool enterPresses(QObject *watched, const QKeyEvent &key)
{
    if (!isEnter(key) || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!key.isAutoRepeat())
        static_cast<QAbstractButton *>(watched)->click();
    return true;
}

// Rows of one height and of the widest text's width. With uniform sizes QListView takes the
// last row's size for every row, so a short last row would cut the longer ones with "…" and take
// the horizontal scroll bar away; measuring each row instead costs a frame per End key on
// thousands of rows. The texts are measured once, then only the rows added or removed: a count
// of rows per width keeps the widest known when the widest row goes.
class WholeRowsDelegate : public QStyledItemDelegate
{
public:
    explicit WholeRowsDelegate(QAbstractItemView *view) : QStyledItemDelegate(view), m_view(view) {}

    void watch(const QAbstractItemModel *model)
    {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) { count(first, last, 1); });
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) { count(first, last, -1); });
        // Moves and sorting keep the texts; a reset or an edit is measured afresh.
        const auto forget = [this] { m_measured = false; };
        connect(model, &QAbstractItemModel::modelReset, this, forget);
        connect(model, &QAbstractItemModel::dataChanged, this, forget);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (!m_measured) {
            m_widths.clear();
            m_measured = true;
            count(0, m_view->model()->rowCount() - 1, 1);
        }
        const int widest = m_widths.empty() ? 0 : m_widths.rbegin()->first;
        const int own = QFontMetrics(m_view->font()).horizontalAdvance(index.data().toString());
        size.setWidth(size.width() - own + widest);
        return size;
    }

private:
    void count(int first, int last, int step) const
    {
        if (!m_measured)
            return; // measured in full at the next look
        const QAbstractItemModel *model = m_view->model();
        const QFont font = m_view->font();
        if (font != m_font) {
            m_font = font;
            m_advance.clear();
        }
        const QFontMetrics metrics(font);
        for (int row = first; row <= last; ++row) {
            const int width = textWidth(metrics, model->index(row, 0).data().toString());
            const auto it = m_widths.try_emplace(width, 0).first;
            it->second += step;
            if (it->second <= 0)
                m_widths.erase(it);
        }
    }

    // The sum of the characters' advances, each measured once per font: shaping every text of
    // a long list costs a quarter second at the opening, and short texts rarely kern, so the sum
    // errs only a little wide.
    int textWidth(const QFontMetrics &metrics, const QString &text) const
    {
        int width = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate();
            const char32_t code =
                pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
            auto it = m_advance.constFind(code);
            if (it == m_advance.cend())
                it = m_advance.insert(code, metrics.horizontalAdvance(text.mid(i, pair ? 2 : 1)));
            width += *it;
            i += pair;
        }
        return width;
    }

    QAbstractItemView *m_view;
    mutable QFont m_font;
    mutable QHash<char32_t, int> m_advance;
    mutable bool m_measured = false;
    mutable std::map<int, int> m_widths; // text width -> rows that wide
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
    button->installEventFilter(new KeyPresses(button, enterPresses));
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

QListView *makeListView(QWidget *parent, const Place &place, const QString &name,
                        QStringListModel *items)
{
    auto *view = new QListView(parent);
    view->setObjectName(name);
    view->setGeometry(place.rect());
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    view->setModel(items);
    selectFirstRowOnFirstArrow(view);
    return view;
}

int selectedRow(const QAbstractItemView *list)
{
    const QModelIndexList chosen = list->selectionModel()->selectedRows();
    return chosen.isEmpty() ? -1 : chosen.first().row();
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
    box->installEventFilter(new KeyPresses(box, shiftEnterAsEnter));
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
