#include "frame/TableList.h"

#include <algorithm>
#include <stdexcept>

namespace frame {

int TableList::selectedCount() const
{
    return static_cast<int>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.selected; }));
}

const TableList::Entry& TableList::entry(int index) const
{
    if (index < 0 || index >= count())
        throw std::runtime_error("Invalid list index " + std::to_string(index));
    return m_entries[static_cast<std::size_t>(index)];
}

void TableList::removeAt(int index)
{
    entry(index);
    m_entries.erase(m_entries.begin() + index);
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
}

void TableList::clear()
{
    m_entries.clear();
    m_current = -1;
}

void TableList::select(int index)
{
    entry(index);
    m_entries[static_cast<std::size_t>(index)].selected = true;
    m_current = index;
}

std::vector<std::string> TableList::texts() const
{
    std::vector<std::string> out;
    for (const Entry& e : m_entries)
        out.push_back(e.text);
    return out;
}

} // namespace frame
