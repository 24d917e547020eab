#include "app/SettingsStore.h"

#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Each test gets its own configuration folder.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir.str())); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    testsupport::TempDir m_dir;
};

TEST_F(SettingsStoreTest, MissingKeyGivesTheCallersDefaultButAnEmptyValueIsNotMissing)
{
    EXPECT_EQ(app::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "5000");
    EXPECT_EQ(app::GetSetting("Haddlemere", "Corvalen", "ASEServer"), "");
    app::SaveSetting("Haddlemere", "Corvalen", "ASEPort", "");
    EXPECT_EQ(app::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "");
}

TEST_F(SettingsStoreTest, ValuesPersistAtOnceInTheUsersIniFileReadableByTheUserAlone)
{
    app::SaveSetting("Haddlemere", "Corvalen", "ASEPassword", "s;e=c\"r#et ü");
    app::SaveSetting("Haddlemere", "Corvalen", "FreeTableFolder", "C:\\data\\fox");
    const QString file = QString::fromStdString(m_dir.str()) + "/Haddlemere/Haddlemere.ini";
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(app::settingsFilePath("Haddlemere"), file);
    struct stat st {};
    ASSERT_EQ(stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A fresh read (a new store object each call) sees exactly what was written.
    EXPECT_EQ(app::GetSetting("Haddlemere", "Corvalen", "ASEPassword"), "s;e=c\"r#et ü");
    EXPECT_EQ(app::GetSetting("Haddlemere", "Corvalen", "FreeTableFolder"), "C:\\data\\fox");
    EXPECT_NE(testsupport::readFile(file.toStdString()).find("[Corvalen]"), std::string::npos);
}

TEST_F(SettingsStoreTest, ApplicationAndSectionAreNotInterchangeable)
{
    app::SaveSetting("Haddlemere", "Corvalen", "ASEUser", "sa");
    EXPECT_EQ(app::GetSetting("Corvalen", "Haddlemere", "ASEUser", "none"), "none");
    EXPECT_EQ(app::GetSetting("Haddlemere", "Other", "ASEUser", "none"), "none");
}

} // namespace
