// Reading sheet XML: MB/s of the tokenizer alone (no-op handlers; the worksheet scanner and
// expat) and of readWorksheet into the model, on a generated 100,000 x 20 sheet of mixed cells
// written as office programs write it (shared strings, styles, some formulas).
//
//   sheet_xml_bench [ROWS] [scanner|read]     (one measurement only, e.g. for perf)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/SheetXmlScanner.h"
#include "spreadsheet/XmlReader.h"
#include "spreadsheet/ZipArchive.h"

namespace fs = std::filesystem;
using namespace lorvane::sheet;

namespace {

constexpr int kColumns = 20;
constexpr int kStrings = 500;

std::string columnName(int c) {
    std::string s;
    for (++c; c > 0; c = (c - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
    return s;
}

std::string makeSheet(int rows) {
    std::mt19937 rng(20240501);
    std::string x(kXmlDeclaration);
    x += "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<dimension ref=\"A1:T" + std::to_string(rows) + "\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
         "<sheetFormatPr defaultRowHeight=\"13.5\"/><sheetData>";
    char num[64];
    for (int r = 1; r <= rows; ++r) {
        std::string row = std::to_string(r);
        x += "<row r=\"" + row + "\" spans=\"1:20\">";
        for (int c = 0; c < kColumns; ++c) {
            std::string ref = columnName(c) + row;
            switch (c % 5) {
            case 0:  // integers
                x += "<c r=\"" + ref + "\"><v>" + std::to_string(rng() % 100000) + "</v></c>";
                break;
            case 1:  // shared strings
                x += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(rng() % kStrings) + "</v></c>";
                break;
            case 2:  // amounts, styled
                std::snprintf(num, sizeof num, "%.2f", (rng() % 10000000) / 100.0);
                x += "<c r=\"" + ref + "\" s=\"1\"><v>" + num + "</v></c>";
                break;
            case 3:  // dates, styled
                x += "<c r=\"" + ref + "\" s=\"2\"><v>" + std::to_string(43000 + rng() % 1500) + "</v></c>";
                break;
            default:  // a formula now and then, else a fraction
                std::snprintf(num, sizeof num, "%.15g", (rng() % 1000000) / 7.0);
                if (c == 19) x += "<c r=\"" + ref + "\"><f>A" + row + "*2</f><v>" + num + "</v></c>";
                else x += "<c r=\"" + ref + "\"><v>" + num + "</v></c>";
            }
        }
        x += "</row>";
    }
    x += "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>";
    return x;
}

template <typename Parser>
class NoOp : public Parser {
public:
    NoOp() : Parser("xl/worksheets/sheet1.xml") {}
    std::size_t events = 0;

protected:
    void onStart(const char*, const char**) override { ++events; }
    void onEnd(const char*) override { ++events; }
    void onText(const char*, int) override { ++events; }
};

// Best of a few runs, in seconds.
template <typename F>
double best(F&& run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto t = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
    }
    return best;
}

template <typename Parser>
double tokenize(const std::string& xml) {
    constexpr std::size_t kChunk = 64u << 10;  // about what inflating hands over
    return best([&] {
        NoOp<Parser> p;
        for (std::size_t at = 0; at < xml.size(); at += kChunk) p.feed(xml.data() + at, std::min(kChunk, xml.size() - at));
        p.finish();
        if (p.events == 0) std::abort();
    });
}

}  // namespace

int main(int argc, char** argv) {
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string xml = makeSheet(rows);
    double mb = static_cast<double>(xml.size()) / 1e6;
    std::printf("sheet XML: %d rows x %d columns, %.1f MB\n", rows, kColumns, mb);

    std::string only = argc > 2 ? argv[2] : "";
    if (only.empty()) {
        double expat = tokenize<XmlStream>(xml);
        std::printf("tokenize, no-op handlers:  expat %.0f MB/s\n", mb / expat);
    }
    if (only.empty() || only == "scanner") {
        double scanner = tokenize<XmlScanner>(xml);
        std::printf("tokenize, no-op handlers:  scanner %.0f MB/s\n", mb / scanner);
    }
    if (only == "scanner") return 0;

    std::string path = (fs::temp_directory_path() / "lorvane-sheet-xml-bench.xlsx").string();
    {
        ZipWriter w;
        w.add("xl/worksheets/sheet1.xml", xml);
        std::ofstream(path, std::ios::binary) << w.finish();
    }
    ZipReader zip(path, path);
    double inflate = best([&] { zip.stream("xl/worksheets/sheet1.xml", [](const char*, std::size_t) {}); });
    std::size_t cells = 0;
    double read = best([&] {
        BookData book;
        CellFormat amount, date;
        amount.numberFormat = "#,##0.00";
        date.numberFormat = "yyyy-mm-dd";
        book.styles.append(amount);
        book.styles.append(date);
        std::vector<std::uint32_t> strings;
        for (int i = 0; i < kStrings; ++i) strings.push_back(book.strings.intern("文字 " + std::to_string(i)));
        PlainTwins twins;
        SheetReadContext ctx{book, strings, "bench.xlsx", twins};
        SheetData sheet;
        SheetPackage kept;
        readWorksheet(zip, "xl/worksheets/sheet1.xml", ctx, sheet, kept);
        cells = sheet.cellCount();
    });
    fs::remove(path);
    std::printf("readWorksheet into the model (%zu cells): %.0f MB/s with inflating, %.0f MB/s without (inflating alone %.0f MB/s)\n",
                cells, mb / read, mb / (read - inflate), mb / inflate);
    return 0;
}
