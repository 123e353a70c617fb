// Row and column edits and sheet copies judged by readers outside the engine: every result
// converts in LibreOffice, and openpyxl reads the moved references where a spreadsheet
// application puts them. Skips without LibreOffice or openpyxl.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "support/Corpus.h"
#include "spreadsheet/LegacyXls.h"

namespace fs = std::filesystem;
using namespace lorvane;

namespace {

const fs::path kBooks = LORVANE_STRUCTURE_BOOKS;

std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What openpyxl sees of the references that edits move, one line each.
constexpr const char* kDumpScript = R"(import sys, warnings, openpyxl
warnings.simplefilter('ignore')
for path in sys.argv[1:]:
    wb = openpyxl.load_workbook(path)
    tag = path.split('/')[-1]
    for dn in wb.defined_names.definedName:
        print(tag, 'name', dn.name, dn.attr_text)
    for ws in wb.worksheets:
        t = tag + ' ' + ws.title
        for cf in ws.conditional_formatting:
            print(t, 'cf', str(cf.sqref))
        for dv in ws.data_validations.dataValidation:
            print(t, 'dv', str(dv.sqref), dv.formula1)
        for tb in ws.tables.values():
            print(t, 'table', tb.displayName, tb.ref, ','.join(c.name for c in tb.tableColumns))
        for row in ws.iter_rows():
            for c in row:
                if c.hyperlink is not None:
                    print(t, 'link', c.coordinate)
        if ws.auto_filter.ref:
            print(t, 'filter', ws.auto_filter.ref)
        if ws.print_area:
            print(t, 'print', ws.print_area)
)";

class StructureInterop : public ::testing::Test {
protected:
    void SetUp() override {
        if (sheet::findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
        app->SetDisplayAlerts(false);
    }
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    sheet::TempFolder dir;
    std::string path(const std::string& name) const { return (fs::path(dir.path()) / name).string(); }

    // features.xlsx opened, edited by `edit` and saved as `name`.
    std::string edited(const std::string& name, const std::function<void(Workbook&)>& edit) {
        Workbook* book = app->Workbooks().Open((kBooks / "features.xlsx").string());
        edit(*book);
        std::string out = path(name);
        book->SaveCopyAs(out);
        book->Close(false);
        return out;
    }
};

TEST_F(StructureInterop, EditedWorkbooksOpenInLibreOfficeAndReadAsMovedInOpenpyxl) {
    std::vector<std::string> files;
    std::string pastedSheet;
    files.push_back(edited("colA.xlsx", [](Workbook& b) {
        b.Worksheets().Item("数据")->Columns(1).Delete();
        b.Worksheets().Item("表格")->Columns(2).Delete();
    }));
    files.push_back(edited("rows2.xlsx", [](Workbook& b) {
        b.Worksheets().Item("数据")->Rows(2).Resize(2, 1).EntireRow().Insert();
        b.Worksheets().Item("表格")->Rows(2).Resize(2, 1).EntireRow().Insert();
    }));
    files.push_back(edited("delrows.xlsx", [](Workbook& b) {
        b.Worksheets().Item("数据")->Rows(5).Delete();
        b.Worksheets().Item("表格")->Rows(3).Resize(2, 1).EntireRow().Delete();
    }));
    files.push_back(edited("copies.xlsx", [](Workbook& b) {
        Worksheet* last = b.Worksheets().Item(b.Worksheets().Count());
        b.Worksheets().Item("数据")->CopyAfter(last);
        b.Worksheets().Item("表格")->CopyAfter(b.Worksheets().Item(b.Worksheets().Count()));
    }));
    // Copies into other workbooks: a whole sheet, and a sheet's formats pasted.
    {
        Workbook* book = app->Workbooks().Open((kBooks / "features.xlsx").string());
        Workbook* fresh = book->Worksheets().Item("表格")->Copy();
        fresh->Worksheets().Item(1)->Columns(1).Delete();
        fresh->SaveCopyAs(files.emplace_back(path("newbook.xlsx")));
        Workbook* pasted = app->Workbooks().Add();
        pastedSheet = pasted->Worksheets().Item(1)->Name();
        book->Worksheets().Item("数据")->Cells().Copy();
        pasted->Worksheets().Item(1)->GetRange("A1").PasteSpecial(xlPasteFormats);
        pasted->SaveCopyAs(files.emplace_back(path("pasted.xlsx")));
    }

    // One LibreOffice start converts them all.
    auto converted = sheet::convertWithLibreOffice(files, path("ods"), "ods");
    ASSERT_EQ(converted.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_FALSE(converted[i].empty()) << files[i] << " did not convert";
        if (!converted[i].empty()) {
            EXPECT_GT(fs::file_size(converted[i]), 0u) << files[i];
        }
    }

    if (!lorvane::testing::openpyxlPresent()) GTEST_SKIP() << "python3-openpyxl is not installed: references not read back";
    std::string script = path("dump.py");
    std::ofstream(script) << kDumpScript;
    std::string cmd = "/usr/bin/python3 " + script;
    for (const std::string& f : files) cmd += " " + f;
    cmd += " > " + path("dump.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(path("dump.txt"));
    const std::string dump = slurp(path("dump.txt"));
    auto expect = [&](const std::string& line) { EXPECT_NE(dump.find(line + "\n"), std::string::npos) << line << "\n" << dump; };
    auto absent = [&](const std::string& piece) { EXPECT_EQ(dump.find(piece), std::string::npos) << piece << "\n" << dump; };

    // Column A of 数据 deleted: everything one column left, what lived only on A gone.
    expect("colA.xlsx 数据 cf B2:B11");
    expect("colA.xlsx 数据 cf D2:D11");
    expect("colA.xlsx 数据 cf C2:C5");
    expect("colA.xlsx 数据 dv B2:B11 0");
    expect("colA.xlsx 数据 dv A2:A11 列表!$A$1:$A$3");
    absent("colA.xlsx 数据 dv A2:A11 \"");
    expect("colA.xlsx 数据 link A3");
    expect("colA.xlsx 数据 link D11");
    expect("colA.xlsx 数据 filter A1:D11");
    expect("colA.xlsx name 金额区 '数据'!$B$2:$B$11");
    expect("colA.xlsx 表格 table 物品表 A1:C6 编号,数量,单价");

    // Two rows inserted at row 2.
    expect("rows2.xlsx 数据 cf C4:C13");
    expect("rows2.xlsx 数据 cf A4:A7 D4:D7");
    expect("rows2.xlsx 数据 dv C4:C13 0");
    expect("rows2.xlsx 数据 link B5");
    expect("rows2.xlsx 数据 link E13");
    expect("rows2.xlsx 数据 filter A1:E13");
    expect("rows2.xlsx name 金额区 '数据'!$C$4:$C$13");
    expect("rows2.xlsx 表格 table 物品表 A1:D8 编号,名称,数量,单价");

    // Rows deleted.
    expect("delrows.xlsx 数据 cf C2:C10");
    expect("delrows.xlsx 数据 cf A2:A4 D2:D4");
    expect("delrows.xlsx 数据 dv B2:B10 列表!$A$1:$A$3");
    expect("delrows.xlsx 数据 link E10");
    expect("delrows.xlsx 数据 filter A1:E10");
    expect("delrows.xlsx name 金额区 '数据'!$C$2:$C$10");
    expect("delrows.xlsx 表格 table 物品表 A1:D4 编号,名称,数量,单价");

    // Copies: the rules come along, the table under a name of its own.
    expect("copies.xlsx 数据 (2) cf C2:C11");
    expect("copies.xlsx 数据 (2) cf A2:A5 D2:D5");
    expect("copies.xlsx 数据 (2) dv C2:C11 0");
    expect("copies.xlsx 表格 table 物品表 A1:D6 编号,名称,数量,单价");
    expect("copies.xlsx 表格 (2) table 物品表_2 A1:D6 编号,名称,数量,单价");
    expect("newbook.xlsx 表格 table 物品表 A1:C6 名称,数量,单价");
    expect("pasted.xlsx " + pastedSheet + " cf E2:E11");
    expect("pasted.xlsx " + pastedSheet + " dv B2:B11 列表!$A$1:$A$3");
}

}  // namespace
