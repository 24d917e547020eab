#include "ui/SortedList.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <vector>

namespace ui {

SortedList::SortedList(QWidget* parent) : QListWidget(parent)
{
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { placeInserted(first, last); });
}

bool SortedList::before(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

void SortedList::focusInEvent(QFocusEvent* event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid() && !currentItem()->isSelected())
        selectionModel()->clearCurrentIndex();
}

void SortedList::placeInserted(int first, int last)
{
    if (m_placing)
        return;
    m_placing = true;
    std::vector<QListWidgetItem*> added;
    for (int row = last; row >= first; --row)
        added.push_back(takeItem(row));
    for (QListWidgetItem* item : added) {
        // The rest of the list is in order, so the first entry that sorts after the new one marks its place.
        int at = 0;
        while (at < count() && !before(item->text(), this->item(at)->text()))
            ++at;
        insertItem(at, item);
    }
    m_placing = false;
}

} // namespace ui
