#include <gtest/gtest.h>

#include <string>

#include "base/CellAddress.h"

namespace lorvane {
namespace {

TEST(CellAddressTest, ColumnLettersBothWays) {
    const std::pair<int, const char*> cases[] = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {28, "AB"}, {52, "AZ"}, {53, "BA"},
        {256, "IV"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"},
    };
    for (auto [n, letters] : cases) {
        SCOPED_TRACE(letters);
        EXPECT_EQ(columnLetters(n), letters);
        EXPECT_EQ(columnNumber(letters), n);
    }
    for (int n = 1; n <= kMaxColumns; ++n) ASSERT_EQ(columnNumber(columnLetters(n)), n);

    EXPECT_EQ(columnNumber("ab"), 28);
    EXPECT_EQ(columnNumber("xfd"), 16384);
    for (const char* bad : {"", "XFE", "ZZZ", "ABCD", "A1", "1", "$A", " A", "Ａ"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(columnNumber(bad), 0);
    }
    EXPECT_EQ(columnLetters(0), "");
    EXPECT_EQ(columnLetters(16385), "");
}

TEST(CellAddressTest, ParsesReferences) {
    struct Case {
        const char* text;
        CellRect rect;
    };
    const Case cases[] = {
        {"A1", {1, 1, 1, 1}},
        {"a1", {1, 1, 1, 1}},
        {"$B$2", {2, 2, 2, 2}},
        {"B$2", {2, 2, 2, 2}},
        {"$B2", {2, 2, 2, 2}},
        {"IV5", {5, 256, 5, 256}},
        {"XFD1048576", {kMaxRows, kMaxColumns, kMaxRows, kMaxColumns}},
        {"a1:c5", {1, 1, 5, 3}},
        {"$A$1:$C$5", {1, 1, 5, 3}},
        {"C5:A1", {1, 1, 5, 3}},
        {"C1:A5", {1, 1, 5, 3}},
        {"C:E", {1, 3, kMaxRows, 5}},
        {"E:C", {1, 3, kMaxRows, 5}},
        {"$C:$E", {1, 3, kMaxRows, 5}},
        {"A:A", {1, 1, kMaxRows, 1}},
        {"3:7", {3, 1, 7, kMaxColumns}},
        {"$7:$3", {3, 1, 7, kMaxColumns}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CellRect r{9, 9, 9, 9};
        ASSERT_TRUE(parseReference(c.text, r));
        EXPECT_EQ(r, c.rect);
    }
}

TEST(CellAddressTest, RefusesTextsThatNameNoCells) {
    const char* cases[] = {
        "", "A", "1", "A0", "A01", "XFE1", "A1048577", "A99999999999", "Sheet1", "1A", "$", "$$A1",
        "A$$1", "A1$", "A 1", " A1", "A1 ", "A1:", ":A1", "A1:B", "A:3", "A1:B2:C3", "A-1", "D3,D6",
        "Sheet1!A1", "R1C1x", "ABCD1", "A1.5", "0:3",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        CellRect r{9, 9, 9, 9};
        EXPECT_FALSE(parseReference(text, r));
        EXPECT_EQ(r, (CellRect{9, 9, 9, 9}));  // untouched on failure
    }
}

TEST(CellAddressTest, Addresses) {
    struct Case {
        CellRect rect;
        const char* absolute;
        const char* relative;
    };
    const Case cases[] = {
        {{1, 1, 1, 1}, "$A$1", "A1"},
        {{1, 1, 5, 3}, "$A$1:$C$5", "A1:C5"},
        {{1, 3, kMaxRows, 5}, "$C:$E", "C:E"},
        {{3, 1, 7, kMaxColumns}, "$3:$7", "3:7"},
        {{1, 1, kMaxRows, kMaxColumns}, "$1:$1048576", "1:1048576"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.absolute);
        EXPECT_EQ(absoluteAddress(c.rect), c.absolute);
        EXPECT_EQ(relativeAddress(c.rect), c.relative);
        CellRect back;
        ASSERT_TRUE(parseReference(c.absolute, back));
        EXPECT_EQ(back, c.rect);
    }
}

}  // namespace
}  // namespace lorvane
