#include "cli/SendProgress.h"

#include <ostream>
#include <utility>

namespace cli {

namespace {

std::string rows(long long count)
{
    return std::to_string(count) + (count == 1 ? " row" : " rows");
}

} // namespace

SendProgress::SendProgress(Console& console, StatusLine& status, std::string target)
    : m_console(console), m_status(status), m_target(std::move(target))
{
}

void SendProgress::tableBegun(const std::string& name)
{
    m_tables.push_back({name});
    m_shownPercent = -1;
    if (m_console.errIsTerminal)
        setValue(0);
    else
        m_console.err << "Sending " << name << " to " << m_target << "\n" << std::flush;
}

void SendProgress::setValue(int value)
{
    // The command sets the value at every row, rising; the line changes only when the figure does, and the reset
    // to 0 at the table's end is not shown.
    if (m_tables.empty() || value <= m_shownPercent)
        return;
    m_shownPercent = value;
    m_status.show("Sending " + m_tables.back().name + " to " + m_target + ": " + std::to_string(value) + "%");
}

void SendProgress::rowDone(bool failed)
{
    if (m_tables.empty())
        return;
    ++(failed ? m_tables.back().failed : m_tables.back().sent);
}

void SendProgress::doneRowFailed()
{
    if (m_tables.empty())
        return;
    Table& t = m_tables.back();
    if (t.sent > 0)
        --t.sent;
    ++t.failed;
}

void SendProgress::tableEnded(Outcome outcome)
{
    if (!m_tables.empty())
        m_tables.back().outcome = outcome;
    m_status.clear();
}

void SendProgress::writeSummary(std::ostream& out) const
{
    long long sent = 0;
    long long failed = 0;
    int created = 0;
    int kept = 0;
    int notSent = 0;
    for (const Table& t : m_tables) {
        sent += t.sent;
        failed += t.failed;
        switch (t.outcome) {
        case Outcome::Created:
            ++created;
            out << t.name << ": " << rows(t.sent) << " sent, " << t.failed << " failed\n";
            break;
        case Outcome::Kept:
            ++kept;
            out << t.name << ": not sent, the existing table was kept\n";
            break;
        case Outcome::NotSent:
            ++notSent;
            out << t.name << ": not sent\n";
            break;
        }
    }
    out << "total: " << created << (created == 1 ? " table" : " tables") << " sent, " << rows(sent) << " sent, "
        << failed << " failed";
    if (kept > 0)
        out << ", " << kept << " kept";
    if (notSent > 0)
        out << ", " << notSent << " not sent";
    out << "\n";
}

} // namespace cli
