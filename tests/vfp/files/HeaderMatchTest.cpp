// A table we create with the structure of a table Visual FoxPro wrote has the same header, byte for byte, apart
// from the date of last update and the record count (and the index flag, as we never write an index).
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Candidate {
    const char* path;
    bool hasIndex; // flag 0x01 promises a .cdx, which we do not create
};

TEST(HeaderMatch, createdHeadersEqualVisualFoxProsOwn)
{
    SKIP_WITHOUT_FIXTURES();
    const Candidate candidates[] = {
        {"vfpclient/free/AllTypes.DBF", true},            // every type, V/Q/W, binary C/V/M
        {"javadbf/bug93_null_field/testfile.dbf", false}, // nullable C, M, T, D: two bytes of _NullFlags
        {"dbffile/vfp9_30.dbf", false},                   // C D T N B L
        {"infused-dbf/foxprodb/contacts.dbf", true},      // I, T, M among many C
    };
    for (const auto& c : candidates) {
        SCOPED_TRACE(c.path);
        auto vfpFile = testsupport::vfpFixtures() / c.path;
        auto info = db::vfp::readTableInfo(vfpFile);
        testsupport::TempDir dir;
        auto ours = dir.path() / "copy.dbf";
        db::vfp::createTableFiles(ours, info.fields, info.codePageMark, info.backlink);
        std::string expected = testsupport::readFile(vfpFile).substr(0, info.headerLength);
        std::string actual = testsupport::readFile(ours).substr(0, info.headerLength);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i : {1, 2, 3, 4, 5, 6, 7})
            expected[i] = actual[i];
        if (c.hasIndex)
            expected[28] = static_cast<char>(expected[28] & ~0x01);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(static_cast<int>(static_cast<unsigned char>(actual[i])),
                      static_cast<int>(static_cast<unsigned char>(expected[i])))
                << "header byte " << i
                << (i >= 32 ? " (descriptor " + std::to_string((i - 32) / 32) + ", byte " +
                                  std::to_string((i - 32) % 32) + ")"
                            : std::string());
    }
}

} // namespace
