#include "fuzz/TableReaderFuzzEntry.h"

#include "db/vfp/table/TableFiles.h"

#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fuzzing {

namespace {

// A folder of this process's own, removed at exit.
struct WorkFolder {
    WorkFolder()
    {
        std::error_code ec; // memory-backed when the system has it: the inputs come fast
        auto base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                  : std::filesystem::temp_directory_path();
        path = base / ("corvalen-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~WorkFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

const std::filesystem::path& workFolder()
{
    static const WorkFolder folder;
    return folder.path;
}

// Real files whose flush is skipped: thousands of inputs a second cannot each wait for the disk.
class UnsyncedFile : public db::vfp::FileIo {
public:
    explicit UnsyncedFile(std::unique_ptr<db::vfp::FileIo> inner) : m_inner(std::move(inner)) {}
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override
    {
        return m_inner->readAt(offset, data, size);
    }
    void writeAt(std::uint64_t offset, const void* data, std::size_t size) override
    {
        m_inner->writeAt(offset, data, size);
    }
    std::uint64_t size() override { return m_inner->size(); }
    void sync() override {}
    void truncate(std::uint64_t size) override { m_inner->truncate(size); }
    const std::filesystem::path& path() const override { return m_inner->path(); }
    bool tryLock(std::uint64_t offset, std::uint64_t length) override { return m_inner->tryLock(offset, length); }
    void unlock(std::uint64_t offset, std::uint64_t length) override { m_inner->unlock(offset, length); }

private:
    std::unique_ptr<db::vfp::FileIo> m_inner;
};

std::unique_ptr<db::vfp::FileIo> openUnsynced(const std::filesystem::path& path, db::vfp::OpenMode mode)
{
    return std::make_unique<UnsyncedFile>(db::vfp::openFile(path, mode));
}

void writeBytes(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void readEverything(const std::filesystem::path& dbf)
{
    auto cursor = db::vfp::openTableCursor(dbf);
    cursor->recordCount();
    std::vector<db::Value> row;
    for (int i = 0; i < 5000 && cursor->next(row); ++i)
        for (const auto& v : row)
            v.toText();
}

} // namespace

int runTableReader(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    std::size_t dbfSize = (data[0] | (data[1] << 8) | (data[2] << 16) | (std::size_t{data[3]} << 24)) % (size - 3);
    auto dbf = workFolder() / "t.dbf";
    writeBytes(dbf, data + 4, dbfSize);
    writeBytes(workFolder() / "t.fpt", data + 4 + dbfSize, size - 4 - dbfSize);
    try {
        db::vfp::readTableInfo(dbf);
        readEverything(dbf);
    } catch (const std::runtime_error&) {
    }
    try { // the appender on a damaged table must refuse cleanly too
        db::vfp::TableAppender appender(dbf, openUnsynced);
        appender.append(std::vector<db::Value>(appender.info().fields.size(), db::Null{}));
        readEverything(dbf);
    } catch (const std::runtime_error&) {
    }
    return 0;
}

} // namespace fuzzing
