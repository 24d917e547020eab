#include "frame/SettingsStore.h"

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
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "5000");
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEServer"), "");
    frame::SaveSetting("Haddlemere", "Corvalen", "ASEPort", "");
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "");
}

TEST_F(SettingsStoreTest, ValuesPersistAtOnceInTheUsersIniFileReadableByTheUserAlone)
{
    frame::SaveSetting("Haddlemere", "Corvalen", "ASEPassword", "s;e=c\"r#et ü");
    frame::SaveSetting("Haddlemere", "Corvalen", "FreeTableFolder", "C:\\data\\fox");
    const QString file = QString::fromStdString(m_dir.str()) + "/Haddlemere/Haddlemere.ini";
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(frame::settingsFilePath("Haddlemere"), file);
    struct stat st {};
    ASSERT_EQ(stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A fresh read (a new store object each call) sees exactly what was written.
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPassword"), "s;e=c\"r#et ü");
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "FreeTableFolder"), "C:\\data\\fox");
    EXPECT_NE(testsupport::readFile(file.toStdString()).find("[Corvalen]"), std::string::npos);
}

TEST_F(SettingsStoreTest, ApplicationAndSectionAreNotInterchangeable)
{
    frame::SaveSetting("Haddlemere", "Corvalen", "ASEUser", "sa");
    EXPECT_EQ(frame::GetSetting("Corvalen", "Haddlemere", "ASEUser", "none"), "none");
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Other", "ASEUser", "none"), "none");
}

} // namespace
