#include <gtest/gtest.h>

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
