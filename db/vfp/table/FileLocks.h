#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace db::vfp {

class FileIo;
struct TableInfo;

// One exclusive byte-range lock. Visual FoxPro places its locks beyond the data, so they block no reader.
struct LockRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 1;
};

// The bytes Visual FoxPro locks, in its own scheme (from the top of the 2 GiB space downwards). Tables without a
// structural index, while under 1 GiB, also get the older FoxPro scheme's byte, because the programs that share
// these files disagree on which scheme such a table uses.
std::vector<LockRange> headerLockRanges(const TableInfo& info, std::uint64_t fileSize);
// Records `recno` to `recno + count - 1`, as Visual FoxPro locks each of them, in one range per scheme.
std::vector<LockRange> recordLockRanges(const TableInfo& info, std::uint32_t recno, std::uint64_t fileSize,
                                        std::uint32_t count = 1);
// Every record the table could hold and its header: what a container change locks in the .dbc.
std::vector<LockRange> wholeTableLockRanges(std::uint16_t headerLength, std::uint16_t recordLength);
// The memo file's header byte, and the byte another re-implementation uses while the file is under 1 GiB.
std::vector<LockRange> memoLockRanges(std::uint64_t memoSize);
// A compound index (.cdx, .dcx).
std::vector<LockRange> indexLockRanges();

// Locks taken on files, released in reverse order when the holder goes. A lock another holds is tried again as
// the lock wait allows; when it gives up, the locks this take() got go again and `inUse` is thrown.
class FileLocks {
public:
    FileLocks() = default;
    ~FileLocks();
    FileLocks(const FileLocks&) = delete;
    FileLocks& operator=(const FileLocks&) = delete;

    void take(FileIo& file, const std::vector<LockRange>& ranges, const std::string& inUse);
    void releaseAll();

private:
    void releaseDownTo(std::size_t count);

    struct Held {
        FileIo* file;
        LockRange range;
    };
    std::vector<Held> m_held;
};

// Decides, after `failedTries` tries at a lock failed, whether to try again: waits a little and returns true, or
// returns false to give up. The default waits 20 ms at a time for about five seconds; tests put in one that
// gives up at once or frees the lock. An empty one puts the default back. Returns the one it replaces.
using LockWait = std::function<bool(int failedTries)>;
LockWait setLockWait(LockWait wait);

// The error a writer gives when another program holds the table it wants to change.
std::string tableInUseMessage(const std::string& file);

} // namespace db::vfp
