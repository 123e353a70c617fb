// What the engine writes opens in LibreOffice and in openpyxl with the same values, and legacy
// .xls files open through LibreOffice with the values LibreOffice itself sees.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/AutomationError.h"
#include "support/Corpus.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/LegacyXls.h"
#include "spreadsheet/WorkbookFile.h"

namespace fs = std::filesystem;
using namespace lorvane;
using namespace lorvane::sheet;

namespace {

const fs::path kCorpus = lorvane::testing::corpusDir();

using Grid = std::vector<std::vector<std::string>>;

// RFC 4180 fields as LibreOffice writes them.
Grid parseCsv(const std::string& text) {
    Grid rows(1);
    std::string field;
    bool quoted = false;
    rows.back().emplace_back();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                rows.back().back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back();
            rows.back().emplace_back();
        } else if (c != '\r') {
            rows.back().back() += c;
        }
    }
    return rows;
}

std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Compares LibreOffice's view of the first sheet with the engine's: texts exactly, numbers shown
// in General format numerically. Returns how many cells were compared.
int compareFirstSheet(const BookData& book, const Grid& grid, const std::string& label) {
    const SheetData& s = *book.sheets[0];
    int compared = 0;
    for (std::size_t r = 0; r < grid.size(); ++r)
        for (std::size_t c = 0; c < grid[r].size(); ++c) {
            const std::string& shown = grid[r][c];
            const Cell* cell = s.find(static_cast<int>(r + 1), static_cast<int>(c + 1));
            if (!cell || cell->formula) continue;  // formulas: LibreOffice may recalculate
            if (cell->kind == CellKind::Text) {
                EXPECT_EQ(book.strings.at(cell->text), shown) << label << " " << columnLetters(static_cast<int>(c + 1)) << r + 1;
                ++compared;
            } else if (cell->kind == CellKind::Number && book.styles.at(cell->style).numberFormat == "General") {
                double v = 0;
                auto [p, ec] = std::from_chars(shown.data(), shown.data() + shown.size(), v);
                if (ec != std::errc()) continue;  // shown with a locale or format we do not model here
                EXPECT_NEAR(v, cell->number, 1e-6 * std::max(1.0, std::fabs(v))) << label << " " << columnLetters(static_cast<int>(c + 1)) << r + 1;
                ++compared;
            }
        }
    return compared;
}

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    }
    TempFolder dir_;
    std::string path(const std::string& name) const { return (fs::path(dir_.path()) / name).string(); }
};

std::unique_ptr<BookData> mixedBook() {
    auto book = std::make_unique<BookData>();
    auto sheet = std::make_unique<SheetData>();
    sheet->name = "明细";
    CellFormat date;
    date.numberFormat = "yyyy-mm-dd";
    std::uint32_t dateStyle = book->styles.intern(date);
    const char* names[] = {"张三", "李四", "O'Brien, \"Jr\"", "  空格  ", "a&b<c>"};
    for (int r = 1; r <= 50; ++r) {
        Cell& t = sheet->touch(r, 1);
        t.kind = CellKind::Text;
        t.text = book->strings.intern(names[r % 5]);
        Cell& n = sheet->touch(r, 2);
        n.kind = CellKind::Number;
        n.number = r * 1234.5 - 1000;
        Cell& d = sheet->touch(r, 3);
        d.kind = CellKind::Number;
        d.number = 45292 + r;  // 2024-01-01 onward
        d.style = dateStyle;
        Cell& b = sheet->touch(r, 4);
        b.kind = CellKind::Boolean;
        b.number = r % 2;
    }
    Cell& f = sheet->touch(51, 2);
    f.kind = CellKind::Number;
    f.number = 0;
    f.formula = book->addFormula("SUM(B1:B50)");
    f.flags |= FormulaStale;
    book->needsRecalc = true;
    book->sheets.push_back(std::move(sheet));
    return book;
}

TEST_F(Interop, WrittenWorkbookOpensInLibreOfficeWithItsValues) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    auto book = mixedBook();
    writeWorkbookFile(*book, path("mixed.xlsx"), FileFormat::Xlsx);
    // A corpus workbook round-tripped through the engine, too.
    auto corpus = readWorkbookFile((kCorpus / "xlsx/poi_49273.xlsx").string());
    writeWorkbookFile(*corpus, path("styled.xlsx"), FileFormat::Xlsx);
    auto csv = convertWithLibreOffice({path("mixed.xlsx"), path("styled.xlsx"), (kCorpus / "xlsx/poi_49273.xlsx").string()},
                                      path("csv"), "csv");
    ASSERT_FALSE(csv[0].empty());
    Grid grid = parseCsv(slurp(csv[0]));
    EXPECT_EQ(compareFirstSheet(*book, grid, "mixed"), 100);
    ASSERT_GE(grid.size(), 51u);
    EXPECT_EQ(grid[0][2], "2024-01-02");
    EXPECT_EQ(grid[0][3], "TRUE");
    // The stale formula was recalculated on load.
    double sum = 0;
    for (int r = 1; r <= 50; ++r) sum += r * 1234.5 - 1000;
    EXPECT_NEAR(std::stod(grid[50][1]), sum, 1e-6);
    // Our copy shows exactly what the original shows.
    ASSERT_FALSE(csv[1].empty());
    EXPECT_EQ(slurp(csv[1]), slurp(csv[2]));
}

TEST_F(Interop, WrittenWorkbookOpensInOpenpyxl) {
    LORVANE_SKIP_WITHOUT_OPENPYXL();
    auto book = mixedBook();
    writeWorkbookFile(*book, path("mixed.xlsx"), FileFormat::Xlsx);
    std::string script = path("dump.py");
    std::ofstream(script) << "import sys, openpyxl\n"
                             "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                             "for row in ws.iter_rows(min_row=1, max_row=3):\n"
                             "    print('|'.join(repr(c.value) for c in row))\n"
                             "print(ws['B51'].value)\n";
    std::string cmd = "/usr/bin/python3 " + script + " " + path("mixed.xlsx") + " > " + path("dump.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(path("dump.txt"));
    std::string dump = slurp(path("dump.txt"));
    EXPECT_NE(dump.find("'李四'|234.5|datetime.datetime(2024, 1, 2, 0, 0)|True"), std::string::npos) << dump;
    EXPECT_NE(dump.find("'O\\'Brien, \"Jr\"'|1469|datetime.datetime(2024, 1, 3, 0, 0)|False"), std::string::npos) << dump;
    EXPECT_NE(dump.find("=SUM(B1:B50)"), std::string::npos) << dump;
}

// Files whose parts are prefixed, strict, wrapped or macro-enabled: what the engine writes from
// them reads in openpyxl with as many values as the originals.
TEST_F(Interop, RoundTrippedCorpusFilesOpenInOpenpyxl) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    LORVANE_SKIP_WITHOUT_OPENPYXL();
    const char* files[] = {"tealeg_namespaced.xlsx", "excelize_Book1.xlsx", "poi_WithChartSheet.xlsx",
                           "xlsxwriter_dynamic_array01.xlsx", "sheetjs_metadata_2019.xlsx", "poi_stress002.xlsx",
                           "poi_mv-calculator-final-2-20-2013.xlsm", "poi_49273.xlsx", "calamine_rph.xlsx",
                           "xlsxwriter_escapes01.xlsx", "poi_FillWithoutColor.xlsx"};
    std::string args;
    for (const char* f : files) {
        std::string source = (kCorpus / "xlsx" / f).string();
        std::string copy = path(f);
        writeWorkbookFile(*readWorkbookFile(source), copy, formatForPath(copy));
        args += " " + source + " " + copy;
    }
    std::string script = path("count.py");
    std::ofstream(script) << "import sys, warnings, openpyxl\n"
                             "warnings.simplefilter('ignore')\n"
                             "def count(p):\n"
                             "    wb = openpyxl.load_workbook(p)\n"
                             "    return sum(1 for ws in wb.worksheets for r in ws.iter_rows() for c in r if c.value is not None)\n"
                             "a = sys.argv[1:]\n"
                             "for i in range(0, len(a), 2):\n"
                             "    print(a[i].split('/')[-1], count(a[i]), count(a[i + 1]))\n";
    std::string cmd = "/usr/bin/python3 " + script + args + " > " + path("count.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(path("count.txt"));
    std::istringstream lines(slurp(path("count.txt")));
    std::string name;
    long original = 0, written = 0;
    int checked = 0;
    while (lines >> name >> original >> written) {
        EXPECT_EQ(original, written) << name;
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(std::size(files)));
}

TEST_F(Interop, LegacyWorkbooksOpenThroughLibreOfficeInOneCall) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(kCorpus / "xls")) paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    auto results = readWorkbookFiles(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (results[i].error) ADD_FAILURE() << paths[i] << ": " << results[i].error->description();
        else EXPECT_FALSE(results[i].book->sheets.empty()) << paths[i];
    }
    // A sample compared cell by cell with LibreOffice's own reading of the .xls.
    std::vector<std::string> sample = {(kCorpus / "xls/edr_Test10x10000.xls").string(),
                                       (kCorpus / "xls/poi_chinese-provinces.xls").string(),
                                       (kCorpus / "xls/poi_SampleSS.xls").string(),
                                       (kCorpus / "xls/sheetjs_merge_cells.xls").string()};
    auto csv = convertWithLibreOffice(sample, path("csv"), "csv");
    for (std::size_t k = 0; k < sample.size(); ++k) {
        auto it = std::find(paths.begin(), paths.end(), sample[k]);
        ASSERT_NE(it, paths.end());
        const auto& r = results[static_cast<std::size_t>(it - paths.begin())];
        ASSERT_TRUE(r.book) << sample[k];
        ASSERT_FALSE(csv[k].empty()) << sample[k];
        EXPECT_GT(compareFirstSheet(*r.book, parseCsv(slurp(csv[k])), sample[k]), 0) << sample[k];
    }
}

TEST_F(Interop, SavingAsXlsKeepsTheFormatAndTheValues) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    auto book = mixedBook();
    writeWorkbookFile(*book, path("legacy.xls"), FileFormat::Xls);
    std::string head = slurp(path("legacy.xls")).substr(0, 8);
    EXPECT_EQ(head, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    auto back = readWorkbookFile(path("legacy.xls"));
    const SheetData& s = *back->sheets[0];
    EXPECT_EQ(back->strings.at(s.find(2, 1)->text), "O'Brien, \"Jr\"");
    EXPECT_DOUBLE_EQ(s.find(2, 2)->number, 2 * 1234.5 - 1000);
    EXPECT_EQ(s.find(2, 3)->number, 45294);
    EXPECT_TRUE(back->styles.isDate(s.find(2, 3)->style));
}

TEST(LegacyWithoutLibreOffice, NamesThePackageToInstall) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    ::setenv("LORVANE_SOFFICE", "/nonexistent/soffice", 1);
    try {
        readWorkbookFile((kCorpus / "xls/poi_SampleSS.xls").string());
        ADD_FAILURE() << "opened without LibreOffice";
    } catch (const AutomationError& e) {
        EXPECT_NE(e.description().find("libreoffice-calc-nogui"), std::string::npos) << e.description();
    }
    ::unsetenv("LORVANE_SOFFICE");
}

}  // namespace
