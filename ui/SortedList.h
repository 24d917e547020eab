#pragma once

#include <QListWidget>

namespace ui {

// A list box that keeps its entries in alphabetical order, letter case ignored, wherever they are added from
// (addItem by the table commands included). A newly added entry goes to its place at once.
class SortedList : public QListWidget {
public:
    explicit SortedList(QWidget* parent = nullptr);

    static bool before(const QString& a, const QString& b);

protected:
    // A list box has no current entry until the user picks one; Qt's list would make the first entry current as
    // soon as the list takes the focus, and the table commands read "no current entry" as "nothing chosen".
    void focusInEvent(QFocusEvent* event) override;

private:
    void placeInserted(int first, int last);

    bool m_placing = false;
};

} // namespace ui
