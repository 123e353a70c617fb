#pragma once
// Two tables built through the object model, the texts a window would give for them, and
// readers for what a compare or fill produced.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "compare/TwoTables.h"
#include "runs/ScriptedUi.h"

namespace lorvane::compare::testing {

using Row = std::vector<Variant>;
using Texts = std::vector<std::vector<std::string>>;

class TwoTableFixture : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Worksheet* one = nullptr;
    Worksheet* two = nullptr;
    runs::ScriptedUi ui;

    void SetUp() override {
        one = book->GetSheets()(1);
        one->SetName("表一");
        two = book->Worksheets().AddAfter(one);
        two->SetName("表二");
        one->Activate();
    }

    // Writes rows from row `top` and column `left` on; empty Variants stay empty cells.
    static void fill(Worksheet* ws, const std::vector<Row>& rows, int top = 1, int left = 1) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < rows[i].size(); ++j)
                if (!rows[i][j].isEmpty())
                    ws->Cells(top + static_cast<int>(i), left + static_cast<int>(j)).SetValue(rows[i][j]);
    }

    // Both tables in this workbook, with `t1`/`t2` title rows and the key columns given.
    static TwoTableTexts texts(const std::string& key1, const std::string& titleRows1, const std::string& key2,
                               const std::string& titleRows2, const std::string& mode = kModeMark) {
        TwoTableTexts t;
        t.sameWorkbook = "是";
        t.book1 = t.book2 = "/tmp/工作薄.xlsx";
        t.sheet1 = "表一";
        t.sheet2 = "表二";
        t.titleRows1 = titleRows1;
        t.titleRows2 = titleRows2;
        t.key1 = key1;
        t.key2 = key2;
        t.footer1 = t.footer2 = "否";
        t.mode = mode;
        return t;
    }

    std::vector<std::string> sheetNames() const {
        std::vector<std::string> out;
        for (Worksheet* ws : book->Worksheets().all()) out.push_back(ws->Name());
        return out;
    }

    // The texts of rows 1..last used row, columns 1..cols ("" for empty cells).
    static Texts textsOf(Worksheet* ws, int cols) {
        Texts out;
        int last = ws->UsedRange().rect().row2;
        for (int r = 1; r <= last; ++r) {
            std::vector<std::string> row;
            for (int c = 1; c <= cols; ++c) row.push_back(convert::toText(ws->Cells(r, c).Value()));
            out.push_back(row);
        }
        return out;
    }

    // Column `col` of rows first..last as texts.
    static std::vector<std::string> column(Worksheet* ws, int col, int first, int last) {
        std::vector<std::string> out;
        for (int r = first; r <= last; ++r) out.push_back(convert::toText(ws->Cells(r, col).Value()));
        return out;
    }
};

}  // namespace lorvane::compare::testing
