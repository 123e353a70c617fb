#pragma once
// A workbook with a master sheet built through the object model, a scripted UI, and readers
// for what a split produced.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/Application.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "runs/ScriptedUi.h"
#include "split/SplitRequest.h"

namespace lorvane::split::testing {

using Row = std::vector<Variant>;

class SplitFixture : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Worksheet* master = nullptr;
    runs::ScriptedUi ui;

    void SetUp() override {
        master = book->GetSheets()(1);
        master->SetName("总表");
    }

    // Writes rows from row `top` down (column A onwards); empty Variants stay empty cells.
    void fill(const std::vector<Row>& rows, Worksheet* ws = nullptr, int top = 1) {
        ws = ws ? ws : master;
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < rows[i].size(); ++j)
                if (!rows[i][j].isEmpty()) ws->Cells(top + static_cast<int>(i), static_cast<int>(j) + 1).SetValue(rows[i][j]);
    }

    static SplitRequest request(const std::string& key, const std::string& titleRows, const std::string& sheet = "总表") {
        SplitRequest r;
        r.sheetName = sheet;
        r.keyColumn = key;
        r.titleRows = titleRows;
        r.footerFlag = "否";
        r.keep = "否";
        return r;
    }

    std::vector<std::string> sheetNames() const { return namesOf(book); }

    static std::vector<std::string> namesOf(Workbook* b) {
        std::vector<std::string> out;
        for (Worksheet* ws : b->Worksheets().all()) out.push_back(ws->Name());
        return out;
    }

    // The texts of rows 1..last used row, columns 1..cols ("" for empty cells).
    static std::vector<std::vector<std::string>> texts(Worksheet* ws, int cols) {
        std::vector<std::vector<std::string>> out;
        int last = ws->UsedRange().rect().row2;
        if (ws->UsedRange().Count() == 1 && ws->Cells(1, 1).Value().isEmpty()) return out;
        for (int r = 1; r <= last; ++r) {
            std::vector<std::string> row;
            for (int c = 1; c <= cols; ++c) row.push_back(convert::toText(ws->Cells(r, c).Value()));
            out.push_back(row);
        }
        return out;
    }
};

}  // namespace lorvane::split::testing
