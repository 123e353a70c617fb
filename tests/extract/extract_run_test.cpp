// Both extraction runs, headless on the real engine: values and column deletion, into the same
// workbook and into a new one, the checks made before any change, and failures reported.
#include <gtest/gtest.h>

#include "ExtractTestSupport.h"
#include "extract/ExtractColumns.h"
#include "extract/ExtractPlan.h"
#include "support/CommandCapture.h"

namespace lorvane::extract {
namespace {

using testing::Row;
using testing::Texts;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

class ExtractRun : public testing::ExtractFixture {
protected:
    runs::RunOutcome run(const ExtractRequest& r) { return runExtractColumns(r, *app, *book, ui); }

    // Six columns, one title row, 99 data rows; column 5 centred with two decimals, column 6 a
    // formula on column 3.
    void sixColumns() {
        for (int c = 1; c <= 6; ++c) sheet->Cells(1, c).SetValue(Variant("列" + std::to_string(c)));
        for (int r = 2; r <= 100; ++r) {
            for (int c = 1; c <= 5; ++c) sheet->Cells(r, c).SetValue(Variant(r * 10.0 + c));
            formulaWithResult(r, 6, "=C" + std::to_string(r) + "*2", (r * 10.0 + 3) * 2);
        }
        sheet->GetRange("E1:E100").SetHorizontalAlignment(xlCenter);
        sheet->GetRange("E2:E100").SetNumberFormat("0.00");
    }
    // A run that succeeded said nothing and handed over.
    void expectQuietSuccess(const runs::RunOutcome& out) {
        EXPECT_TRUE(out.ok()) << out.message;
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(ui.noticeShown, 1);
        EXPECT_FALSE(ui.noticeVisible());
        EXPECT_EQ(ui.exitsScheduled, 1);
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_TRUE(app->DisplayAlerts());
    }
};

TEST_F(ExtractRun, ValuesOfTwoTickedColumnsIntoTheSameWorkbook) {
    sixColumns();
    book->Worksheets().AddAfter(sheet)->SetName("备注");
    runs::RunOutcome out = run(request({5, 2}));
    expectQuietSuccess(out);
    EXPECT_EQ(out.made, Names{"数据提取表"});
    EXPECT_EQ(namesOf(book), (Names{"数据", "数据提取表", "备注"}));
    Worksheet* result = book->Worksheets()("数据提取表");
    EXPECT_EQ(texts(result, 3, 3), (Texts{{"列2", "列5", ""}, {"22", "25", ""}, {"32", "35", ""}}));
    EXPECT_EQ(convert::toText(result->Cells(100, 1).Value()), "1002");
    // Nothing is written past the ticked columns (the titles' shrink-to-fit spans the sheet's
    // columns, as the title block does).
    EXPECT_EQ(result->UsedRange().rect().row2, 100);
    for (int r = 1; r <= 100; ++r)
        for (int c = 3; c <= 6; ++c) ASSERT_TRUE(result->Cells(r, c).Value().isEmpty()) << r << "," << c;
    // The source's formats move with the ticked column, except the number format: text on the
    // titles and every data row, and nothing below.
    EXPECT_EQ(result->Cells(50, 2).HorizontalAlignment(), xlCenter);
    EXPECT_NE(result->Cells(50, 1).HorizontalAlignment(), xlCenter);
    EXPECT_EQ(result->GetRange("A1:B100").NumberFormat(), "@");
    EXPECT_NE(result->Cells(101, 1).NumberFormat(), "@");
    EXPECT_TRUE(result->Cells(2, 1).Value().isText());
    EXPECT_TRUE(result->GetRange("A1:B1").ShrinkToFit());
    EXPECT_FALSE(result->Cells(2, 1).ShrinkToFit());
    EXPECT_EQ(app->ActiveSheet(), result);
    EXPECT_TRUE(book->isOpen());
    EXPECT_FALSE(book->Saved());
}

TEST_F(ExtractRun, FormulasBecomeValuesWhenExtractedAndStayWhenColumnsAreDeleted) {
    sixColumns();
    ASSERT_TRUE(run(request({6})).ok());
    Worksheet* values = book->Worksheets()("数据提取表");
    EXPECT_FALSE(values->Cells(2, 1).HasFormula());
    EXPECT_EQ(convert::toText(values->Cells(2, 1).Value()), "46");

    ui = {};
    ASSERT_TRUE(run(request({3, 6}, "1", ExtractMethod::DeleteColumns)).ok());
    Worksheet* trimmed = book->Worksheets()("数据提取表");
    EXPECT_NE(trimmed, values);
    // Column C became A and the formula of F (now B) follows it.
    EXPECT_EQ(trimmed->Cells(2, 2).Formula(), "=A2*2");
    EXPECT_EQ(convert::toText(trimmed->Cells(2, 2).Value()), "46");
    EXPECT_FALSE(trimmed->Cells(2, 1).Value().isText());  // the deletion keeps values as they were
    for (int c = 3; c <= 6; ++c) EXPECT_TRUE(trimmed->Cells(2, c).Value().isEmpty()) << c;
    EXPECT_TRUE(trimmed->GetRange("A1:B1").ShrinkToFit());
    EXPECT_EQ(namesOf(book), (Names{"数据", "数据提取表"}));
}

TEST_F(ExtractRun, DeletionKeepsTheFormatsOfTheKeptColumnsAndDropsTheOthers) {
    sixColumns();
    ASSERT_TRUE(run(request({1, 2, 5}, "1", ExtractMethod::DeleteColumns)).ok());
    Worksheet* trimmed = book->Worksheets()("数据提取表");
    EXPECT_EQ(texts(trimmed, 2, 4), (Texts{{"列1", "列2", "列5", ""}, {"21", "22", "25", ""}}));
    EXPECT_EQ(trimmed->Cells(3, 3).NumberFormat(), "0.00");
    EXPECT_EQ(trimmed->Cells(3, 3).HorizontalAlignment(), xlCenter);
}

// The copy of the deletion is the object the run trims and renames, even when the user has a
// sheet of the name the application gives copies.
TEST_F(ExtractRun, AUserSheetNamedLikeTheCopyIsNeverTouched) {
    sixColumns();
    Worksheet* own = book->Worksheets().AddAfter(sheet);
    own->SetName("数据 (2)");
    fill({{"自己的", "表", "不要动"}}, own);
    ASSERT_TRUE(run(request({2}, "1", ExtractMethod::DeleteColumns)).ok());
    EXPECT_EQ(namesOf(book), (Names{"数据", "数据提取表", "数据 (2)"}));
    EXPECT_EQ(texts(own, 1, 3), (Texts{{"自己的", "表", "不要动"}}));
    EXPECT_EQ(texts(book->Worksheets()("数据提取表"), 2, 2), (Texts{{"列2", ""}, {"22", ""}}));
}

// A second extraction replaces the first without asking, whatever the letter case of its name,
// and the new result stands directly after the source sheet.
TEST_F(ExtractRun, AnEarlierResultIsReplacedSilentlyWhateverItsCase) {
    sheet->SetName("Data");
    sixColumns();
    Worksheet* earlier = book->Worksheets().AddAfter(sheet);
    earlier->SetName("DATA提取表");
    book->Worksheets().AddBefore(earlier)->SetName("其他");
    for (ExtractMethod method : {ExtractMethod::Values, ExtractMethod::DeleteColumns}) {
        ui = {};
        ASSERT_TRUE(run(request({1}, "1", method, ExtractTarget::SameWorkbook, "Data")).ok());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(namesOf(book), (Names{"Data", "Data提取表", "其他"}));
    }
    EXPECT_FALSE(earlier->alive());
}

// The counts are positions: a table starting at B3 keeps its last column and row.
TEST_F(ExtractRun, ATableAwayFromA1KeepsItsLastColumnAndRow) {
    fill({{"标题"}, {"姓名", "部门", "金额"}, {"张三", "一部", 10}, {"李四", "二部", 20}}, sheet, 3, 2);
    ExtractPlan plan;
    ASSERT_FALSE(planExtract(request({4}, "4"), *book, plan));
    EXPECT_EQ(plan.lastColumn, 4);
    EXPECT_EQ(plan.lastRow, 6);
    ASSERT_TRUE(run(request({4, 2}, "4")).ok());
    Worksheet* result = book->Worksheets()("数据提取表");
    EXPECT_EQ(texts(result, 6, 2),
              (Texts{{"", ""}, {"", ""}, {"标题", ""}, {"姓名", "金额"}, {"张三", "10"}, {"李四", "20"}}));
}

TEST_F(ExtractRun, ColumnsAreTakenAscendingWithoutRepeats) {
    sixColumns();
    ASSERT_TRUE(run(request({5, 1, 5, 3, 1})).ok());
    EXPECT_EQ(texts(book->Worksheets()("数据提取表"), 1, 4), (Texts{{"列1", "列3", "列5", ""}}));
}

TEST_F(ExtractRun, WithoutTitleRowsTheDataStartsAtRow1) {
    fill({{"张三", 10}, {"李四", 20}});
    for (ExtractMethod method : {ExtractMethod::Values, ExtractMethod::DeleteColumns}) {
        ui = {};
        ASSERT_TRUE(run(request({2}, "0", method)).ok());
        EXPECT_EQ(texts(book->Worksheets()("数据提取表"), 3, 1), (Texts{{"10"}, {"20"}, {""}}));
    }
}

TEST_F(ExtractRun, ValuesIntoANewWorkbookBesideTheSourceReplacingAnEarlierFile) {
    sixColumns();
    saveSource();
    const fs::path result = dir / "工资表提取表.xlsx";
    {
        std::ofstream old(result);
        old << "an earlier result";
    }
    const std::string before = lorvane::testing::fileBytes((dir / "工资表.xlsx").string());
    runs::RunOutcome out = run(request({2, 6}, "1", ExtractMethod::Values, ExtractTarget::NewWorkbook));
    expectQuietSuccess(out);
    EXPECT_EQ(out.made, Names{result.string()});
    EXPECT_FALSE(book->isOpen());  // the source is closed without saving
    EXPECT_EQ(lorvane::testing::fileBytes((dir / "工资表.xlsx").string()), before);
    Workbook* made = app->ActiveWorkbook();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->FullName(), result.string());
    EXPECT_EQ(namesOf(made), Names{"数据提取表"});

    std::shared_ptr<Application> other;
    Workbook* saved = openIn(other, result);
    Worksheet* ws = saved->GetSheets()(1);
    EXPECT_EQ(ws->Name(), "数据提取表");
    EXPECT_EQ(texts(ws, 2, 3), (Texts{{"列2", "列6", ""}, {"22", "46", ""}}));
    EXPECT_FALSE(ws->Cells(2, 2).HasFormula());
    EXPECT_TRUE(ws->GetRange("A1:B1").ShrinkToFit());
}

TEST_F(ExtractRun, DeletionIntoANewWorkbookKeepsFormulasWithoutShrinkingTitles) {
    sixColumns();
    saveSource();
    runs::RunOutcome out = run(request({3, 6}, "1", ExtractMethod::DeleteColumns, ExtractTarget::NewWorkbook));
    expectQuietSuccess(out);
    std::shared_ptr<Application> other;
    Workbook* saved = openIn(other, dir / "工资表提取表.xlsx");
    Worksheet* ws = saved->GetSheets()(1);
    EXPECT_EQ(namesOf(saved), Names{"数据提取表"});
    EXPECT_EQ(ws->Cells(100, 2).Formula(), "=A100*2");
    EXPECT_EQ(texts(ws, 1, 3), (Texts{{"列3", "列6", ""}}));
    EXPECT_FALSE(ws->Cells(1, 1).ShrinkToFit());
}

// The folder of the result is the source's own folder, even when a folder name holds a
// backslash (a character Linux file names may contain).
TEST_F(ExtractRun, TheResultGoesIntoTheSourcesOwnFolder) {
    sixColumns();
    const fs::path folder = dir / "部门\\二部";
    saveSource("表.xlsx", folder);
    ASSERT_TRUE(run(request({1}, "1", ExtractMethod::Values, ExtractTarget::NewWorkbook)).ok());
    EXPECT_TRUE(fs::exists(folder / "表提取表.xlsx"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ExtractRun, RefusalsComeBeforeAnyChange) {
    sixColumns();
    saveSource();
    Worksheet* wide = book->Worksheets().AddAfter(sheet);
    wide->SetName("宽表");
    wide->Cells(2, 100).SetValue(Variant(1.0));
    Worksheet* tall = book->Worksheets().AddAfter(wide);
    tall->SetName(std::string(26, 'x'));  // 26 + 3 characters fit, a longer name would not
    book->Worksheets().AddAfter(tall)->SetName(std::string(29, 'y'));
    const Names before = namesOf(book);
    struct Case {
        ExtractRequest request;
        const char* says;
    };
    auto boxes = [](ExtractRequest r, int limit) {
        r.boxLimit = limit;
        return r;
    };
    const Case cases[] = {
        {request({}), "您还未勾选需要提取的列"},
        {request({1}, ""), "标题行数不能为空"},
        {request({1}, "一"), "您输入的标题行数不是数字"},
        {request({1}, "-1"), "标题行数"},
        {request({1}, "1.5"), "不是整数"},
        {request({1}, "100"), "在标题行以下没有数据行"},
        {request({1}, "1", ExtractMethod::Values, ExtractTarget::SameWorkbook, "汇总"), "没有名为“汇总”的工作表"},
        {request({1}, "1", ExtractMethod::Values, ExtractTarget::SameWorkbook, "请选择要提取的工作表"), "您还未选择需要提取的工作表"},
        {request({7}), "G（第7列）不在工作表“数据”的已用区域内（最后一列是F（第6列））"},
        {boxes(request({1}, "1", ExtractMethod::Values, ExtractTarget::SameWorkbook, "宽表"), 42), "最大支持42列"},
        {boxes(request({1}, "1", ExtractMethod::Values, ExtractTarget::SameWorkbook, "宽表"), 88), "最大支持88列"},
        {request({1}, "0", ExtractMethod::DeleteColumns, ExtractTarget::SameWorkbook, std::string(29, 'y')), "不能超过31个字符"},
    };
    for (const Case& c : cases) {
        for (ExtractTarget target : {ExtractTarget::SameWorkbook, ExtractTarget::NewWorkbook}) {
            SCOPED_TRACE(c.says);
            ui = {};
            ExtractRequest r = c.request;
            r.target = target;
            runs::RunOutcome out = run(r);
            EXPECT_EQ(out.status, runs::RunOutcome::Status::Refused);
            EXPECT_NE(out.message.find(c.says), std::string::npos) << out.message;
            EXPECT_EQ(ui.texts(), Names{out.message});
            EXPECT_TRUE(book->isOpen());
            EXPECT_EQ(namesOf(book), before);
            EXPECT_FALSE(fs::exists(dir / "工资表提取表.xlsx"));
        }
    }
    // The widest sheet of the box limits passes without them, and the longest name that fits.
    ExtractPlan plan;
    EXPECT_FALSE(planExtract(request({100}, "1", ExtractMethod::Values, ExtractTarget::SameWorkbook, "宽表"), *book, plan));
    EXPECT_FALSE(planExtract(request({1}, "0", ExtractMethod::Values, ExtractTarget::SameWorkbook, std::string(26, 'x')), *book, plan));
}

TEST_F(ExtractRun, ANewWorkbookNeedsAFolderAndAFileName) {
    sixColumns();
    ExtractPlan plan;
    auto refusal = planExtract(request({1}, "1", ExtractMethod::Values, ExtractTarget::NewWorkbook), *book, plan);
    ASSERT_TRUE(refusal);  // never saved: no folder to put the result in
    EXPECT_NE(refusal->find("还没有保存到文件夹中"), std::string::npos);
    saveSource();
    fs::create_directories(dir / "工资表提取表.xlsx");
    refusal = planExtract(request({1}, "1", ExtractMethod::Values, ExtractTarget::NewWorkbook), *book, plan);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("是一个文件夹"), std::string::npos);
}

// A save the disk refuses is reported; the source stays open and unchanged, the switches are
// back on, and the unsaved result stays open to be saved elsewhere.
TEST_F(ExtractRun, AFailedSaveIsReportedNotSilenced) {
    sixColumns();
    saveSource();
    { std::ofstream(dir / "文件"); }
    for (ExtractMethod method : {ExtractMethod::Values, ExtractMethod::DeleteColumns}) {
        ui = {};
        ExtractRequest r = request({1}, "1", method, ExtractTarget::NewWorkbook);
        r.outputPath = (dir / "文件" / "结果.xlsx").string();
        const int booksBefore = app->Workbooks().Count();
        runs::RunOutcome out = run(r);
        EXPECT_EQ(out.status, runs::RunOutcome::Status::Failed);
        EXPECT_TRUE(out.made.empty());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, out.message);
        EXPECT_EQ(out.message.rfind("提取没有完成：", 0), 0u) << out.message;
        EXPECT_NE(out.message.find("源工作薄仍然打开，没有被修改"), std::string::npos) << out.message;
        EXPECT_TRUE(book->isOpen());
        EXPECT_TRUE(app->ScreenUpdating());
        EXPECT_TRUE(app->DisplayAlerts());
        EXPECT_EQ(ui.exitsScheduled, 1);
        EXPECT_EQ(app->Workbooks().Count(), booksBefore + 1);
    }
}

TEST(ExtractPieces, DeletingTheOtherColumnsInGroups) {
    auto app = CreateObjectAs<Application>("Excel.Application");
    Worksheet* ws = app->Workbooks().Add()->GetSheets()(1);
    for (int c = 1; c <= 12; ++c) ws->Cells(1, c).SetValue(Variant(static_cast<double>(c)));
    deleteOtherColumns(*ws, 10, {2, 3, 7, 10});
    std::vector<std::string> row;
    for (int c = 1; c <= 7; ++c) row.push_back(convert::toText(ws->Cells(1, c).Value()));
    // Columns 11 and 12 lie beyond the columns considered and move up behind the kept ones.
    EXPECT_EQ(row, (std::vector<std::string>{"2", "3", "7", "10", "11", "12", ""}));
}

TEST(ExtractPieces, ColumnListsByLettersOrNumbers) {
    std::vector<int> cols;
    EXPECT_FALSE(parseColumnList("B,C,F", cols));
    EXPECT_EQ(cols, (std::vector<int>{2, 3, 6}));
    EXPECT_FALSE(parseColumnList("2, 3 ,16384,XFD", cols));
    EXPECT_EQ(cols, (std::vector<int>{2, 3, 16384, 16384}));
    for (const char* bad : {"", "B,,C", "b", "0", "XFE", "B;C", "1.5"}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(parseColumnList(bad, cols));
    }
}

}  // namespace
}  // namespace lorvane::extract
