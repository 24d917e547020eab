#include "frame/SettingsStore.h"

#include "support/TestSupport.h"

#include <QFile>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(SettingsStoreTest, ReadingCreatesNothing)
{
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "5000");
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEServer"), "");
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.path()));
}

mode_t modeOf(const std::filesystem::path& p)
{
    struct stat st {};
    EXPECT_EQ(stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

TEST_F(SettingsStoreTest, TheFolderIsCreatedForTheUserAloneWhateverTheUmask)
{
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_dir.path() / "config").string()));
    const mode_t old = ::umask(0);
    frame::SaveSetting("Haddlemere", "Corvalen", "ASEUser", "sa");
    ::umask(old);
    EXPECT_EQ(modeOf(m_dir.path() / "config"), 0700u);
    EXPECT_EQ(modeOf(m_dir.path() / "config" / "Haddlemere"), 0700u);
    EXPECT_EQ(modeOf(m_dir.path() / "config" / "Haddlemere" / "Haddlemere.ini"), 0600u);
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEUser"), "sa");
}

// A configuration folder that cannot be written: read-only, and (for root, whom permissions do not stop) with a
// file where the settings folder would go.
void makeUnwritable(const std::filesystem::path& config)
{
    if (::geteuid() == 0)
        testsupport::writeFile(config / "Haddlemere", "");
    std::filesystem::permissions(config, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
}

TEST_F(SettingsStoreTest, AnUnwritableFolderGivesDefaultsOnReadingAndOneReasonOnWriting)
{
    makeUnwritable(m_dir.path());
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "5000");
    try {
        frame::SaveSetting("Haddlemere", "Corvalen", "ASEPort", "5001");
        ADD_FAILURE() << "a write into an unwritable folder went through";
    } catch (const std::runtime_error& e) {
        const std::string file = frame::settingsFilePath("Haddlemere").toStdString();
        const std::string expected = "Cannot write the settings file " + file + ": ";
        EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected) << e.what();
        const std::string reason =
            std::string(e.what()).substr(std::min(expected.size(), std::string(e.what()).size()));
        EXPECT_TRUE(reason == "Permission denied" || reason == "Not a directory") << e.what();
    }
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort", "5000"), "5000");
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all);
}

TEST_F(SettingsStoreTest, ADamagedFileIsStillWrittenWithoutAFalseReport)
{
    const auto file = m_dir.path() / "Haddlemere" / "Haddlemere.ini";
    std::filesystem::create_directories(file.parent_path());
    testsupport::writeFile(file, "[Corvalen]\nASEUser=sa\n[broken\n\xff\xfe=\x01\n");
    EXPECT_NO_THROW(frame::SaveSetting("Haddlemere", "Corvalen", "ASEPort", "5001"));
    EXPECT_EQ(frame::GetSetting("Haddlemere", "Corvalen", "ASEPort"), "5001");
}

} // namespace
