#include "db/vfp/table/FileLocks.h"

#include "db/Replaceable.h"
#include "db/vfp/table/FileIo.h"
#include "db/vfp/table/TableFiles.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace db::vfp {

namespace {

constexpr std::uint64_t kVfpLockTop = 0x7FFFFFFE;  // the header ("record 0"); record n is n bytes below
constexpr std::uint64_t kOldLockBase = 0x40000000; // the older scheme: header here, records at their offset above
constexpr std::uint64_t kOneGiB = 0x40000000;
constexpr std::uint8_t kHasStructuralIndex = 0x01;
constexpr int kTries = 250;
constexpr auto kPause = std::chrono::milliseconds(20);

bool usesOldSchemeToo(const TableInfo& info, std::uint64_t fileSize)
{
    return (info.tableFlags & kHasStructuralIndex) == 0 && fileSize < kOneGiB;
}

bool realLockWait(int failedTries)
{
    if (failedTries >= kTries)
        return false;
    std::this_thread::sleep_for(kPause);
    return true;
}

db::Replaceable<LockWait>& lockWait()
{
    static db::Replaceable<LockWait> wait{LockWait(realLockWait)};
    return wait;
}

} // namespace

std::vector<LockRange> headerLockRanges(const TableInfo& info, std::uint64_t fileSize)
{
    std::vector<LockRange> out{{kVfpLockTop, 1}};
    if (usesOldSchemeToo(info, fileSize))
        out.push_back({kOldLockBase, 1});
    return out;
}

std::vector<LockRange> recordLockRanges(const TableInfo& info, std::uint32_t recno, std::uint64_t fileSize,
                                        std::uint32_t count)
{
    const std::uint64_t last = std::uint64_t{recno} + count - 1;
    std::vector<LockRange> out{{kVfpLockTop - last, count}};
    if (usesOldSchemeToo(info, fileSize))
        out.push_back({kOldLockBase + info.headerLength + std::uint64_t{recno - 1} * info.recordLength,
                       std::uint64_t{count - 1} * info.recordLength + 1});
    return out;
}

std::vector<LockRange> wholeTableLockRanges(std::uint16_t headerLength, std::uint16_t recordLength)
{
    // As many records as fit below their own lock bytes, and the header byte.
    const std::uint64_t most = ((std::uint64_t{1} << 31) - headerLength - 2) / (std::uint64_t{recordLength} + 1);
    return {{kVfpLockTop - most, most + 1}};
}

std::vector<LockRange> memoLockRanges(std::uint64_t memoSize)
{
    std::vector<LockRange> out{{0, 1}};
    if (memoSize < kOneGiB)
        out.push_back({kOldLockBase, 1});
    return out;
}

std::vector<LockRange> indexLockRanges()
{
    return {{kVfpLockTop, 1}};
}

FileLocks::~FileLocks()
{
    releaseAll();
}

void FileLocks::take(FileIo& file, const std::vector<LockRange>& ranges, const std::string& inUse)
{
    const std::size_t before = m_held.size();
    const LockWait wait = lockWait().get();
    int failedTries = 0;
    for (const LockRange& range : ranges) {
        while (!file.tryLock(range.offset, range.length)) {
            if (!wait(failedTries++)) {
                releaseDownTo(before);
                throw std::runtime_error(inUse);
            }
        }
        m_held.push_back({&file, range});
    }
}

void FileLocks::releaseAll()
{
    releaseDownTo(0);
}

void FileLocks::releaseDownTo(std::size_t count)
{
    while (m_held.size() > count) {
        m_held.back().file->unlock(m_held.back().range.offset, m_held.back().range.length);
        m_held.pop_back();
    }
}

LockWait setLockWait(LockWait wait)
{
    return lockWait().replace(std::move(wait));
}

std::string tableInUseMessage(const std::string& file)
{
    return "The table " + file +
           " is in use by another program, which kept it locked for several seconds; nothing was written. Try "
           "again when it is free.";
}

} // namespace db::vfp
