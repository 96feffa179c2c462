// SPDX-License-Identifier: MIT
#include "platform/widgets/ListKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>

namespace widgets {

namespace {
class FirstArrowFilter : public QObject
{
public:
    explicit FirstArrowFilter(QListWidget *list) : QObject(list), m_list(list) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_list || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key != Qt::Key_Down && key != Qt::Key_Up) || m_list->count() == 0 ||
            !m_list->selectedItems().isEmpty())
            return false;
        m_list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        return true;
    }

private:
    QListWidget *m_list;
};
} // namespace

void selectFirstRowOnFirstArrow(QListWidget *list)
{
    list->installEventFilter(new FirstArrowFilter(list));
}

} // namespace widgets
