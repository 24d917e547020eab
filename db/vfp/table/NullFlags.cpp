#include "db/vfp/table/NullFlags.h"

namespace db::vfp {

std::vector<NullBits> allocateNullBits(const std::vector<FieldDef>& fields)
{
    std::vector<NullBits> bits(fields.size());
    int next = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type == 'V' || fields[i].type == 'Q')
            bits[i].varLength = next++;
        if (fields[i].nullable)
            bits[i].null = next++;
    }
    return bits;
}

int nullBitCount(const std::vector<NullBits>& bits)
{
    int count = 0;
    for (const auto& b : bits)
        count += (b.varLength >= 0 ? 1 : 0) + (b.null >= 0 ? 1 : 0);
    return count;
}

} // namespace db::vfp
