#pragma once

#include "frame/ConnectionFields.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"
#include "ui/Form1.h"

#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QListWidget;

// A settings store of its own, scripted dialogs, and helpers to make FoxPro tables and a stand-in server.
class UiTest : public ::testing::Test {
protected:
    UiTest();
    ~UiTest() override;

    void store(const char* key, const QString& value);
    QString stored(const char* key, const QString& fallback = "<missing>");

    // A free-table folder holding `table` with `rows` rows of (ID I, NAME C(20)).
    std::filesystem::path foxProFolder(const std::string& table, int rows);
    void addFoxProTable(const std::filesystem::path& folder, const std::string& table, int rows);
    // "sqlite:<temp>/server.db": the stand-in server's name for the ASE server field.
    QString standInServer() const;
    // Stores settings that open both sides: the folder (free-table option) and the stand-in server.
    void storeWorkingSettings(const std::filesystem::path& folder);
    long long serverRowCount(const std::string& table);

    // The connection window, started as the program starts it (no web-site visit).
    ui::Form1& startForm1();

    template <typename W> W& control(QWidget& window, const char* name)
    {
        W* w = window.findChild<W*>(name);
        if (!w)
            throw std::runtime_error(std::string("no control ") + name);
        return *w;
    }

    testsupport::TempDir m_config;
    testsupport::TempDir m_data;
    testsupport::ScriptedDialogs m_dialogs;
    std::unique_ptr<ui::Form1> m_form1;

private:
    QByteArray m_savedConfigHome;
};

std::vector<std::string> entries(const QListWidget& list);
