#pragma once
// features.xlsx (tests/spreadsheet/structure/, written by openpyxl with make_structure_books.py)
// opened for a test, with a scratch folder for what the test saves.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "spreadsheet/LegacyXls.h"

namespace lorvane::testing {

inline const std::filesystem::path kStructureBooks = LORVANE_STRUCTURE_BOOKS;

class StructureBookTest : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    sheet::TempFolder dir;
    Workbook* book = nullptr;

    void SetUp() override {
        app->SetDisplayAlerts(false);
        book = app->Workbooks().Open((kStructureBooks / "features.xlsx").string());
    }
    Worksheet* sheetNamed(const std::string& name) { return book->Worksheets().Item(name); }
};

}  // namespace lorvane::testing
