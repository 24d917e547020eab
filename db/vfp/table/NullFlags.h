#pragma once

#include "db/vfp/table/FieldDef.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace db::vfp {

// Where a field's bits live in _NullFlags; -1 = none.
struct NullBits {
    int varLength = -1; // V/Q: set when the value is shorter than the field
    int null = -1;      // nullable fields: set when the value is NULL
};

// Walks the fields in descriptor order: a V or Q field gets a varlength bit, then (when nullable) its null bit;
// any other nullable field gets a null bit.
std::vector<NullBits> allocateNullBits(const std::vector<FieldDef>& fields);

// Bits needed, and the bytes of the _NullFlags field (0 when the table needs none).
int nullBitCount(const std::vector<NullBits>& bits);
inline int nullFlagsBytes(int bitCount)
{
    return (bitCount + 7) / 8;
}

// Bit k lives in byte k / 8, least significant bit first.
inline bool testBit(const std::uint8_t* flags, std::size_t size, int bit)
{
    if (bit < 0 || static_cast<std::size_t>(bit / 8) >= size)
        return false;
    return ((flags[bit / 8] >> (bit % 8)) & 1) != 0;
}
inline void setBit(std::uint8_t* flags, std::size_t size, int bit)
{
    if (bit >= 0 && static_cast<std::size_t>(bit / 8) < size)
        flags[bit / 8] = static_cast<std::uint8_t>(flags[bit / 8] | (1u << (bit % 8)));
}

} // namespace db::vfp
