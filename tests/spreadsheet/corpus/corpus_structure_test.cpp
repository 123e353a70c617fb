// Every workbook of the corpus survives the structure edits the operations make: its first data
// column deleted and two rows inserted at row 2 of every sheet, it saves, reads back through the
// engine, and converts in LibreOffice (all files in one start).
#include <gtest/gtest.h>

#include <filesystem>

#include "automation/Application.h"
#include "automation/CreateObject.h"
#include "base/AutomationError.h"
#include "support/Corpus.h"
#include "spreadsheet/LegacyXls.h"
#include "spreadsheet/SheetData.h"
#include "spreadsheet/WorkbookFile.h"

namespace fs = std::filesystem;
using namespace lorvane;

namespace {

TEST(CorpusStructure, EditedWorkbooksSaveReadBackAndConvertInLibreOffice) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    if (sheet::findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    auto app = CreateObjectAs<Application>("Excel.Application");
    app->SetDisplayAlerts(false);
    sheet::TempFolder dir;
    std::vector<std::string> written;
    int sheetsEdited = 0;
    for (const fs::path& source : lorvane::testing::corpusFilesIn("xlsx")) {
        const std::string name = source.filename().string();
        try {
            Workbook* book = app->Workbooks().Open(source.string());
            for (int i = 1; i <= book->Worksheets().Count(); ++i) {
                Worksheet* ws = book->Worksheets().Item(i);
                if (!sheet::isWorksheet(ws->data())) continue;
                // The first column that holds anything; A on an empty sheet.
                ws->Columns(ws->UsedRange().Column()).Delete();
                ws->Rows(2).Resize(2, 1).EntireRow().Insert();
                ++sheetsEdited;
            }
            std::string out = (fs::path(dir.path()) / name).string();
            book->SaveCopyAs(out);
            book->Close(false);
            sheet::readWorkbookFile(out);
            written.push_back(out);
        } catch (const AutomationError& e) {
            ADD_FAILURE() << name << ": " << e.description();
        }
    }
    ASSERT_FALSE(written.empty());
    EXPECT_GT(sheetsEdited, static_cast<int>(written.size()));
    // LibreOffice loads the whole workbook for any export; text is the cheapest one to write.
    auto converted = sheet::convertWithLibreOffice(written, (fs::path(dir.path()) / "csv").string(), "csv");
    ASSERT_EQ(converted.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_FALSE(converted[i].empty()) << fs::path(written[i]).filename() << " did not convert in LibreOffice";
        if (!converted[i].empty()) {
            EXPECT_GT(fs::file_size(converted[i]), 0u) << written[i];
        }
    }
}

}  // namespace
