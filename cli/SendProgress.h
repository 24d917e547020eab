#pragma once

#include "cli/Console.h"
#include "commands/TablesWindowSeam.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// A send's progress and its count of tables and rows. On a terminal the progress is one line on standard error,
// written over as the percentage moves; elsewhere one line a table. The summary goes to standard output.
class SendProgress : public commands::ProgressControl, public commands::SendObserver {
public:
    // `target` names the side the tables go to, as the progress line shows it ("ASE", "FoxPro").
    SendProgress(Console& console, StatusLine& status, std::string target);

    void setValue(int value) override;
    void setText(const std::string& /*text*/) override {}

    void tableBegun(const std::string& name) override;
    void rowDone(bool failed) override;
    void doneRowFailed() override;
    void tableEnded(Outcome outcome) override;

    // One line a table, in the order they were sent, and a total.
    void writeSummary(std::ostream& out) const;

private:
    struct Table {
        std::string name;
        long long sent = 0;
        long long failed = 0;
        Outcome outcome = Outcome::NotSent;
    };

    Console& m_console;
    StatusLine& m_status;
    std::string m_target;
    std::vector<Table> m_tables;
    int m_shownPercent = -1;
};

} // namespace cli
