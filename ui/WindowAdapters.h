#pragma once

#include "commands/TablesWindowSeam.h"
#include "frame/WindowControls.h"

class QListWidget;
class QProgressBar;

namespace ui {

// A QListWidget as the list control the commands use.
class ListWidgetControl : public frame::ListControl {
public:
    explicit ListWidgetControl(QListWidget& list) : m_list(&list) {}
    int count() const override;
    std::string text(int index) const override;
    bool isSelected(int index) const override;
    int selectedCount() const override;
    int currentRow() const override;
    void add(const std::string& text) override;
    void removeAt(int index) override;
    void clear() override;

private:
    QListWidget* m_list;
};

// A QProgressBar as the progress display; its text is the bar's format.
class ProgressBarControl : public commands::ProgressControl {
public:
    explicit ProgressBarControl(QProgressBar& bar) : m_bar(&bar) {}
    void setValue(int value) override;
    void setText(const std::string& text) override;

private:
    QProgressBar* m_bar;
};

// Lets Qt process its pending events, when there is an application.
void processEvents();

// Closing the tables window ends the program at once, also while a command yields in the middle of a send: every
// statement already sent stands on its own, so nothing is gained by unwinding. Call from the window's close.
void endProgram(const commands::Busy& busy);

} // namespace ui
