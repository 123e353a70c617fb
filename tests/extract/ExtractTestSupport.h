#pragma once
// A source workbook saved in a scratch folder, a scripted UI, and readers for what an
// extraction produced.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "extract/ExtractRequest.h"
#include "runs/ScriptedUi.h"
#include "spreadsheet/BookData.h"

namespace lorvane::extract::testing {

namespace fs = std::filesystem;
using Row = std::vector<Variant>;
using Texts = std::vector<std::vector<std::string>>;

class ExtractFixture : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Worksheet* sheet = nullptr;
    runs::ScriptedUi ui;
    fs::path dir;

    void SetUp() override {
        sheet = book->GetSheets()(1);
        sheet->SetName("数据");
        dir = fs::temp_directory_path() /
              ("extract_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Writes rows from row `top`, column `left` on; empty Variants stay empty cells.
    void fill(const std::vector<Row>& rows, Worksheet* ws = nullptr, int top = 1, int left = 1) {
        ws = ws ? ws : sheet;
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t j = 0; j < rows[i].size(); ++j)
                if (!rows[i][j].isEmpty())
                    ws->Cells(top + static_cast<int>(i), left + static_cast<int>(j)).SetValue(rows[i][j]);
    }
    // Saves the source as <dir>/<name> so that it has a folder.
    // A formula with the result a spreadsheet program saves beside it (the engine does not calculate).
    void formulaWithResult(int row, int column, const std::string& formula, double result, Worksheet* ws = nullptr) {
        ws = ws ? ws : sheet;
        ws->Cells(row, column).SetFormula(formula);
        sheet::Cell* cell = ws->data().find(row, column);
        ASSERT_NE(cell, nullptr);
        cell->kind = sheet::CellKind::Number;
        cell->number = result;
        cell->flags = 0;
        book->data().needsRecalc = false;
    }
    void saveSource(const std::string& name = "工资表.xlsx", const fs::path& folder = {}) {
        fs::path where = folder.empty() ? dir : folder;
        fs::create_directories(where);
        book->SaveAs((where / name).string(), xlOpenXMLWorkbook);
    }

    static ExtractRequest request(std::vector<int> columns, const std::string& titleRows = "1",
                                  ExtractMethod method = ExtractMethod::Values,
                                  ExtractTarget target = ExtractTarget::SameWorkbook, const std::string& sheetName = "数据") {
        ExtractRequest r;
        r.sheetName = sheetName;
        r.titleRows = titleRows;
        r.columns = std::move(columns);
        r.method = method;
        r.target = target;
        return r;
    }

    static std::vector<std::string> namesOf(Workbook* b) {
        std::vector<std::string> out;
        for (Worksheet* ws : b->Worksheets().all()) out.push_back(ws->Name());
        return out;
    }
    // The texts of rows 1..rows, columns 1..cols ("" for empty cells).
    static Texts texts(Worksheet* ws, int rows, int cols) {
        Texts out;
        for (int r = 1; r <= rows; ++r) {
            std::vector<std::string> row;
            for (int c = 1; c <= cols; ++c) row.push_back(convert::toText(ws->Cells(r, c).Value()));
            out.push_back(row);
        }
        return out;
    }
    Workbook* openIn(std::shared_ptr<Application>& other, const fs::path& p) {
        other = CreateObjectAs<Application>("Excel.Application");
        return other->Workbooks().Open(p.string());
    }
};

}  // namespace lorvane::extract::testing
