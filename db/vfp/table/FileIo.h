#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

namespace db::vfp {

// The engine's only way to touch table files, so tests can cut writes short. Every failure throws
// std::runtime_error naming the file.
class FileIo {
public:
    virtual ~FileIo() = default;
    // Reads up to `size` bytes at `offset`; returns how many were read (fewer only at the end of the file).
    virtual std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) = 0;
    virtual void writeAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    virtual std::uint64_t size() = 0;
    virtual void sync() = 0;
    virtual void truncate(std::uint64_t size) = 0;
    virtual const std::filesystem::path& path() const = 0;
    // Takes an exclusive lock on `length` bytes at `offset` (past the end too) without waiting; false when another
    // holder has any of them. The lock belongs to this open file: it conflicts with every other open of the file,
    // in this process too, and closing another descriptor of the file does not drop it.
    virtual bool tryLock(std::uint64_t offset, std::uint64_t length) = 0;
    virtual void unlock(std::uint64_t offset, std::uint64_t length) = 0;

    // Reads exactly `size` bytes or throws, naming `what` (e.g. "record 12").
    void readExact(std::uint64_t offset, void* data, std::size_t size, const std::string& what);
};

enum class OpenMode { Read, ReadWrite, CreateNew };

// Opens a real file. CreateNew fails with "already exists" when the file is there.
std::unique_ptr<FileIo> openFile(const std::filesystem::path& path, OpenMode mode);

// How the table code opens its files; tests substitute one that fails.
using FileOpener = std::function<std::unique_ptr<FileIo>(const std::filesystem::path&, OpenMode)>;
FileOpener realFileOpener();

// Wraps real files and fails the write that exhausts a shared budget: that write stores only its first half, then
// throws, as a full disk or a pulled plug would leave it.
class WriteBudget {
public:
    explicit WriteBudget(int writesAllowed) : m_left(writesAllowed) {}
    // Called before each write; true when this write is the one that fails.
    bool spend() { return m_left-- <= 0; }

private:
    int m_left;
};

FileOpener failingFileOpener(std::shared_ptr<WriteBudget> budget);

// Called before every change the engine makes to a file on disk: each write, truncation, creation, rename and
// removal, with the file's path. Tests set it to stop the process at a chosen change, as a kill would; it is
// empty otherwise. Process-wide, because a kill stops every file at once.
using FileChangeHook = std::function<void(const std::filesystem::path&)>;
void setFileChangeHook(FileChangeHook hook);
void beforeFileChange(const std::filesystem::path& file);

// std::filesystem's rename and remove, announced to the change hook first.
void renameFile(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec);
bool removeFile(const std::filesystem::path& file, std::error_code& ec);

} // namespace db::vfp
