// Workbooks read as the inputs of a run: worksheets parsed on first use, stored parts
// inflated later, and the files of a folder read ahead on several threads.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include "BookCompare.h"
#include "base/AutomationError.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/WorkbookPrefetch.h"
#include "spreadsheet/ZipArchive.h"
#include "support/Corpus.h"
#include "support/ScratchDir.h"

namespace fs = std::filesystem;
using namespace lorvane;
using namespace lorvane::sheet;

namespace {

class DeferredReading : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    // A workbook of two sheets with shared strings; the second sheet's part is `second`.
    void makeBook(const std::string& p, const std::string& second) {
        const std::vector<std::pair<std::string, std::string>> entries = {
            {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
            {"_rels/.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
             "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet2.xml\"/>"
             "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
             "</Relationships>"},
            {"xl/workbook.xml",
             "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
             "<sheets><sheet name=\"统计\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"明细\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>"},
            {"xl/sharedStrings.xml",
             "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>部门</t></si><si><t>金额</t></si></sst>"},
            {"xl/worksheets/sheet1.xml",
             "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
             "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>12.5</v></c></row></sheetData></worksheet>"},
            {"xl/worksheets/sheet2.xml", second},
        };
        int err = 0;
        zip_t* z = zip_open(p.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        ASSERT_TRUE(z);
        for (const auto& [name, data] : entries) {
            zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
            zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8);
        }
        ASSERT_EQ(zip_close(z), 0);
    }

    static std::string bigSheet(int rows) {
        std::string xml = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
        for (int r = 1; r <= rows; ++r)
            xml += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\" t=\"s\"><v>1</v></c><c r=\"B" +
                   std::to_string(r) + "\"><f>B1+" + std::to_string(r) + "</f><v>" + std::to_string(r) + "</v></c></row>";
        return xml + "</sheetData></worksheet>";
    }

    lorvane::testing::ScratchDir scratch_{"lorvane-deferred"};
};

TEST_F(DeferredReading, SheetsParsedOnFirstUseMatchTheWorkbookReadAtOnce) {
    makeBook(path("a.xlsx"), bigSheet(20000));
    auto eager = readWorkbookFile(path("a.xlsx"));
    auto lazy = readWorkbookFile(path("a.xlsx"), SheetParsing::OnFirstUse);
    ASSERT_EQ(lazy->sheets.size(), 2u);
    EXPECT_TRUE(lazy->sheets[0]->parsePending);
    EXPECT_TRUE(lazy->sheets[1]->parsePending);
    EXPECT_EQ(lazy->sheets[1]->name, "明细");
    ensureSheetParsed(*lazy, *lazy->sheets[1]);  // the second sheet first: shared strings are the book's
    EXPECT_FALSE(lazy->sheets[1]->parsePending);
    EXPECT_TRUE(lazy->sheets[0]->parsePending);
    ensureAllSheetsParsed(*lazy);
    EXPECT_EQ(compare::bookDifferences(*eager, *lazy), std::vector<std::string>{});
}

TEST_F(DeferredReading, SavingAWorkbookWithUnparsedSheetsKeepsThemWhole) {
    makeBook(path("a.xlsx"), bigSheet(300));
    auto lazy = readWorkbookFile(path("a.xlsx"), SheetParsing::OnFirstUse);
    ensureSheetParsed(*lazy, *lazy->sheets[0]);
    writeWorkbookFile(*lazy, path("b.xlsx"), FileFormat::Xlsx);
    auto back = readWorkbookFile(path("b.xlsx"));
    auto eager = readWorkbookFile(path("a.xlsx"));
    EXPECT_EQ(compare::bookDifferences(*eager, *back), std::vector<std::string>{});
}

TEST_F(DeferredReading, ADamagedSheetNobodyUsesDoesNotStopTheInputAndFailsOnUseNamingTheFile) {
    makeBook(path("坏.xlsx"), "<worksheet><sheetData><row></sheetData>");
    EXPECT_THROW(readWorkbookFile(path("坏.xlsx")), AutomationError);
    auto lazy = readWorkbookFile(path("坏.xlsx"), SheetParsing::OnFirstUse);
    ensureSheetParsed(*lazy, *lazy->sheets[0]);
    EXPECT_TRUE(lazy->sheets[0]->find(1, 2));
    for (int attempt = 0; attempt < 2; ++attempt) {  // nothing half-read is left behind
        try {
            ensureSheetParsed(*lazy, *lazy->sheets[1]);
            FAIL() << "a damaged sheet was read";
        } catch (const AutomationError& e) {
            EXPECT_NE(e.description().find("坏.xlsx"), std::string::npos) << e.description();
        }
        EXPECT_TRUE(lazy->sheets[1]->parsePending);
        EXPECT_EQ(lazy->sheets[1]->cellCount(), 0u);
    }
}

TEST_F(DeferredReading, AStoredPartWithAWrongChecksumIsRefused) {
    makeBook(path("a.xlsx"), bigSheet(2000));
    ZipReader zip(path("a.xlsx"), "a.xlsx");
    StoredEntry part = zip.readStored("xl/worksheets/sheet2.xml");
    ASSERT_TRUE(part.deflated);
    std::string whole;
    inflateStoredEntry(part, 1u << 30, "sheet2", "a.xlsx", [&](const char* p, std::size_t n) { whole.append(p, n); });
    EXPECT_EQ(whole, bigSheet(2000));
    StoredEntry wrongCrc = part;
    wrongCrc.crc ^= 1;
    EXPECT_THROW(inflateStoredEntry(wrongCrc, 1u << 30, "sheet2", "a.xlsx", [](const char*, std::size_t) {}), AutomationError);
    StoredEntry cut = part;
    cut.bytes.resize(cut.bytes.size() / 2);
    EXPECT_THROW(streamStoredEntry(cut, 1u << 30, "sheet2", "a.xlsx", [](const char*, std::size_t) {}), AutomationError);
    EXPECT_THROW(inflateStoredEntry(part, 1000, "sheet2", "a.xlsx", [](const char*, std::size_t) {}), AutomationError);
}

TEST_F(DeferredReading, PrefetchHandsBooksOverInOrderWithTheirErrors) {
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i) {
        paths.push_back(path("b" + std::to_string(i) + ".xlsx"));
        if (i == 4) {
            std::ofstream(paths.back()) << "not a workbook";
        } else {
            makeBook(paths.back(), bigSheet(10 + i));
        }
    }
    {
        WorkbookPrefetch ahead(paths, SheetParsing::OnFirstUse, 0, 2, 2);
        EXPECT_EQ(ahead.take(path("other.xlsx")), nullptr);
        for (int i = 0; i < 9; ++i) {
            if (i == 6) continue;  // one passed over: the next still comes
            if (i == 4) {
                EXPECT_THROW(ahead.take(paths[4]), AutomationError);
                continue;
            }
            auto book = ahead.take(paths[static_cast<std::size_t>(i)]);
            ASSERT_TRUE(book);
            ensureAllSheetsParsed(*book);
            EXPECT_EQ(book->sheets[1]->rowCount(), 10 + i);
        }
        EXPECT_EQ(ahead.take(paths[0]), nullptr);  // taken already
    }
    // The run's sheet is parsed on the reading threads, the others are left; a damaged one is left
    // for the run to meet, with the error naming the file.
    makeBook(paths[4], "<worksheet><sheetData><row r=\"1\"></sheetData></worksheet>");
    {
        WorkbookPrefetch ahead(paths, SheetParsing::OnFirstUse, 2, 2, 2);
        auto book = ahead.take(paths[0]);
        ASSERT_TRUE(book);
        EXPECT_TRUE(book->sheets[0]->parsePending);
        EXPECT_FALSE(book->sheets[1]->parsePending);
        EXPECT_EQ(book->sheets[1]->rowCount(), 10);
        auto damaged = ahead.take(paths[4]);
        ASSERT_TRUE(damaged);
        EXPECT_TRUE(damaged->sheets[1]->parsePending);
        try {
            ensureSheetParsed(*damaged, *damaged->sheets[1]);
            ADD_FAILURE() << "a damaged sheet parsed";
        } catch (const AutomationError& e) {
            EXPECT_NE(e.description().find("b4.xlsx"), std::string::npos) << e.description();
        }
    }
    // Stopped part-way, it waits for its threads and lets go of what it read.
    WorkbookPrefetch early(paths, SheetParsing::AllNow, 0, 2, 1);
    EXPECT_TRUE(early.take(paths[0]));
}

}  // namespace
