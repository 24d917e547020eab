#pragma once

#include "commands/TablesWindowSeam.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "frame/ConnectionFields.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"
#include "ui/WindowAdapters.h"

#include <QListWidget>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace db {
// Readable failures: the value's text and its kind.
inline void PrintTo(const Value& v, std::ostream* os)
{
    *os << "[" << v.storage().index() << "]'" << v.toText() << "'";
}
} // namespace db

namespace transfertest {

// The progress display, remembering every value it was given.
class RecordingProgress : public commands::ProgressControl {
public:
    void setValue(int v) override
    {
        value = v;
        values.push_back(v);
    }
    void setText(const std::string& t) override { text = t; }
    int value = 0;
    std::string text = "Progress Bar";
    std::vector<int> values;
};

using Rows = std::vector<std::vector<db::Value>>;

// A tables window made of plain widgets over a real free-table folder and a real stand-in server (SQLite through
// the ASEOLEDB provider), with scripted dialogs.
class TransferTest : public ::testing::Test {
protected:
    TransferTest();

    void SetUp() override;

    // Statements run directly on either side, and what a SELECT gives back.
    void fox(const std::string& sql);
    void ase(const std::string& sql);
    Rows foxRows(const std::string& table);
    Rows aseRows(const std::string& table);
    std::vector<db::FieldInfo> foxFields(const std::string& table);
    bool foxHas(const std::string& table);
    bool aseHas(const std::string& table);

    // Damages a free table's file as a crash or a faulty program would leave it: the memo pointer of `record`
    // (from 1) made to point past the end of the memo file, or a column descriptor renamed to a name FoxPro itself
    // would never write.
    void pointMemoPastEnd(const std::string& table, int record);
    void renameColumnInFile(const std::string& table, const std::string& from, const std::string& to);

    // Fills a list; `selected` names the entries to select, `current` the current one ("" for none).
    static void fill(QListWidget& list, const std::vector<std::string>& names, const std::vector<std::string>& selected,
                     const std::string& current);
    static std::vector<std::string> entries(const QListWidget& list);

    // The "Application Error" reports shown, in order.
    std::vector<std::string> errorReports() const;

    testsupport::TempDir m_dir;
    std::filesystem::path m_foxFolder;
    std::filesystem::path m_serverFile;
    frame::ConnectionFields m_fields;
    QListWidget m_list1;
    QListWidget m_list2;
    ui::ListWidgetControl m_foxProList{m_list1};
    ui::ListWidgetControl m_aseList{m_list2};
    RecordingProgress m_progress;
    std::vector<int> m_pointers; // the pointer states set, by their numbers
    commands::TablesWindowSeam m_window;
    testsupport::ScriptedDialogs m_dialogs;
};

std::string text(const db::Value& v);

// Counts what the send says of its rows, as the command line's summary does.
class RowCount : public commands::SendObserver {
public:
    void tableBegun(const std::string&) override {}
    void rowDone(bool reported) override { ++(reported ? failed : sent); }
    void doneRowFailed() override
    {
        --sent;
        ++failed;
    }
    void tableEnded(Outcome o) override { outcome = o; }
    int sent = 0, failed = 0;
    Outcome outcome = Outcome::NotSent;
};

} // namespace transfertest
