// The object-model behaviours the operations lean on, driven through the embedded engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "automation/KeyedCollection.h"
#include "spreadsheet/BookData.h"

using namespace lorvane;

namespace {

// Answers the engine's questions from a script and counts them.
struct RecordingAlerts : AlertService {
    int saveQuestions = 0, deleteQuestions = 0;
    Answer saveAnswer = Answer::No;
    bool deleteAnswer = true;
    Answer askSaveChanges(const std::string&) override { ++saveQuestions; return saveAnswer; }
    bool confirmDeleteSheet(const std::string&) override { ++deleteQuestions; return deleteAnswer; }
};

class ObjectModel : public ::testing::Test {
protected:
    std::shared_ptr<Application> app = CreateObjectAs<Application>("Excel.Application");
    Workbook* book = app->Workbooks().Add();
    Worksheet* ws = book->Worksheets().Item(1);

    std::vector<std::string> sheetNames(Workbook* b) {
        std::vector<std::string> out;
        for (Worksheet* s : b->Worksheets()) out.push_back(s->Name());
        return out;
    }
};

TEST_F(ObjectModel, NewWorkbookHasSheet1AndIsActive) {
    EXPECT_EQ(sheetNames(book), std::vector<std::string>{"Sheet1"});
    EXPECT_EQ(app->ActiveWorkbook(), book);
    EXPECT_EQ(app->ActiveSheet(), ws);
    EXPECT_GT(app->Version(), 11);
}

TEST_F(ObjectModel, UsedRangeSpansValuesAndFormatsAndNeedNotStartAtA1) {
    ws->Cells(3, 2).SetValue(1);
    ws->Cells(5, 4).SetValue("x");
    EXPECT_EQ(ws->UsedRange().Address(), "$B$3:$D$5");
    EXPECT_EQ(ws->UsedRange().Rows().Count(), 3);
    EXPECT_EQ(ws->UsedRange().Columns().Count(), 3);
    // A formatted empty cell counts too.
    ws->Cells(8, 1).SetNumberFormat("@");
    EXPECT_EQ(ws->UsedRange().Address(), "$A$3:$D$8");
    // Clearing contents keeps a format, which still counts; an unformatted cleared cell does not.
    ws->Cells(5, 4).ClearContents();
    EXPECT_EQ(ws->UsedRange().Address(), "$A$3:$B$8");
    ws->Cells(5, 4).SetFontBold(true);
    ws->Cells(5, 4).SetValue(7);
    ws->Cells(5, 4).ClearContents();
    EXPECT_EQ(ws->UsedRange().Address(), "$A$3:$D$8");
}

TEST_F(ObjectModel, UsedRangeOfEmptySheetIsA1) {
    EXPECT_EQ(ws->UsedRange().Address(), "$A$1");
    EXPECT_EQ(ws->UsedRange().Rows().Count(), 1);
}

TEST_F(ObjectModel, EndFollowsRunsGapsAndEdges) {
    for (int r : {1, 2, 3, 7, 8}) ws->Cells(r, 1).SetValue(r);
    EXPECT_EQ(ws->Cells(8, 1).End(xlUp).Row(), 7);   // inside a run: its last cell
    EXPECT_EQ(ws->Cells(7, 1).End(xlUp).Row(), 3);   // at a run's edge: the next filled cell
    EXPECT_EQ(ws->Cells(5, 1).End(xlUp).Row(), 3);   // from an empty cell
    EXPECT_EQ(ws->Cells(1, 1).End(xlUp).Row(), 1);   // at the sheet's edge
    EXPECT_EQ(ws->Cells(1, 1).End(xlDown).Row(), 3);
    EXPECT_EQ(ws->Cells(8, 1).End(xlDown).Row(), kMaxRows);
    EXPECT_EQ(ws->Cells(kMaxRows, 1).End(xlUp).Row(), 8);
    EXPECT_EQ(ws->Cells(20, 2).End(xlUp).Row(), 1);  // empty column: the top edge

    ws->Cells(2, 3).SetValue("a");
    ws->Cells(2, 300).SetValue("far");  // beyond column IV
    EXPECT_EQ(ws->GetRange("XFD2").End(xlToLeft).Column(), 300);
    EXPECT_EQ(ws->GetRange("IV2").End(xlToLeft).Column(), 3);
    EXPECT_EQ(ws->Cells(2, 1).End(xlToRight).Column(), 3);
    EXPECT_EQ(ws->Cells(2, 300).End(xlToRight).Column(), kMaxColumns);
    EXPECT_EQ(ws->Cells(2, 1).End(xlToLeft).Column(), 1);
}

TEST_F(ObjectModel, ArrayWritesFillFromTopLeftAndMarkTheRestNA) {
    VariantArray a(2, 2);
    a(1, 1) = 1; a(1, 2) = "b"; a(2, 1) = 3.5; a(2, 2) = true;
    ws->GetRange("A1").Resize(3, 3).SetValue(a);
    EXPECT_EQ(ws->Cells(1, 1).Value(), Variant(1));
    EXPECT_EQ(ws->Cells(1, 2).Value(), Variant("b"));
    EXPECT_EQ(ws->Cells(2, 2).Value(), Variant(true));
    EXPECT_EQ(ws->Cells(3, 3).Value(), Variant(ErrorValue::NA));
    EXPECT_EQ(ws->Cells(1, 3).Value(), Variant(ErrorValue::NA));

    // A smaller range takes only the array's top-left part.
    VariantArray big(3, 3);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) big(r, c) = r * 10 + c;
    ws->GetRange("E1").Resize(2, 2).SetValue(big);
    EXPECT_EQ(ws->GetRange("E1:F2").Values()(2, 2), Variant(22));
    EXPECT_TRUE(ws->Cells(3, 5).Value().isEmpty());
    EXPECT_TRUE(ws->Cells(1, 7).Value().isEmpty());
}

TEST_F(ObjectModel, BlockReadIsOneBasedAndKeepsTypes) {
    ws->Cells(2, 2).SetValue(Variant::date(2024, 1, 5));
    ws->Cells(2, 3).SetValue(ErrorValue::Ref);
    VariantArray v = ws->GetRange("B2:C3").Values();
    ASSERT_EQ(v.rows(), 2);
    EXPECT_TRUE(v(1, 1).isDate());
    EXPECT_EQ(v(1, 2), Variant(ErrorValue::Ref));
    EXPECT_TRUE(v(2, 2).isEmpty());
    EXPECT_EQ(ws->Cells(2, 2).NumberFormat(), "yyyy/m/d");  // a date written into General shows as a date
}

TEST_F(ObjectModel, TextFormattedCellsStoreWhatIsWrittenAsText) {
    ws->GetRange("A1").Resize(1, 4).SetNumberFormat("@");
    VariantArray row(1, 4);
    row(1, 1) = 1001; row(1, 2) = Variant::date(2024, 1, 5); row(1, 3) = 0.1; row(1, 4) = true;
    ws->GetRange("A1").Resize(1, 4).SetValue(row);
    EXPECT_EQ(ws->Cells(1, 1).Value(), Variant("1001"));
    EXPECT_EQ(ws->Cells(1, 2).Value(), Variant("2024/1/5"));
    EXPECT_EQ(ws->Cells(1, 3).Value(), Variant("0.1"));
    EXPECT_EQ(ws->Cells(1, 4).Value(), Variant("TRUE"));
    // A whole-column text format reaches cells written later.
    ws->Columns(6).SetNumberFormat("@");
    ws->Cells(500, 6).SetValue(42);
    EXPECT_EQ(ws->Cells(500, 6).Value(), Variant("42"));
    EXPECT_EQ(book->data().sheets[0]->cellCount(), 5u);  // no million cells for a column format
}

TEST_F(ObjectModel, NumberAndTextKeysStayDistinctThroughCells) {
    ws->Cells(1, 1).SetValue(1001);
    ws->Cells(2, 1).SetValue("1001");
    EXPECT_TRUE(ws->Cells(1, 1).Value().isNumber());
    EXPECT_TRUE(ws->Cells(2, 1).Value().isText());
}

TEST_F(ObjectModel, FormatPasteAcrossWorkbooksCarriesMergesWidthsHeightsAndStyles) {
    ws->GetRange("A1:C1").Merge();
    ws->GetRange("A1").SetFontBold(true);
    ws->GetRange("A2:C4").Borders().SetLineStyle(xlContinuous);
    ws->Columns(2).SetColumnWidth(25);
    ws->Rows(3).SetRowHeight(30);
    ws->GetRange("B2").SetNumberFormat("0.00");
    ws->Cells(2, 2).SetValue(3.5);

    Workbook* other = app->Workbooks().Add();
    Worksheet* target = other->Worksheets().Item(1);
    target->Cells(2, 2).SetValue("kept");
    target->GetRange("E5:F5").Merge();
    ws->Cells().Copy();
    target->GetRange("a1").PasteSpecial(xlPasteFormats, xlPasteSpecialOperationNone, false, false);

    EXPECT_TRUE(target->GetRange("B1").MergeCells());
    EXPECT_FALSE(target->GetRange("E5").MergeCells());  // the target's own merges are replaced
    EXPECT_DOUBLE_EQ(target->Columns(2).ColumnWidth(), 25);
    EXPECT_DOUBLE_EQ(target->Rows(3).RowHeight(), 30);
    EXPECT_EQ(target->Cells(2, 2).NumberFormat(), "0.00");
    EXPECT_EQ(target->Cells(2, 2).Value(), Variant("kept"));  // formats only
    EXPECT_EQ(target->Cells(4, 3).Borders().LineStyle(), xlContinuous);
    const auto& styles = other->data().styles;
    EXPECT_TRUE(styles.at(other->data().sheets[0]->styleAt(1, 1)).font.bold);
    EXPECT_FALSE(target->Cells(5, 3).HasFormula());
}

TEST_F(ObjectModel, RangeCopyCarriesValuesFormatsAndShiftsFormulas) {
    ws->Cells(1, 1).SetValue(2);
    ws->Cells(1, 2).SetFormula("=A1*2");
    ws->GetRange("A1:B1").SetFontBold(true);
    ws->GetRange("A1:B1").Copy(ws->GetRange("A5"));
    EXPECT_EQ(ws->Cells(5, 1).Value(), Variant(2));
    EXPECT_EQ(ws->Cells(5, 2).Formula(), "=A5*2");
    EXPECT_TRUE(book->data().styles.at(book->data().sheets[0]->styleAt(5, 2)).font.bold);
}

TEST_F(ObjectModel, CopyOntoAnOverlappingBlockReadsTheOriginal) {
    for (int r = 1; r <= 3; ++r) ws->Cells(r, 1).SetValue(r);
    ws->GetRange("A1:A3").Copy(ws->GetRange("A2"));
    EXPECT_EQ(ws->Cells(1, 1).Value(), Variant(1));
    EXPECT_EQ(ws->Cells(2, 1).Value(), Variant(1));
    EXPECT_EQ(ws->Cells(4, 1).Value(), Variant(3));
}

TEST_F(ObjectModel, PasteValuesTakesResultsNotFormulasOrFormats) {
    ws->Cells(1, 1).SetValue(4);
    ws->Cells(1, 1).SetFontBold(true);
    ws->Cells(1, 2).SetFormula("=A1");
    ws->GetRange("A1:B1").Copy();
    ws->GetRange("D1").PasteSpecial(xlPasteValues);
    EXPECT_EQ(ws->Cells(1, 4).Value(), Variant(4));
    EXPECT_FALSE(ws->Cells(1, 5).HasFormula());
    EXPECT_FALSE(book->data().styles.at(book->data().sheets[0]->styleAt(1, 4)).font.bold);
}

TEST_F(ObjectModel, RowInsertAndDeleteMoveFormatsMergesAndFormulas) {
    for (int r = 1; r <= 6; ++r) ws->Cells(r, 1).SetValue(r);
    ws->GetRange("B3:C4").Merge();
    ws->Rows(2).SetNumberFormat("0.00");
    ws->Cells(7, 1).SetFormula("=SUM(A1:A6)+A4");

    ws->Rows(3).Insert();  // the new row takes the format of the row above
    EXPECT_EQ(ws->Cells(3, 1).NumberFormat(), "0.00");
    EXPECT_TRUE(ws->Cells(3, 1).Value().isEmpty());
    EXPECT_EQ(ws->Cells(4, 1).Value(), Variant(3));
    EXPECT_TRUE(ws->GetRange("C5").MergeCells());
    EXPECT_FALSE(ws->GetRange("B3").MergeCells());
    EXPECT_EQ(ws->Cells(8, 1).Formula(), "=SUM(A1:A7)+A5");

    ws->GetRange("A2").Resize(2, 1).EntireRow().Delete();  // the formatted row 2 and the new row 3
    EXPECT_EQ(ws->Cells(2, 1).Value(), Variant(3));
    EXPECT_EQ(ws->Cells(2, 1).NumberFormat(), "General");
    EXPECT_TRUE(ws->GetRange("B3").MergeCells());
    EXPECT_EQ(ws->Cells(6, 1).Formula(), "=SUM(A1:A5)+A3");
    EXPECT_TRUE(book->data().needsRecalc);

    ws->Rows(3).Delete();  // a deleted reference turns into #REF!
    EXPECT_EQ(ws->Cells(5, 1).Formula(), "=SUM(A1:A4)+#REF!");
    EXPECT_FALSE(ws->GetRange("B3").MergeCells() && ws->GetRange("B4").MergeCells());
}

TEST_F(ObjectModel, ColumnDeleteShiftsCellsWidthsAndFormulasOnOtherSheets) {
    ws->Cells(1, 1).SetValue("a");
    ws->Cells(1, 2).SetValue("b");
    ws->Cells(1, 3).SetValue("c");
    ws->Columns(3).SetColumnWidth(30);
    Worksheet* other = book->Worksheets().AddAfter(ws);
    other->Cells(1, 1).SetFormula("=Sheet1!C1");
    ws->Columns(2).Delete();
    EXPECT_EQ(ws->Cells(1, 2).Value(), Variant("c"));
    EXPECT_DOUBLE_EQ(ws->Columns(2).ColumnWidth(), 30);
    EXPECT_TRUE(ws->Cells(1, 3).Value().isEmpty());
    EXPECT_EQ(other->Cells(1, 1).Formula(), "=Sheet1!B1");
}

TEST_F(ObjectModel, SheetNamesAreCheckedNotChanged) {
    struct Case { std::string name; bool ok; };
    const std::vector<Case> cases = {
        {std::string(31, 'x'), true},
        {std::string(32, 'x'), false},
        {"财务部（一）分表二〇二四年度第一季度汇总数据表格", true},  // 24 characters, 72 bytes
        {"a/b", false}, {"a\\b", false}, {"a:b", false}, {"a?b", false}, {"a*b", false}, {"[a]", false},
        {"", false}, {"'quoted", false},
        {"sheet1", true},  // its own name in another case is fine
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.ok) {
            EXPECT_NO_THROW(ws->SetName(c.name));
        } else {
            std::string before = ws->Name();
            EXPECT_THROW(ws->SetName(c.name), AutomationError);
            EXPECT_EQ(ws->Name(), before);
        }
    }
    ws->SetName("部门A");
    Worksheet* second = book->Worksheets().AddAfter(ws);
    try {
        second->SetName("部门a");
        FAIL() << "a duplicate in another letter case was accepted";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 1004);
        EXPECT_NE(e.description().find("部门a"), std::string::npos);
    }
}

TEST_F(ObjectModel, CopyAfterNamesTheCopyWithTheNextFreeNumber) {
    ws->SetName("数据");
    ws->Cells(1, 1).SetValue("v");
    Worksheet* c2 = ws->CopyAfter(ws);
    EXPECT_EQ(c2->Name(), "数据 (2)");
    ws->CopyAfter(c2);
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"数据", "数据 (2)", "数据 (3)"}));
    EXPECT_EQ(c2->Cells(1, 1).Value(), Variant("v"));
    EXPECT_EQ(app->ActiveSheet()->Name(), "数据 (3)");
    // A 31-character name is shortened so the copy's name stays legal.
    ws->SetName(std::string(31, 'n'));
    Worksheet* longCopy = ws->CopyAfter(ws);
    EXPECT_EQ(longCopy->Name(), std::string(27, 'n') + " (2)");
}

TEST_F(ObjectModel, CopyIntoNewWorkbookBecomesActive) {
    ws->SetName("源");
    ws->Cells(1, 1).SetValue(5);
    ws->Columns(1).SetColumnWidth(20);
    Workbook* copy = ws->Copy();
    EXPECT_EQ(app->ActiveWorkbook(), copy);
    EXPECT_EQ(sheetNames(copy), std::vector<std::string>{"源"});
    Worksheet* s = copy->Worksheets().Item("源");
    EXPECT_EQ(s->Cells(1, 1).Value(), Variant(5));
    EXPECT_DOUBLE_EQ(s->Columns(1).ColumnWidth(), 20);
    EXPECT_EQ(app->Workbooks().Count(), 2);
}

TEST_F(ObjectModel, AddGoesBeforeActiveAndAddAfterFollowsItsSheet) {
    Worksheet* s2 = book->Worksheets().Add();
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet2", "Sheet1"}));
    EXPECT_EQ(app->ActiveSheet(), s2);
    book->Worksheets().AddAfter(book->Worksheets().Item(book->Worksheets().Count()));
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet2", "Sheet1", "Sheet3"}));
    book->Worksheets().AddAfter(s2);
    EXPECT_EQ(sheetNames(book), (std::vector<std::string>{"Sheet2", "Sheet4", "Sheet1", "Sheet3"}));
    EXPECT_EQ(book->Worksheets().Item("sheet4")->Index(), 2);
    EXPECT_THROW(book->Worksheets().Item(9), AutomationError);
    EXPECT_THROW(book->Worksheets().Item("无此表"), AutomationError);
}

TEST_F(ObjectModel, DeleteAsksOnlyWithAlertsOnAndDeadSheetsFailCleanly) {
    auto alerts = std::make_shared<RecordingAlerts>();
    app->setAlertService(alerts);
    Worksheet* s2 = book->Worksheets().AddAfter(ws);
    alerts->deleteAnswer = false;
    EXPECT_FALSE(s2->Delete());
    EXPECT_EQ(book->Worksheets().Count(), 2);
    app->SetDisplayAlerts(false);
    EXPECT_TRUE(s2->Delete());
    EXPECT_EQ(alerts->deleteQuestions, 1);
    EXPECT_EQ(book->Worksheets().Count(), 1);
    EXPECT_THROW(s2->Cells(1, 1).Value(), AutomationError);
    EXPECT_THROW(ws->Delete(), AutomationError);  // the last sheet stays
}

TEST_F(ObjectModel, CloseAsksAboutChangesOnlyWithAlertsOn) {
    auto alerts = std::make_shared<RecordingAlerts>();
    app->setAlertService(alerts);
    ws->Cells(1, 1).SetValue(1);
    alerts->saveAnswer = AlertService::Answer::Cancel;
    EXPECT_FALSE(book->Close());
    EXPECT_TRUE(book->isOpen());
    alerts->saveAnswer = AlertService::Answer::No;
    EXPECT_TRUE(book->Close());
    EXPECT_EQ(alerts->saveQuestions, 2);
    EXPECT_FALSE(book->isOpen());
    EXPECT_EQ(app->Workbooks().Count(), 0);

    Workbook* quiet = app->Workbooks().Add();
    quiet->Worksheets().Item(1)->Cells(1, 1).SetValue(1);
    app->SetDisplayAlerts(false);
    EXPECT_TRUE(quiet->Close());
    EXPECT_EQ(alerts->saveQuestions, 2);
    EXPECT_TRUE(quiet->Close(false));  // closing twice is harmless
}

TEST_F(ObjectModel, QuitClosesEverythingAndEndsTheApplication) {
    app->SetDisplayAlerts(false);
    app->Workbooks().Add();
    app->Quit();
    EXPECT_TRUE(app->quit());
    EXPECT_EQ(app->Workbooks().Count(), 0);
    EXPECT_THROW(app->Workbooks().Add(), AutomationError);
}

TEST_F(ObjectModel, GeometryOfRanges) {
    Range r = ws->GetRange("B2:D5");
    EXPECT_EQ(r.Count(), 12);
    EXPECT_EQ(r.Rows().Count(), 4);
    EXPECT_EQ(r.Columns().Count(), 3);
    EXPECT_EQ(r.Rows(2).Address(), "$B$3:$D$3");
    EXPECT_EQ(r.Cells(2, 3).Address(), "$D$3");
    EXPECT_EQ(r.Offset(1, -1).Address(), "$A$3:$C$6");
    EXPECT_EQ(r.Resize(1, 1).Address(), "$B$2");
    EXPECT_EQ(r.Parent(), ws);
    EXPECT_EQ(ws->Rows(3).Count(), 1);
    EXPECT_THROW(r.Offset(-2, 0), AutomationError);
    EXPECT_THROW(r.Resize(0, 1), AutomationError);
    EXPECT_THROW(ws->GetRange("A0"), AutomationError);
    EXPECT_EQ(app->AddressOf("c5"), "$C$5");
    EXPECT_THROW(app->AddressOf("第5行"), AutomationError);
}

TEST_F(ObjectModel, IndexTakesOneColumnOfABlock) {
    VariantArray a(3, 2);
    for (int r = 1; r <= 3; ++r) a(r, 2) = r * 2;
    VariantArray col = Application::IndexColumn(a, 2);
    ASSERT_EQ(col.rows(), 3);
    ASSERT_EQ(col.cols(), 1);
    EXPECT_EQ(col(3, 1), Variant(6));
    EXPECT_THROW(Application::IndexColumn(a, 3), AutomationError);
}

TEST_F(ObjectModel, FormatsOnWholeSheetDoNotMaterialiseCells) {
    ws->Cells(2, 2).SetValue(1);
    ws->Cells().SetHorizontalAlignment(xlCenter);
    ws->Cells().SetVerticalAlignment(xlCenter);
    EXPECT_EQ(ws->Cells(2, 2).HorizontalAlignment(), xlCenter);
    EXPECT_EQ(ws->Cells(900000, 9000).HorizontalAlignment(), xlCenter);
    EXPECT_EQ(book->data().sheets[0]->cellCount(), 1u);
    ws->Cells(900000, 9000).SetValue("new");
    EXPECT_EQ(ws->Cells(900000, 9000).VerticalAlignment(), xlCenter);
}

TEST_F(ObjectModel, AutoFitWidensToTheWidestText) {
    ws->Cells(1, 1).SetValue("短");
    ws->Cells(2, 1).SetValue("一个很长的部门名称");
    ws->Columns(1).AutoFit();
    EXPECT_GT(ws->Columns(1).ColumnWidth(), 18);
    EXPECT_LT(ws->Columns(1).ColumnWidth(), 25);
}

TEST(CreateObjectRegistry, RefusedIdentifiersFailWith429AndResetRestores) {
    auto& reg = ObjectRegistry::instance();
    reg.refuse("ET.Application");
    try {
        CreateObject("et.application");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 429);
    }
    EXPECT_NE(CreateObjectAs<KeyedCollection>("Scripting.Dictionary"), nullptr);
    EXPECT_THROW(CreateObjectAs<KeyedCollection>("Excel.Application"), AutomationError);
    reg.setFactory("KET.Application", []() -> std::shared_ptr<AutomationObject> {
        throw AutomationError(-2147467259, "未指定的错误");
    });
    EXPECT_THROW(CreateObject("KET.Application"), AutomationError);
    reg.reset();
    EXPECT_NE(CreateObjectAs<Application>("ET.Application"), nullptr);
}

}  // namespace

// The trimmed copy of a sheet's formats must equal the long way round (paste every format, then
// delete the rows), whatever the rows left out cut through: merges inside, across either edge
// or over the whole band, row and column formats, rows past the last one.
TEST_F(ObjectModel, PasteFormatsLeavingOutRowsEqualsPasteThenDelete) {
    ws->Cells(1, 1).SetValue(std::string("标题"));
    ws->GetRange("A1:D1").Merge();
    ws->GetRange("B3:B8").Merge();    // across the top edge of the band
    ws->GetRange("C6:C7").Merge();    // inside the band
    ws->GetRange("D9:D14").Merge();   // across the bottom edge
    ws->GetRange("E4:E13").Merge();   // over the whole band
    ws->GetRange("F15:G16").Merge();  // below
    for (int r = 1; r <= 20; ++r) {
        ws->Cells(r, 1 + r % 4).SetNumberFormat(r % 2 ? "0.00" : "@");
        ws->Cells(r, 2).SetValue(r);
        if (r % 3 == 0) ws->Rows(r).SetRowHeight(10 + r);
    }
    ws->Rows(7).SetNumberFormat("yyyy/m/d");
    ws->Columns(3).SetColumnWidth(21);
    ws->Columns(8).SetNumberFormat("0%");
    ws->Cells(30, 9).SetFontBold(true);

    struct Case { int at, count; };
    for (Case c : {Case{5, 6}, Case{1, 3}, Case{2, 0}, Case{19, 40}, Case{40, 5}, Case{3, 11}}) {
        Worksheet* longWay = book->Worksheets().AddAfter(ws);
        ws->Cells().Copy();
        longWay->GetRange("A1").PasteSpecial(xlPasteFormats, xlPasteSpecialOperationNone, false, false);
        if (c.count > 0) longWay->Rows(c.at).Resize(c.count, 1).EntireRow().Delete();
        Worksheet* trimmed = book->Worksheets().AddAfter(ws);
        trimmed->PasteFormatsLeavingOutRows(*ws, c.at, c.count);

        const auto& a = longWay->data();
        const auto& b = trimmed->data();
        SCOPED_TRACE("rows " + std::to_string(c.at) + " +" + std::to_string(c.count));
        ASSERT_EQ(a.rowCount(), b.rowCount());
        for (int r = 1; r <= a.rowCount(); ++r) {
            const auto* x = a.row(r);
            const auto* y = b.row(r);
            ASSERT_EQ(x == nullptr, y == nullptr) << r;
            if (!x) continue;
            EXPECT_EQ(x->height, y->height) << r;
            EXPECT_EQ(x->flags, y->flags) << r;
            EXPECT_EQ(x->style, y->style) << r;
            ASSERT_EQ(x->cells.size(), y->cells.size()) << r;
            for (std::size_t i = 0; i < x->cells.size(); ++i) {
                EXPECT_EQ(x->cells[i].col, y->cells[i].col) << r;
                EXPECT_EQ(x->cells[i].style, y->cells[i].style) << r;
                EXPECT_FALSE(y->cells[i].holdsValue()) << r;
            }
        }
        ASSERT_EQ(a.columnRecordCount(), b.columnRecordCount());
        for (int col = 1; col <= a.columnRecordCount(); ++col) EXPECT_TRUE(*a.column(col) == *b.column(col)) << col;
        auto merges = [](const lorvane::sheet::SheetData& s) {
            std::vector<std::array<int, 4>> out;
            for (const auto& m : s.merges) out.push_back({m.row1, m.col1, m.row2, m.col2});
            std::sort(out.begin(), out.end());
            return out;
        };
        EXPECT_EQ(merges(a), merges(b));
        app->SetDisplayAlerts(false);
        longWay->Delete();
        trimmed->Delete();
        app->SetDisplayAlerts(true);
    }
    // Only into an empty sheet.
    EXPECT_THROW(ws->PasteFormatsLeavingOutRows(*ws, 2, 1), AutomationError);
}
