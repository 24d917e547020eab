#pragma once

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace testsupport {

// Visual FoxPro's lock on a table's header, at this byte.
inline constexpr off_t kFoxProHeaderLock = 0x7FFFFFFE;

// A byte lock held as a Visual FoxPro application on a share holds it: Samba maps its locks onto these.
class ForeignLock {
public:
    ForeignLock(const std::filesystem::path& file, off_t offset) : m_fd(::open(file.c_str(), O_RDWR | O_CLOEXEC))
    {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = offset;
        fl.l_len = 1;
        EXPECT_EQ(::fcntl(m_fd, F_OFD_SETLK, &fl), 0);
    }
    ~ForeignLock() { release(); }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

} // namespace testsupport
