// Small pieces of the package format whose faults would break whole files: part names,
// string escapes, date literals, number format ids.
#include <gtest/gtest.h>

#include "BookCompare.h"
#include "support/Corpus.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/WorkbookFile.h"

using namespace lorvane::sheet;

namespace {

const std::string kCorpus = lorvane::testing::corpusDir().string();

TEST(PackageParts, RelationshipTargetsResolveToPartNames) {
    struct Case {
        const char* source;
        const char* target;
        const char* part;
    } cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/worksheets/sheet1.xml", "../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
        {"xl/drawings/drawing1.xml", "../media/image%201.png", "xl/media/image 1.png"},
        {"xl/workbook.xml", "/xl/styles.xml", "xl/styles.xml"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"xl/workbook.xml", "./theme/../theme/theme1.xml", "xl/theme/theme1.xml"},
        {"xl/workbook.xml", "../../../../etc/passwd", "etc/passwd"},  // never climbs out of the package
    };
    for (const Case& c : cases) EXPECT_EQ(resolveTarget(c.source, c.target), c.part) << c.source << " + " << c.target;
    EXPECT_EQ(relativeTarget("xl/workbook.xml", "xl/worksheets/sheet9.xml"), "worksheets/sheet9.xml");
    EXPECT_EQ(resolveTarget("xl/workbook.xml", relativeTarget("xl/workbook.xml", "docProps/x.xml")), "docProps/x.xml");
    EXPECT_EQ(relsPathFor("xl/worksheets/sheet1.xml"), "xl/worksheets/_rels/sheet1.xml.rels");
    EXPECT_EQ(relsPathFor(""), "_rels/.rels");
    EXPECT_TRUE(relTypeIs("http://purl.oclc.org/ooxml/officeDocument/relationships/worksheet", "worksheet"));
    EXPECT_FALSE(relTypeIs("http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet", "worksheet"));
}

TEST(PackageParts, StringEscapesSurviveARoundTrip) {
    struct Case {
        const char* written;
        const char* text;
    } cases[] = {
        {"plain", "plain"},
        {"a_x000D_b", "a\rb"},
        {"_x005F_x0041_", "_x0041_"},        // a literal escape-like text
        {"_xD83C__xDF63_", "\xF0\x9F\x8D\xA3"},  // a surrogate pair (U+1F363)
        {"_x0001_", "\x01"},
        {"_x12_ _xZZZZ_", "_x12_ _xZZZZ_"},  // not escapes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeOoxmlEscapes(c.written), c.text) << c.written;
        // Written into an element and read back through the XML parser.
        std::string out = "<t>";
        appendOoxmlEscaped(out, c.text);
        out += "</t>";
        EXPECT_EQ(decodeOoxmlEscapes(parseXmlTree(out, "t").textContent()), c.text) << out;
    }
    std::string out;
    appendOoxmlEscaped(out, "a<b>&c");
    EXPECT_EQ(out, "a&lt;b&gt;&amp;c");
}

TEST(PackageParts, AttributeValuesEscapeMoreThanText) {
    const std::string text = "a&b<c>d\"e\nf\rg\th";
    std::string content;
    appendEscapedText(content, text);
    EXPECT_EQ(content, "a&amp;b&lt;c&gt;d\"e\nf&#13;g\th");
    std::string attr;
    appendEscapedAttr(attr, text);
    EXPECT_EQ(attr, "a&amp;b&lt;c&gt;d&quot;e&#10;f&#13;g&#9;h");
    XmlNode node = parseXmlTree("<r v=\"" + attr + "\">" + content + "</r>", "r");
    EXPECT_EQ(std::string(node.attr("v")), text);
    EXPECT_EQ(node.textContent(), text);
}

TEST(PackageParts, RawRelationshipPartsAreFiledByTheirSourcePart) {
    auto rels = [](const char* target) {
        return writeRelationships({{"rId1", std::string(ns::kRelBase) + "image", target, false}});
    };
    std::unordered_map<std::string, std::string> raw = {
        {"_rels/.rels", rels("xl/workbook.xml")},
        {"xl/drawings/_rels/drawing1.xml.rels", rels("../media/image1.png")},
        {"xl/charts/_rels/chart1.xml.rels", "<Relationships"},  // damaged: left out
        {"xl/media/image1.png", "png"},
        {"xl/_rels/notes.txt", "text"},
    };
    RelsByPart byPart = parseRawRelationships(raw);
    ASSERT_EQ(byPart.size(), 2u);
    EXPECT_EQ(byPart.at("").at(0).target, "xl/workbook.xml");
    EXPECT_EQ(byPart.at("xl/drawings/drawing1.xml").at(0).target, "../media/image1.png");
    EXPECT_EQ(reachableParts(byPart.at(""), byPart), (std::set<std::string>{"xl/workbook.xml"}));
}

TEST(PackageParts, IsoDatesBecomeSerials) {
    struct Case {
        const char* iso;
        double serial;
    } cases[] = {
        {"1900-01-01", 1}, {"1900-02-28", 59}, {"1900-03-01", 61}, {"2024-01-01", 45292},
        {"2024-01-01T12:00:00", 45292.5}, {"1904-01-01", 1462}, {"2024-02-29T06:00", 45351.25},
    };
    for (const Case& c : cases) {
        double serial = 0;
        ASSERT_TRUE(isoDateToSerial(c.iso, serial)) << c.iso;
        EXPECT_DOUBLE_EQ(serial, c.serial) << c.iso;
    }
    double ignored;
    for (const char* bad : {"", "2024", "2024-13-01", "2024-01-01T", "yesterday"}) EXPECT_FALSE(isoDateToSerial(bad, ignored)) << bad;
}

TEST(PackageParts, ErrorLiteralsRoundTrip) {
    for (const char* text : {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#SPILL!", "#CALC!", "#GETTING_DATA"})
        EXPECT_EQ(errorTextFromCode(errorCodeFromText(text)), text);
}

TEST(StylesPart, NumberFormatIdsAreKeptOrAllocated) {
    StyleTable table;
    CellFormat custom;
    custom.numberFormat = "0.000\"吨\"";
    CellFormat builtin;
    builtin.numberFormat = "0.00%";
    table.intern(custom);
    table.intern(builtin);
    std::string xml = writeStyles(table, nullptr);
    EXPECT_NE(xml.find("<numFmt numFmtId=\"164\" formatCode=\"0.000&quot;吨&quot;\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("numFmtId=\"10\""), std::string::npos);  // built-in id, not a new one
    StyleTable back;
    StylesPackage kept;
    readStyles(xml, "styles.xml", back, kept);
    ASSERT_EQ(back.size(), table.size());
    // The look comes back; the written apply* flags may now be set where the engine left them unset.
    for (std::uint32_t i = 0; i < table.size(); ++i) EXPECT_TRUE(compare::sameFormat(back.at(i), table.at(i))) << i;
}

TEST(StylesPart, WrappedListEntriesKeepTheirIndex) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    // Hancell wraps some fonts in mc:AlternateContent; each wrapper is one entry of the list.
    auto book = readWorkbookFile(kCorpus + "/xlsx/poi_style-alternate-content.xlsx");
    const StylesPackage& kept = book->package->styles;
    ASSERT_EQ(kept.fonts.size(), 14u);
    EXPECT_EQ(kept.fonts[8].size, 9.0);
    EXPECT_EQ(kept.fontNodes[8].local(), "AlternateContent");
}

}  // namespace
