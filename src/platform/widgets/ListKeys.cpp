// SPDX-License-Identifier: MIT
#include "platform/widgets/ListKeys.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

namespace widgets {

namespace {
class FirstArrowFilter : public QObject
{
public:
    explicit FirstArrowFilter(QAbstractItemView *list) : QObject(list), m_list(list) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_list || event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QAbstractItemModel *model = m_list->model();
        QItemSelectionModel *selection = m_list->selectionModel();
        if ((key != Qt::Key_Down && key != Qt::Key_Up) || !model || !selection ||
            model->rowCount(m_list->rootIndex()) == 0 || selection->hasSelection())
            return false;
        selection->setCurrentIndex(model->index(0, 0, m_list->rootIndex()),
                                   QItemSelectionModel::ClearAndSelect);
        return true;
    }

private:
    QAbstractItemView *m_list;
};
} // namespace

void selectFirstRowOnFirstArrow(QAbstractItemView *list)
{
    list->installEventFilter(new FirstArrowFilter(list));
}

} // namespace widgets
