// The OK check of the split options windows, the layout conversion and the name rules for keys.
#include <gtest/gtest.h>

#include "split/SplitChecks.h"

namespace lorvane::split {
namespace {

struct OkCase {
    const char* sheetList;
    const char* key;
    const char* titleRows;
    const char* text;  // nullptr: passes
    const char* title;
    bool focusTitleRows;
};

const char* const kTitleRowsText = "您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！";
const char* const kRangeC = "您输入的【拆分依据列】“";

TEST(SplitOptionsCheck, FirstFailureInOrder) {
    const OkCase cases[] = {
        // every field wrong: the sheet list comes first, then the key column, then title rows
        {"请选择总表名称", "", "x", "您还未选择总表名称，请先选择总表名称！", "提示", false},
        {"总表", "", "x", "您未输入【拆分依据列】，请先输入！", "Lorvane办公助手", false},
        {"总表", "c", "x", "您输入的【拆分依据列】不是数字或大字字母，请重新输入！", "Lorvane办公助手", false},
        {"总表", "C3", "x", "您输入的【拆分依据列】不是数字或大字字母或输入有误，请重新输入！", "Lorvane办公助手", false},
        {"总表", "ABCD", "x", "您输入的【拆分依据列】错误，请重新输入！", "Lorvane办公助手", false},
        {"总表", "部", "x", "您输入的【拆分依据列】不是数字或大字字母，请重新输入！", "Lorvane办公助手", false},
        {"总表", "C", "", kTitleRowsText, "提示", true},
        {"总表", "C", "两行", kTitleRowsText, "提示", true},
        {"总表", "C", "0", nullptr, "", false},
        {"总表", "3", "2", nullptr, "", false},
        {"总表", "XFD", "2", nullptr, "", false},
        {"总表", "16384", "2", nullptr, "", false},
        {"任何文字", " 3 ", "1", nullptr, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sheetList) + " | " + c.key + " | " + c.titleRows);
        auto problem = checkSplitOptions(c.sheetList, c.key, c.titleRows);
        if (!c.text) {
            EXPECT_FALSE(problem.has_value()) << problem->text;
            continue;
        }
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->text, c.text);
        EXPECT_EQ(problem->title, c.title);
        EXPECT_EQ(problem->focusTitleRows, c.focusTitleRows);
    }
}

TEST(SplitOptionsCheck, RefusesKeyColumnsOutsideTheSheet) {
    for (const char* key : {"0", "-2", "2.5", "16385", "1e9", "XFE", "ZZZ"}) {
        SCOPED_TRACE(key);
        auto problem = checkSplitOptions("总表", key, "1");
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->text.rfind(kRangeC, 0), 0u) << problem->text;
        EXPECT_FALSE(problem->focusTitleRows);
    }
    // The check of the title rows is not reached before the key column passes.
    EXPECT_EQ(checkSplitOptions("总表", "0", "")->title, "Lorvane办公助手");
}

TEST(KeyNames, SheetAndFileRules) {
    struct Case {
        const char* text;
        bool sheetOk, fileOk;
    };
    const Case cases[] = {
        {"销售部", true, true},
        {"1001", true, true},
        {"空", true, true},
        {"a:b", false, false},
        {"2024/1/5", false, false},
        {"[A]", false, false},
        {"what?", false, false},
        {"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一", true, true},     // 31
        {"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二", false, false},  // 32
        {"", false, false},
        {"A\"B", true, false},
        {"a<b>", true, false},
        {"a|b", true, false},
        {"..", true, false},
        {".", true, false},
        {"tab\there", true, false},
        {"..x", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(keyNameProblem(c.text, NameUse::Sheet).empty(), c.sheetOk);
        EXPECT_EQ(keyNameProblem(c.text, NameUse::File).empty(), c.fileOk);
    }
}

}  // namespace
}  // namespace lorvane::split
