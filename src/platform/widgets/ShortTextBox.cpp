// SPDX-License-Identifier: MIT
#include "platform/widgets/ShortTextBox.h"

#include "platform/widgets/Names.h"

#include <QComboBox>
#include <QEvent>
#include <QListView>
#include <QProxyStyle>
#include <QStringListModel>

namespace widgets {

namespace {
class WheelBlocker : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel)
            return true;
        return QObject::eventFilter(watched, event);
    }
};
// Fusion and some other styles show a non-editable box's list as a menu over the box, as tall as
// it has items (the screen's height for thousands of short texts) and blind to
// maxVisibleItems. The list drops under the box instead, a few rows high with a scroll bar.
class DropDownListStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

constexpr int VisibleRows = 15;
} // namespace

QComboBox *makeShortTextBox(QWidget *parent, const Place &place, const QString &name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(name::ShortText);
    box->setGeometry(place.rect());
    box->setEditable(false);
    auto *style = new DropDownListStyle;
    style->setParent(box);
    box->setStyle(style);
    box->setMaxVisibleItems(VisibleRows);
    // Thousands of items: keep the box from measuring every one of them.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *view = new QListView(box);
    view->setUniformItemSizes(true);
    box->setView(view);
    // A plain string list: a full list of short texts costs a quarter of the standard model.
    box->setModel(new QStringListModel(box));
    box->installEventFilter(new WheelBlocker(box));
    return box;
}

QStringList shortTexts(const QComboBox *box)
{
    // The box's own list, shared rather than copied item by item: the background save takes
    // it between two keystrokes.
    if (const auto *list = qobject_cast<const QStringListModel *>(box->model()))
        return list->stringList();
    QStringList texts;
    texts.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

void setShortTexts(QComboBox *box, const QStringList &texts)
{
    // The model shares the list: no copy of every item, no growing row by row.
    if (auto *list = qobject_cast<QStringListModel *>(box->model())) {
        list->setStringList(texts);
    } else {
        box->clear();
        box->addItems(texts);
    }
    box->setCurrentIndex(-1);
}

} // namespace widgets
