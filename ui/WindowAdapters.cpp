#include "ui/WindowAdapters.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QProgressBar>
#include <QString>
#include <cstdlib>
#include <stdexcept>

namespace ui {

namespace {

QListWidgetItem& itemAt(const QListWidget& list, int index)
{
    QListWidgetItem* item = list.item(index);
    if (!item)
        throw std::runtime_error("Invalid list index " + std::to_string(index));
    return *item;
}

} // namespace

int ListWidgetControl::count() const
{
    return m_list->count();
}

std::string ListWidgetControl::text(int index) const
{
    return itemAt(*m_list, index).text().toStdString();
}

bool ListWidgetControl::isSelected(int index) const
{
    return itemAt(*m_list, index).isSelected();
}

int ListWidgetControl::selectedCount() const
{
    return static_cast<int>(m_list->selectedItems().size());
}

int ListWidgetControl::currentRow() const
{
    return m_list->currentRow();
}

void ListWidgetControl::add(const std::string& text)
{
    m_list->addItem(QString::fromStdString(text));
}

void ListWidgetControl::removeAt(int index)
{
    itemAt(*m_list, index);
    delete m_list->takeItem(index);
}

void ListWidgetControl::clear()
{
    m_list->clear();
}

void ProgressBarControl::setValue(int value)
{
    m_bar->setValue(value);
}

void ProgressBarControl::setText(const std::string& text)
{
    m_bar->setFormat(QString::fromStdString(text));
}

void processEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void endProgram(const commands::Busy& busy)
{
    // A command further up the stack would go on sending after quit(); the program must end now instead.
    if (busy.active())
        std::exit(0);
    QCoreApplication::quit();
}

} // namespace ui
