#include <gtest/gtest.h>

#include "automation/CellValues.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/StringPool.h"

using lorvane::sheet::StringPool;

TEST(StringPool, RichTextsNeverStandInForPlainOnes) {
    StringPool pool;
    auto rich = pool.appendDistinct("合计");
    pool.setRich(rich, "<r><rPr><b/></rPr><t>合计</t></r>");
    auto plain = pool.intern("合计");
    EXPECT_NE(plain, rich);
    EXPECT_EQ(pool.rich(plain), nullptr);
    EXPECT_EQ(pool.intern("合计"), plain);
    EXPECT_EQ(pool.at(rich), "合计");
}

// A text read from a cell goes back into the same workbook at its old place in the pool; the
// remembered place is only ever a hint: a rich text's place, another workbook's or a copied
// pool's are not taken, and the value written is always the text itself.
TEST(StringPool, TextsWrittenBackKeepTheirPlaceOnlyWhereItHoldsThem) {
    using namespace lorvane;
    sheet::BookData book;
    sheet::SheetData& s = *book.sheets.emplace_back(std::make_unique<sheet::SheetData>());
    writeCell(book, s, 1, 1, Variant("部门"));
    const auto before = book.strings.size();
    Variant read = readCell(book, s, 1, 1);
    writeCell(book, s, 2, 1, read);
    EXPECT_EQ(book.strings.size(), before);
    EXPECT_EQ(s.find(2, 1)->text, s.find(1, 1)->text);

    auto rich = book.strings.appendDistinct("合计");
    book.strings.setRich(rich, "<r><rPr><b/></rPr><t>合计</t></r>");
    sheet::Cell& richCell = s.touch(3, 1);
    richCell.kind = sheet::CellKind::Text;
    richCell.text = rich;
    writeCell(book, s, 4, 1, readCell(book, s, 3, 1));
    EXPECT_NE(s.find(4, 1)->text, rich);
    EXPECT_EQ(book.strings.rich(s.find(4, 1)->text), nullptr);
    EXPECT_EQ(book.strings.at(s.find(4, 1)->text), "合计");

    sheet::BookData other;
    sheet::SheetData& t = *other.sheets.emplace_back(std::make_unique<sheet::SheetData>());
    writeCell(other, t, 1, 1, Variant("别的"));
    writeCell(other, t, 1, 2, read);  // index 0 there holds another text
    EXPECT_EQ(other.strings.at(t.find(1, 2)->text), "部门");

    sheet::StringPool copy = book.strings;
    EXPECT_NE(copy.tag(), book.strings.tag());
    std::uint32_t index;
    EXPECT_FALSE(read.pooledIn(copy.tag(), index));
    EXPECT_TRUE(read == Variant("部门"));  // the hint is no part of the value
}
