// CSV text opened as a one-sheet workbook: encodings, separators, quoting, which fields become
// numbers, and saving such a workbook as .xlsx beside its source.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "automation/Application.h"
#include "base/AutomationError.h"
#include "automation/Conversions.h"
#include "automation/Workbook.h"
#include "automation/Worksheet.h"
#include "spreadsheet/CsvFile.h"

namespace lorvane {
namespace {

namespace fs = std::filesystem;
using sheet::csvSeparator;
using sheet::csvTextAsUtf8;

class CsvFile : public ::testing::Test {
protected:
    fs::path dir;
    Application app;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("csv-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream((dir / name).string(), std::ios::binary) << bytes;
        return (dir / name).string();
    }
    static std::string text(Worksheet* ws, int r, int c) { return convert::toText(ws->Cells(r, c).Value()); }
};

TEST_F(CsvFile, EncodingsAreDetected) {
    const std::string utf8 = "部门,金额\n销售部,12\n";
    EXPECT_EQ(csvTextAsUtf8(utf8), utf8);
    EXPECT_EQ(csvTextAsUtf8("\xEF\xBB\xBF" + utf8), utf8);
    // The same text as GBK (what a Chinese Windows exports) and as GB18030 beyond GBK.
    EXPECT_EQ(csvTextAsUtf8("\xB2\xBF\xC3\xC5,\xBD\xF0\xB6\xEE\n\xCF\xFA\xCA\xDB\xB2\xBF,12\n"), utf8);
    EXPECT_EQ(csvTextAsUtf8("\x81\x30\x89\x38"), "ß");  // in GB18030's four-byte form
    EXPECT_EQ(csvTextAsUtf8(std::string("\xFF\xFE\xE8\x90\xE8\x95", 6)), "部门");  // UTF-16LE with its mark
    // A broken byte does not stop the file: it shows as a replacement character.
    EXPECT_EQ(csvTextAsUtf8("a\xFF,b"), "a\xEF\xBF\xBD,b");
}

TEST_F(CsvFile, SeparatorIsACommaOrATab) {
    EXPECT_EQ(csvSeparator("a,b,c\n1\t2"), ',');
    EXPECT_EQ(csvSeparator("a\tb\tc,d\n"), '\t');
    EXPECT_EQ(csvSeparator("\"x\t\ty\",b\n"), ',');  // tabs inside quotes do not count
    EXPECT_EQ(csvSeparator(""), ',');
}

TEST_F(CsvFile, FieldsQuotesAndNumbers) {
    const std::string path = write("名单[2024].csv",
                                   "编号,姓名,金额,备注\r\n"
                                   "0012,\"张,三\",12,\"他说\"\"好\"\"\"\r\n"
                                   "\r\n"
                                   "110101199003071234,李四,-3.25,\"两\n行\"\r\n"
                                   "7, 王五 ,1.5e3,12abc\r\n"
                                   ",,\"42\",\r\n"
                                   "1001,赵六");  // no line break at the end
    Workbook* book = app.Workbooks().Open(path);
    ASSERT_EQ(book->Worksheets().Count(), 1);
    Worksheet* ws = book->Worksheets()(1);
    EXPECT_EQ(ws->Name(), "名单2024");  // named after the file, without characters a sheet name cannot hold
    EXPECT_EQ(text(ws, 1, 4), "备注");
    // Codes with leading zeros and identity numbers keep every digit: they stay text.
    EXPECT_EQ(ws->Cells(2, 1).Value().type(), Variant::Type::Text);
    EXPECT_EQ(text(ws, 2, 1), "0012");
    EXPECT_EQ(text(ws, 2, 2), "张,三");
    EXPECT_EQ(ws->Cells(2, 3).Value().type(), Variant::Type::Number);
    EXPECT_EQ(text(ws, 2, 4), "他说\"好\"");
    EXPECT_TRUE(ws->Cells(3, 1).Value().isEmpty());  // a blank line is a blank row
    EXPECT_EQ(ws->Cells(4, 1).Value().type(), Variant::Type::Text);
    EXPECT_EQ(text(ws, 4, 1), "110101199003071234");
    EXPECT_DOUBLE_EQ(ws->Cells(4, 3).Value().number(), -3.25);
    EXPECT_EQ(text(ws, 4, 4), "两\n行");
    EXPECT_DOUBLE_EQ(ws->Cells(5, 1).Value().number(), 7);
    EXPECT_EQ(text(ws, 5, 2), " 王五 ");
    EXPECT_DOUBLE_EQ(ws->Cells(5, 3).Value().number(), 1500);
    EXPECT_EQ(ws->Cells(5, 4).Value().type(), Variant::Type::Text);
    EXPECT_TRUE(ws->Cells(6, 1).Value().isEmpty());
    EXPECT_DOUBLE_EQ(ws->Cells(6, 3).Value().number(), 42);  // quoted numbers are numbers too
    EXPECT_TRUE(ws->Cells(6, 4).Value().isEmpty());
    EXPECT_DOUBLE_EQ(ws->Cells(7, 1).Value().number(), 1001);
    EXPECT_EQ(text(ws, 7, 2), "赵六");
}

TEST_F(CsvFile, TabSeparatedGbk) {
    const std::string path = write("gbk.csv", "\xB2\xBF\xC3\xC5\t\xBD\xF0\xB6\xEE\n\xCF\xFA\xCA\xDB\xB2\xBF\t12\n");
    Worksheet* ws = app.Workbooks().Open(path)->Worksheets()(1);
    EXPECT_EQ(text(ws, 1, 1), "部门");
    EXPECT_EQ(text(ws, 2, 1), "销售部");
    EXPECT_DOUBLE_EQ(ws->Cells(2, 2).Value().number(), 12);
}

// The CSV file is a source: saving writes the workbook beside it as .xlsx and leaves it as it was.
TEST_F(CsvFile, SavingWritesXlsxBesideTheSource) {
    const std::string source = "部门,金额\n销售部,12\n";
    const std::string path = write("部门.csv", source);
    app.SetDisplayAlerts(false);
    Workbook* book = app.Workbooks().Open(path);
    book->Worksheets()(1)->Cells(3, 1).SetValue(Variant(std::string("合计")));
    book->Save();
    EXPECT_EQ(book->FullName(), (dir / "部门.xlsx").string());
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), source);
    book->Close(false);
    Workbook* saved = app.Workbooks().Open((dir / "部门.xlsx").string());
    EXPECT_EQ(text(saved->Worksheets()(1), 3, 1), "合计");
    // Asked for by name, .csv is no format the engine writes.
    EXPECT_THROW(saved->SaveCopyAs((dir / "x.csv").string()), AutomationError);
}

}  // namespace
}  // namespace lorvane
