// Row and column inserts and deletes keep everything that names cells of the sheet in step:
// conditional formats, validations, hyperlinks, the autofilter, tables, names, comments,
// drawings, charts and formulas elsewhere. The workbook is tests/spreadsheet/structure/
// features.xlsx, written by openpyxl (make_structure_books.py beside it).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "StructureBookTest.h"
#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/LegacyXls.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/SheetStructure.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/ZipArchive.h"

using namespace lorvane;

namespace {


class StructureEdit : public lorvane::testing::StructureBookTest {
protected:

    // Saves the workbook and returns its parts by name.
    std::map<std::string, std::string> saved(const std::string& name = "out.xlsx") {
        std::string path = (std::filesystem::path(dir.path()) / name).string();
        book->SaveAs(path, 51);
        sheet::ZipReader zip(path, name);
        std::map<std::string, std::string> parts;
        for (const std::string& n : zip.names()) parts[n] = zip.read(n);
        // The result reads back through the engine.
        EXPECT_NO_THROW(sheet::readWorkbookFile(path));
        return parts;
    }
    std::string savedPath(const std::string& name = "out.xlsx") { return (std::filesystem::path(dir.path()) / name).string(); }
};

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST_F(StructureEdit, DeletingAColumnMovesEveryKindOfReference) {
    sheetNamed("数据")->Columns(1).Delete();
    auto parts = saved();
    const std::string& s = parts["xl/worksheets/sheet1.xml"];
    // Conditional formats: ranges and the formula inside; the multi-area one loses its A part.
    EXPECT_TRUE(has(s, "sqref=\"B2:B11\"")) << s;
    EXPECT_TRUE(has(s, "sqref=\"D2:D11\""));
    EXPECT_TRUE(has(s, "<formula>$B2&gt;500</formula>"));
    EXPECT_TRUE(has(s, "sqref=\"C2:C5\""));
    // Validations: the list on A went, the others moved left, count follows.
    EXPECT_TRUE(has(s, "<dataValidations count=\"2\">"));
    EXPECT_TRUE(has(s, "<formula2>$B$11</formula2>"));
    EXPECT_TRUE(has(s, "sqref=\"A2:A11\""));
    EXPECT_TRUE(has(s, "<formula1>列表!$A$1:$A$3</formula1>"));
    EXPECT_FALSE(has(s, "销售,财务,人事"));
    // Hyperlinks, autofilter and its filter column.
    EXPECT_TRUE(has(s, "ref=\"A3\""));
    EXPECT_TRUE(has(s, "ref=\"D11\""));
    EXPECT_TRUE(has(s, "<autoFilter ref=\"A1:D11\"><filterColumn colId=\"1\">"));
    // Comments and their note shapes.
    const std::string& comments = parts["xl/comments/comment1.xml"];
    EXPECT_TRUE(has(comments, "ref=\"B5\""));
    EXPECT_TRUE(has(comments, "ref=\"A11\""));
    const std::string& vml = parts["xl/drawings/commentsDrawing1.vml"];
    EXPECT_TRUE(has(vml, "Column>1</")) << vml;
    EXPECT_TRUE(has(vml, "Column>0</"));
    EXPECT_FALSE(has(vml, "Column>2</"));
    // Chart anchors and series.
    const std::string& drawing = parts["xl/drawings/drawing1.xml"];
    EXPECT_TRUE(has(drawing, "<from><col>6</col>"));
    EXPECT_TRUE(has(drawing, "<to><col>11</col>"));
    EXPECT_FALSE(has(drawing, "<col>7</col>"));
    std::string charts = parts["xl/charts/chart1.xml"] + parts["xl/charts/chart2.xml"];
    EXPECT_TRUE(has(charts, "'数据'!$A$2:$A$11"));
    EXPECT_TRUE(has(charts, "'数据'!$B$2:$B$11"));
    EXPECT_FALSE(has(charts, "$C$2"));
    // Names and formulas of other sheets.
    const std::string& wb = parts["xl/workbook.xml"];
    EXPECT_TRUE(has(wb, "'数据'!$A$1:$D$11</definedName>"));
    EXPECT_TRUE(has(wb, ">'数据'!$B$2:$B$11</definedName>"));
    EXPECT_EQ(sheetNamed("汇总")->Cells(1, 1).Formula(), "=SUM('数据'!B2:B11)");
    EXPECT_EQ(sheetNamed("汇总")->Cells(2, 1).Formula(), "='数据'!B5");
    EXPECT_EQ(sheetNamed("汇总")->Cells(3, 1).Formula(), "=SUM(表格!C2:C6)");
}

TEST_F(StructureEdit, InsertingRowsMovesEveryKindOfReference) {
    sheetNamed("数据")->Rows(2).Resize(2, 1).EntireRow().Insert();
    auto parts = saved();
    const std::string& s = parts["xl/worksheets/sheet1.xml"];
    EXPECT_TRUE(has(s, "sqref=\"C4:C13\""));
    EXPECT_TRUE(has(s, "sqref=\"A4:A7 D4:D7\""));
    EXPECT_TRUE(has(s, "<formula>$C4&gt;500</formula>"));
    EXPECT_TRUE(has(s, "<formula2>$C$13</formula2>"));
    EXPECT_TRUE(has(s, "<autoFilter ref=\"A1:E13\"><filterColumn colId=\"2\">"));
    EXPECT_TRUE(has(s, "ref=\"B5\""));
    EXPECT_TRUE(has(s, "ref=\"E13\""));
    EXPECT_TRUE(has(parts["xl/comments/comment1.xml"], "ref=\"C7\""));
    EXPECT_TRUE(has(parts["xl/drawings/commentsDrawing1.vml"], "Row>6</"));
    const std::string& drawing = parts["xl/drawings/drawing1.xml"];
    EXPECT_TRUE(has(drawing, "<row>3</row>"));   // one-cell anchor at H2 moved to H4
    EXPECT_TRUE(has(drawing, "<row>21</row>"));  // two-cell anchor H20:M30 moved to H22:M32
    EXPECT_TRUE(has(drawing, "<row>31</row>"));
    const std::string& wb = parts["xl/workbook.xml"];
    EXPECT_TRUE(has(wb, "'数据'!$A$1:$E$13</definedName>"));
    EXPECT_TRUE(has(wb, "'数据'!1:1</definedName>"));  // the title row above the insert stays
    EXPECT_EQ(sheetNamed("汇总")->Cells(2, 1).Formula(), "='数据'!C7");
}

TEST_F(StructureEdit, DeletingRowsRemovesWhatLivedOnlyThere) {
    Worksheet* ws = sheetNamed("数据");
    ws->Rows(5).Delete();
    ws->Rows(1).Delete();  // the print titles row
    auto parts = saved();
    const std::string& comments = parts["xl/comments/comment1.xml"];
    EXPECT_FALSE(has(comments, "金额待核对"));
    EXPECT_TRUE(has(comments, "ref=\"B9\""));
    const std::string& vml = parts["xl/drawings/commentsDrawing1.vml"];
    EXPECT_EQ(vml.find("ObjectType=\"Note\""), vml.rfind("ObjectType=\"Note\"")) << "one note shape left";
    EXPECT_TRUE(has(vml, "Row>8</"));
    const std::string& wb = parts["xl/workbook.xml"];
    EXPECT_FALSE(has(wb, "Print_Titles")) << "a print title whose rows are gone is removed";
    EXPECT_TRUE(has(wb, "'数据'!$A$1:$E$9</definedName>"));
    EXPECT_EQ(sheetNamed("汇总")->Cells(2, 1).Formula(), "='数据'!#REF!");
    // The chart at H18:M28 now: its bottom edge inside deleted rows collapses onto the edge.
    ws->Rows(19).Resize(15, 1).EntireRow().Delete();
    const std::string drawing = saved("second.xlsx")["xl/drawings/drawing1.xml"];
    EXPECT_TRUE(has(drawing, "<from><col>7</col><colOff>0</colOff><row>17</row>")) << drawing;
    EXPECT_TRUE(has(drawing, "<to><col>12</col><colOff>0</colOff><row>18</row><rowOff>0</rowOff>"));
}

TEST_F(StructureEdit, PartialRangeShiftsMoveFormulasAndSplitRanges) {
    Worksheet* ws = sheetNamed("数据");
    ws->GetRange("C2:C3").Delete(xlShiftUp);
    EXPECT_EQ(sheetNamed("汇总")->Cells(1, 1).Formula(), "=SUM('数据'!C2:C9)");
    EXPECT_EQ(sheetNamed("汇总")->Cells(2, 1).Formula(), "='数据'!C3");
    auto parts = saved();
    const std::string& s = parts["xl/worksheets/sheet1.xml"];
    EXPECT_TRUE(has(s, "sqref=\"C2:C9\""));
    EXPECT_TRUE(has(s, "sqref=\"E2:E11\""));
    EXPECT_FALSE(has(s, "<autoFilter")) << "a filter whose cells were cut apart is removed";
    EXPECT_TRUE(has(parts["xl/comments/comment1.xml"], "ref=\"C3\""));
    EXPECT_TRUE(has(parts["xl/workbook.xml"], ">'数据'!$C$2:$C$9</definedName>"));
}

TEST_F(StructureEdit, TableColumnsFollowColumnDeletesAndInserts) {
    Worksheet* ws = sheetNamed("表格");
    ws->Columns(2).Delete();
    ws->Columns(3).Insert();
    auto parts = saved();
    const std::string& t = parts["xl/tables/table1.xml"];
    EXPECT_TRUE(has(t, "ref=\"A1:D6\"")) << t;
    EXPECT_TRUE(has(t, "<autoFilter ref=\"A1:D6\""));
    EXPECT_TRUE(has(t, "<tableColumns count=\"4\">"));
    EXPECT_FALSE(has(t, "名称"));
    EXPECT_TRUE(has(t, "name=\"列1\""));
    EXPECT_TRUE(has(t, "id=\"5\""));
    EXPECT_EQ(ws->Cells(1, 3).Value().text(), "列1");
    EXPECT_EQ(ws->Cells(1, 4).Value().text(), "单价");
    EXPECT_EQ(sheetNamed("汇总")->Cells(3, 1).Formula(), "=SUM(表格!B2:B6)");
}

TEST_F(StructureEdit, ATableReducedToNothingGoesWithItsPartAndRelationship) {
    Worksheet* ws = sheetNamed("表格");
    ws->Rows(1).Resize(6, 1).EntireRow().Delete();
    auto parts = saved();
    EXPECT_FALSE(parts.count("xl/tables/table1.xml"));
    EXPECT_FALSE(has(parts["[Content_Types].xml"], "table1.xml"));
    EXPECT_FALSE(has(parts["xl/worksheets/sheet3.xml"], "tablePart"));
    EXPECT_FALSE(has(parts["xl/worksheets/_rels/sheet3.xml.rels"], "table"));
}

TEST_F(StructureEdit, ATableLosingItsHeaderRowIsDroppedNotLeftWrong) {
    sheetNamed("表格")->Rows(1).Delete();
    auto parts = saved();
    EXPECT_FALSE(parts.count("xl/tables/table1.xml"));
    EXPECT_FALSE(has(parts["xl/worksheets/sheet3.xml"], "tablePart"));
    // Its cells stay.
    EXPECT_EQ(sheetNamed("表格")->Cells(1, 2).Value().text(), "物品1");
}

// Cell markers kept from the file move with their cells, array ranges included.
TEST(StructureEditMarkers, CellMarkersMoveWithTheirCells) {
    sheet::BookData book;
    book.sheets.push_back(std::make_unique<sheet::SheetData>());
    sheet::SheetData& s = *book.sheets[0];
    s.name = "Sheet1";
    s.package = std::make_shared<sheet::SheetPackage>();
    auto& extras = s.package->cellExtras;
    extras[sheet::cellKey(3, 2)] = {1, " cm=\"1\"", " t=\"array\" ref=\"B3:B5\""};
    extras[sheet::cellKey(2, 2)] = {2, " vm=\"1\"", ""};
    sheet::shiftSheetStructure(book, s, sheet::StructureEdit::rows(2, -1));
    ASSERT_EQ(extras.size(), 1u) << "the marker of the deleted cell goes";
    ASSERT_TRUE(extras.count(sheet::cellKey(2, 2)));
    EXPECT_EQ(extras[sheet::cellKey(2, 2)].cellAttrs, " cm=\"1\"");
    EXPECT_EQ(extras[sheet::cellKey(2, 2)].formulaAttrs, " t=\"array\" ref=\"B2:B4\"");
    sheet::shiftSheetStructure(book, s, sheet::StructureEdit::columns(1, 2));
    EXPECT_TRUE(extras.count(sheet::cellKey(2, 4)));
    EXPECT_EQ(extras[sheet::cellKey(2, 4)].formulaAttrs, " t=\"array\" ref=\"D2:D4\"");
}

}  // namespace
