#pragma once

#include "frame/WindowControls.h"

#include <string>
#include <vector>

namespace frame {

// A list control without a window: entries in the order added, each selected or not. For running the commands
// where there is no list box (benchmarks, tests, the command line).
class TableList : public ListControl {
public:
    int count() const override { return static_cast<int>(m_entries.size()); }
    std::string text(int index) const override { return entry(index).text; }
    bool isSelected(int index) const override { return entry(index).selected; }
    int selectedCount() const override;
    int currentRow() const override { return m_current; }
    void add(const std::string& text) override { m_entries.push_back({text, false}); }
    void removeAt(int index) override;
    void clear() override;

    // Selects the entry and makes it the current one.
    void select(int index);
    std::vector<std::string> texts() const;

private:
    struct Entry {
        std::string text;
        bool selected = false;
    };
    const Entry& entry(int index) const;

    std::vector<Entry> m_entries;
    int m_current = -1;
};

} // namespace frame
