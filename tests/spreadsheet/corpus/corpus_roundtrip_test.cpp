// Every workbook of the corpus opens, and saved again unchanged reads back the same, with every
// part the engine does not model kept byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "../BookCompare.h"
#include "base/AutomationError.h"
#include "support/Corpus.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/ZipArchive.h"

namespace fs = std::filesystem;
using namespace lorvane;
using namespace lorvane::sheet;

namespace {


// Parts that are deliberately not written back, and why.
const std::map<std::string, std::string> kDroppedOnSave = {
    {"xl/calcChain.xml", "the calculation chain lists formula cells and goes stale with any edit; readers rebuild it"},
    {"_xmlsignatures/origin.sigs", "a digital signature no longer verifies once the workbook parts are rewritten"},
    {"_xmlsignatures/sig1.xml", "(the signature itself)"},
    {"_xmlsignatures/_rels/origin.sigs.rels", "(the signature's relationships)"},
};

// Unmodelled parts of particular files that are written changed, and why ("file:part").
const std::map<std::string, std::string> kRewritten = {
    {"poi_hello-world-signed.xlsx:_rels/.rels", "loses the relationship to the dropped signature"},
};

std::string nameOf(const ::testing::TestParamInfo<fs::path>& info) {
    std::string s = info.param.filename().string();
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

class CorpusRoundTrip : public ::testing::TestWithParam<fs::path> {};

TEST_P(CorpusRoundTrip, SavedUnchangedReadsBackTheSame) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    const fs::path& source = GetParam();
    std::unique_ptr<BookData> original;
    try {
        original = readWorkbookFile(source.string());
    } catch (const AutomationError& e) {
        FAIL() << "does not open: " << e.description();
    }
    fs::path out = fs::temp_directory_path() / ("lorvane-rt-" + std::to_string(::getpid()) + source.extension().string());
    writeWorkbookFile(*original, out.string(), formatForPath(source.string()));
    auto again = readWorkbookFile(out.string());
    for (const std::string& d : lorvane::sheet::compare::bookDifferences(*original, *again)) ADD_FAILURE() << d;

    // Unmodelled parts: the same bytes under the same names; every part read is written unless
    // it is one of the few dropped on purpose.
    ZipReader written(out.string(), "written");
    std::set<std::string> names(written.names().begin(), written.names().end());
    for (const auto& [name, bytes] : original->package->raw) {
        if (kDroppedOnSave.count(name)) continue;
        if (!names.count(name)) {
            ADD_FAILURE() << "part dropped: " << name;
            continue;
        }
        if (written.read(name) != bytes && !kRewritten.count(source.filename().string() + ":" + name))
            ADD_FAILURE() << "part changed: " << name;
    }
    for (const std::string& name : original->package->entryOrder)
        if (!names.count(name) && !kDroppedOnSave.count(name) && name.back() != '/') ADD_FAILURE() << "part missing: " << name;
    // Strict readers refuse a worksheet whose elements are out of the schema's order.
    for (const auto& sheet : again->sheets) {
        if (!isWorksheet(*sheet)) continue;
        XmlNode root = parseXmlTree(written.read(sheet->package->partName), sheet->package->partName);
        int last = -1;
        for (const XmlNode& child : root.children) {
            if (child.name.empty()) continue;
            int rank = worksheetChildRank(child.local());
            if (rank < 0) continue;
            EXPECT_GE(rank, last) << sheet->name << ": <" << child.name << "> out of order";
            last = std::max(last, rank);
        }
    }
    // Sheets not modelled by the engine (chartsheets) are kept whole too.
    ZipReader read(source.string(), "source");
    for (const auto& s : original->sheets)
        if (!isWorksheet(*s)) EXPECT_EQ(written.read(s->package->partName), read.read(s->package->partName));
    fs::remove(out);
}

INSTANTIATE_TEST_SUITE_P(Xlsx, CorpusRoundTrip, ::testing::ValuesIn(lorvane::testing::corpusFilesIn("xlsx")), nameOf);

class BadCorpus : public ::testing::TestWithParam<fs::path> {};

// A bad file opens with its values or fails with a Chinese description; nothing else escapes.
TEST_P(BadCorpus, OpensOrFailsWithAChineseMessage) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    const fs::path& source = GetParam();
    try {
        auto book = readWorkbookFile(source.string());
        ASSERT_FALSE(book->sheets.empty());
        fs::path out = fs::temp_directory_path() / ("lorvane-bad-" + std::to_string(::getpid()) + ".xlsx");
        writeWorkbookFile(*book, out.string(), FileFormat::Xlsx);
        auto again = readWorkbookFile(out.string());
        for (const std::string& d : lorvane::sheet::compare::bookDifferences(*book, *again)) ADD_FAILURE() << d;
        fs::remove(out);
    } catch (const AutomationError& e) {
        EXPECT_FALSE(e.description().empty());
        // Chinese text: UTF-8 lead bytes of CJK characters.
        EXPECT_NE(e.description().find("\xE6"), std::string::npos) << e.description();
        EXPECT_NE(e.description().find(source.filename().string()), std::string::npos) << e.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Bad, BadCorpus, ::testing::ValuesIn(lorvane::testing::corpusFilesIn("bad")), nameOf);

}  // namespace
