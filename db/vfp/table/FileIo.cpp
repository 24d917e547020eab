#include "db/vfp/table/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace db::vfp {

namespace {

FileChangeHook& changeHook()
{
    static FileChangeHook hook;
    return hook;
}

std::string errnoText(int err)
{
    return std::strerror(err);
}

class PosixFile : public FileIo {
public:
    PosixFile(std::filesystem::path path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    ~PosixFile() override { ::close(m_fd); }

    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override
    {
        auto* out = static_cast<char*>(data);
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::runtime_error("Cannot read " + m_path.string() + ": " + errnoText(errno));
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    void writeAt(std::uint64_t offset, const void* data, std::size_t size) override
    {
        beforeFileChange(m_path);
        const auto* in = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::pwrite(m_fd, in + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::runtime_error("Cannot write " + m_path.string() + ": " + errnoText(errno));
            done += static_cast<std::size_t>(n);
        }
    }

    std::uint64_t size() override
    {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            throw std::runtime_error("Cannot read the size of " + m_path.string() + ": " + errnoText(errno));
        return static_cast<std::uint64_t>(st.st_size);
    }

    void sync() override
    {
        if (::fsync(m_fd) != 0)
            throw std::runtime_error("Cannot flush " + m_path.string() + ": " + errnoText(errno));
    }

    void truncate(std::uint64_t size) override
    {
        beforeFileChange(m_path);
        if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
            throw std::runtime_error("Cannot truncate " + m_path.string() + ": " + errnoText(errno));
    }

    const std::filesystem::path& path() const override { return m_path; }

    // Open-file-description locks: Samba maps its clients' byte-range locks onto these, so a Visual FoxPro
    // application on a share and our other processes see the same locks.
    bool tryLock(std::uint64_t offset, std::uint64_t length) override
    {
        const struct flock fl = byteRange(F_WRLCK, offset, length);
        for (;;) {
            if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0)
                return true;
            if (errno == EAGAIN || errno == EACCES)
                return false;
            if (errno != EINTR)
                throw std::runtime_error("Cannot lock " + m_path.string() + ": " + errnoText(errno));
        }
    }

    void unlock(std::uint64_t offset, std::uint64_t length) override
    {
        const struct flock fl = byteRange(F_UNLCK, offset, length);
        ::fcntl(m_fd, F_OFD_SETLK, &fl); // cannot fail for a lock we hold; closing the file drops it anyway
    }

private:
    static struct flock byteRange(short type, std::uint64_t offset, std::uint64_t length)
    {
        struct flock fl {};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        return fl;
    }

    std::filesystem::path m_path;
    int m_fd;
};

class FailingFile : public FileIo {
public:
    FailingFile(std::unique_ptr<FileIo> inner, std::shared_ptr<WriteBudget> budget)
        : m_inner(std::move(inner)), m_budget(std::move(budget))
    {
    }
    std::size_t readAt(std::uint64_t offset, void* data, std::size_t size) override
    {
        return m_inner->readAt(offset, data, size);
    }
    void writeAt(std::uint64_t offset, const void* data, std::size_t size) override
    {
        if (m_budget->spend()) {
            m_inner->writeAt(offset, data, size / 2);
            throw std::runtime_error("Cannot write " + path().string() + ": simulated failure");
        }
        m_inner->writeAt(offset, data, size);
    }
    std::uint64_t size() override { return m_inner->size(); }
    void sync() override { m_inner->sync(); }
    void truncate(std::uint64_t size) override { m_inner->truncate(size); }
    const std::filesystem::path& path() const override { return m_inner->path(); }
    bool tryLock(std::uint64_t offset, std::uint64_t length) override { return m_inner->tryLock(offset, length); }
    void unlock(std::uint64_t offset, std::uint64_t length) override { m_inner->unlock(offset, length); }

private:
    std::unique_ptr<FileIo> m_inner;
    std::shared_ptr<WriteBudget> m_budget;
};

} // namespace

void FileIo::readExact(std::uint64_t offset, void* data, std::size_t size, const std::string& what)
{
    if (readAt(offset, data, size) != size)
        throw std::runtime_error("The file " + path().string() + " ends inside " + what +
                                 "; it is truncated or damaged");
}

std::unique_ptr<FileIo> openFile(const std::filesystem::path& path, OpenMode mode)
{
    int flags = O_CLOEXEC;
    if (mode == OpenMode::Read)
        flags |= O_RDONLY;
    else if (mode == OpenMode::ReadWrite)
        flags |= O_RDWR;
    else
        flags |= O_RDWR | O_CREAT | O_EXCL;
    if (mode == OpenMode::CreateNew)
        beforeFileChange(path);
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        int err = errno;
        if (err == EEXIST)
            throw std::runtime_error("The file " + path.string() + " already exists");
        if (err == ENOENT)
            throw std::runtime_error("The file " + path.string() + " does not exist");
        throw std::runtime_error("Cannot open " + path.string() + ": " + errnoText(err));
    }
    return std::make_unique<PosixFile>(path, fd);
}

FileOpener realFileOpener()
{
    return [](const std::filesystem::path& path, OpenMode mode) { return openFile(path, mode); };
}

FileOpener failingFileOpener(std::shared_ptr<WriteBudget> budget)
{
    return [budget = std::move(budget)](const std::filesystem::path& path, OpenMode mode) -> std::unique_ptr<FileIo> {
        return std::make_unique<FailingFile>(openFile(path, mode), budget);
    };
}

void setFileChangeHook(FileChangeHook hook)
{
    changeHook() = std::move(hook);
}

void beforeFileChange(const std::filesystem::path& file)
{
    if (changeHook())
        changeHook()(file);
}

void renameFile(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec)
{
    beforeFileChange(to);
    std::filesystem::rename(from, to, ec);
}

bool removeFile(const std::filesystem::path& file, std::error_code& ec)
{
    if (!std::filesystem::exists(file, ec))
        return false;
    beforeFileChange(file);
    return std::filesystem::remove(file, ec);
}

} // namespace db::vfp
