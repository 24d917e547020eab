#include "transfer/TablesWindowSeam.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QString>
#include <cstdlib>

namespace transfer {

void ProgressBarControl::setValue(int value)
{
    m_bar->setValue(value);
}

void ProgressBarControl::setText(const std::string& text)
{
    m_bar->setFormat(QString::fromStdString(text));
}

void endProgram(const Busy& busy)
{
    // A command further up the stack would go on sending after quit(); the program must end now instead.
    if (busy.active())
        std::exit(0);
    QCoreApplication::quit();
}

} // namespace transfer
