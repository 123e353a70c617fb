// Loops over a workbook's sheets: nested loops each walk their own list, and sheets deleted
// or added while they run are passed over or left for the next loop.
#include <gtest/gtest.h>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"

namespace lorvane {
namespace {

TEST(SheetsIteration, NestedLoopsThatDeleteAndAddStayValid) {
    auto app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Sheets& sheets = book->Worksheets();
    sheets(1)->SetName("甲");
    for (const char* name : {"乙", "丙", "丁"}) sheets.AddAfter(sheets(sheets.Count()))->SetName(name);

    std::vector<std::string> outer, inner;
    app->SetDisplayAlerts(false);
    for (Worksheet* a : sheets) {
        outer.push_back(a->Name());
        for (Worksheet* b : sheets) {
            inner.push_back(b->Name());
            // The inner loop deletes a sheet the outer loop has not reached yet, and adds one.
            if (a->Name() == "甲" && b->Name() == "乙") {
                sheets("丙")->Delete();
                sheets.AddAfter(sheets(sheets.Count()))->SetName("戊");
            }
        }
    }
    EXPECT_EQ(outer, (std::vector<std::string>{"甲", "乙", "丁"}));
    EXPECT_EQ(inner, (std::vector<std::string>{"甲", "乙", "丁",                 // 丙 gone, 戊 not yet
                                               "甲", "乙", "丁", "戊",           // the later loops see 戊
                                               "甲", "乙", "丁", "戊"}));
    std::vector<std::string> after;
    for (Worksheet* ws : sheets) after.push_back(ws->Name());
    EXPECT_EQ(after, (std::vector<std::string>{"甲", "乙", "丁", "戊"}));
}

}  // namespace
}  // namespace lorvane
