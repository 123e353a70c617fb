// Sheet copies and format pastes carry the conditional formats and validations of what they
// copy, and a copied table becomes a table of its own (new name, id, part). The workbook is
// tests/spreadsheet/structure/features.xlsx.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "StructureBookTest.h"
#include "automation/Application.h"
#include "automation/Constants.h"
#include "automation/CreateObject.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/LegacyXls.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/ZipArchive.h"

using namespace lorvane;

namespace {


using Parts = std::map<std::string, std::string>;

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

int occurrences(const std::string& text, const std::string& piece) {
    int n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

class StructureCopy : public lorvane::testing::StructureBookTest {
protected:

    Parts saved(Workbook* wb, const std::string& name) {
        std::string path = (std::filesystem::path(dir.path()) / name).string();
        wb->SaveAs(path, 51);
        sheet::ZipReader zip(path, name);
        Parts parts;
        for (const std::string& n : zip.names()) parts[n] = zip.read(n);
        EXPECT_NO_THROW(sheet::readWorkbookFile(path));
        return parts;
    }

    // The part of the sheet named `sheetName`, through the workbook and its relationships.
    static std::string sheetPart(const Parts& parts, const std::string& sheetName) {
        std::smatch m;
        const std::string& wb = parts.at("xl/workbook.xml");
        std::string quoted;
        for (char c : sheetName) {
            if (std::string_view("()[]{}.*+?^$|\\").find(c) != std::string_view::npos) quoted += '\\';
            quoted += c;
        }
        std::regex sheetRe("<sheet name=\"" + quoted + "\" sheetId=\"[0-9]+\"[^>]* r:id=\"([^\"]+)\"");
        if (!std::regex_search(wb, m, sheetRe)) return "";
        std::string rid = m[1];
        const std::string& rels = parts.at("xl/_rels/workbook.xml.rels");
        std::regex relRe("<Relationship Id=\"" + rid + "\"[^>]* Target=\"([^\"]+)\"");
        if (!std::regex_search(rels, m, relRe)) return "";
        std::string target = m[1];
        if (target.rfind("/", 0) == 0) return target.substr(1);
        return "xl/" + target;
    }

    // Every table part with its sheet, checked for a relationship and a content type each.
    static std::vector<std::string> tableParts(const Parts& parts) {
        std::vector<std::string> tables;
        for (const auto& [name, data] : parts)
            if (name.rfind("xl/tables/", 0) == 0 && name.find("_rels") == std::string::npos) tables.push_back(name);
        for (const std::string& t : tables) {
            EXPECT_TRUE(has(parts.at("[Content_Types].xml"), "/" + t + "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.table+xml\""))
                << t;
            int referenced = 0;
            std::string file = t.substr(t.rfind('/') + 1);
            for (const auto& [name, data] : parts)
                if (name.rfind("xl/worksheets/_rels/", 0) == 0) referenced += occurrences(data, "tables/" + file + "\"");
            EXPECT_EQ(referenced, 1) << t << " is the table of exactly one sheet";
        }
        return tables;
    }
};

std::string attrOf(const std::string& xml, const std::string& attr) {
    std::smatch m;
    std::regex re(" " + attr + "=\"([^\"]*)\"");
    return std::regex_search(xml, m, re) ? std::string(m[1]) : "";
}

TEST_F(StructureCopy, ASheetCopiedWithinTheWorkbookKeepsFormatsValidationsAndItsOwnTable) {
    Worksheet* copy = sheetNamed("数据")->CopyAfter(sheetNamed("汇总"));
    Worksheet* tableCopy = sheetNamed("表格")->CopyBefore(sheetNamed("数据"));
    EXPECT_EQ(copy->Name(), "数据 (2)");
    Parts parts = saved(book, "within.xlsx");
    const std::string& s = parts[sheetPart(parts, "数据 (2)")];
    EXPECT_TRUE(has(s, "sqref=\"C2:C11\"")) << s;
    EXPECT_TRUE(has(s, "sqref=\"A2:A5 D2:D5\""));
    EXPECT_TRUE(has(s, "<formula1>列表!$A$1:$A$3</formula1>"));
    EXPECT_TRUE(has(s, "<dataValidations count=\"3\">"));

    std::vector<std::string> tables = tableParts(parts);
    ASSERT_EQ(tables.size(), 2u);
    std::string a = parts[tables[0]], b = parts[tables[1]];
    EXPECT_NE(attrOf(a, "name"), attrOf(b, "name"));
    EXPECT_NE(attrOf(a, "displayName"), attrOf(b, "displayName"));
    EXPECT_NE(attrOf(a, "id"), attrOf(b, "id"));
    EXPECT_TRUE(has(a + b, "displayName=\"物品表\"")) << "the original keeps its name";
    EXPECT_TRUE(has(a, "ref=\"A1:D6\"") && has(b, "ref=\"A1:D6\""));
    const std::string& ts = parts[sheetPart(parts, tableCopy->Name())];
    EXPECT_TRUE(has(ts, "<tableParts count=\"1\">")) << ts;
}

TEST_F(StructureCopy, ASheetCopiedIntoANewWorkbookKeepsItsFormatsWithTheirLooks) {
    Workbook* fresh = sheetNamed("数据")->Copy();
    Parts parts = saved(fresh, "fresh.xlsx");
    const std::string& s = parts[sheetPart(parts, "数据")];
    EXPECT_TRUE(has(s, "sqref=\"E2:E11\"")) << s;
    EXPECT_TRUE(has(s, "sqref=\"A2:A5 D2:D5\""));
    EXPECT_TRUE(has(s, "<dataValidations count=\"3\">"));
    // Each rule's differential format is in the new workbook's styles.
    const std::string& styles = parts["xl/styles.xml"];
    std::smatch m;
    ASSERT_TRUE(std::regex_search(styles, m, std::regex("<dxfs count=\"([0-9]+)\"")));
    int dxfs = std::stoi(m[1]);
    EXPECT_EQ(occurrences(styles, "<dxf>"), dxfs);
    std::regex dxfId("dxfId=\"([0-9]+)\"");
    int rules = 0;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), dxfId); it != std::sregex_iterator(); ++it, ++rules)
        EXPECT_LT(std::stoi((*it)[1]), dxfs);
    EXPECT_EQ(rules, 2);
    EXPECT_TRUE(has(styles, "FFC7CE")) << styles;

    Workbook* tables = sheetNamed("表格")->Copy();
    Parts tp = saved(tables, "table.xlsx");
    ASSERT_EQ(tableParts(tp).size(), 1u);
    EXPECT_TRUE(has(tp[tableParts(tp)[0]], "ref=\"A1:D6\""));
}

// Copying twice into the same workbook, and again from the copy: every name stays unique.
TEST_F(StructureCopy, RepeatedTableCopiesGetDistinctNames) {
    Worksheet* first = sheetNamed("表格")->CopyAfter(sheetNamed("表格"));
    first->CopyAfter(first);
    sheetNamed("表格")->CopyAfter(first);
    Parts parts = saved(book, "many.xlsx");
    std::vector<std::string> tables = tableParts(parts);
    ASSERT_EQ(tables.size(), 4u);
    std::set<std::string> names, ids;
    for (const std::string& t : tables) {
        names.insert(attrOf(parts[t], "displayName"));
        ids.insert(attrOf(parts[t], "id"));
    }
    EXPECT_EQ(names.size(), 4u);
    EXPECT_EQ(ids.size(), 4u);
    // Saved again, nothing doubles.
    Parts again = saved(book, "many2.xlsx");
    EXPECT_EQ(tableParts(again).size(), 4u);
}

// Table names and defined names share one name space.
TEST_F(StructureCopy, ACopiedTableAvoidsTheNamesOfDefinedNames) {
    sheet::DefinedName taken;
    taken.name = "物品表_2";
    taken.formula = "'数据'!$A$1";
    book->data().names.push_back(taken);
    sheetNamed("表格")->CopyAfter(sheetNamed("表格"));
    Parts parts = saved(book, "names.xlsx");
    std::set<std::string> names;
    for (const std::string& t : tableParts(parts)) names.insert(attrOf(parts[t], "displayName"));
    EXPECT_EQ(names, (std::set<std::string>{"物品表", "物品表_3"}));
}

// A copied table follows column deletes of its copy, the original stays as it was.
TEST_F(StructureCopy, ACopiedTableFollowsEditsOfItsCopy) {
    Worksheet* copy = sheetNamed("表格")->CopyAfter(sheetNamed("表格"));
    copy->Columns(2).Delete();
    Parts parts = saved(book, "edited.xlsx");
    std::vector<std::string> tables = tableParts(parts);
    ASSERT_EQ(tables.size(), 2u);
    int narrowed = 0;
    for (const std::string& t : tables) {
        if (has(parts[t], "ref=\"A1:C6\"")) {
            ++narrowed;
            EXPECT_FALSE(has(parts[t], "名称"));
            EXPECT_TRUE(has(parts[t], "<tableColumns count=\"3\">"));
        } else {
            EXPECT_TRUE(has(parts[t], "ref=\"A1:D6\""));
        }
    }
    EXPECT_EQ(narrowed, 1);
    // Deleting the whole copied table removes only the copy's.
    copy->Rows(1).Resize(6, 1).EntireRow().Delete();
    EXPECT_EQ(tableParts(saved(book, "gone.xlsx")).size(), 1u);
}

// Format pastes (how the extraction and the summaries copy a sheet's looks) carry the formats'
// rules and the validations of the copied cells, into another workbook too.
TEST_F(StructureCopy, PastedFormatsCarryRulesAndValidations) {
    Workbook* target = app->Workbooks().Add();
    Worksheet* ws = target->Worksheets().Item(1);
    sheetNamed("数据")->Cells().Copy();
    ws->GetRange("A1").PasteSpecial(xlPasteFormats);
    Parts parts = saved(target, "pasted.xlsx");
    const std::string& s = parts[sheetPart(parts, ws->Name())];
    EXPECT_TRUE(has(s, "sqref=\"C2:C11\"")) << s;
    EXPECT_TRUE(has(s, "sqref=\"A2:A5 D2:D5\""));
    EXPECT_TRUE(has(s, "<dataValidations count=\"3\">"));
    EXPECT_TRUE(has(parts["xl/styles.xml"], "FFC7CE"));

    // A block pasted elsewhere: only the rules over it, moved with it.
    Worksheet* other = target->Worksheets().Add();
    sheetNamed("数据")->GetRange("C2:D5").Copy();
    other->GetRange("B10").PasteSpecial(xlPasteFormats);
    Parts p2 = saved(target, "block.xlsx");
    const std::string& o = p2[sheetPart(p2, other->Name())];
    EXPECT_TRUE(has(o, "sqref=\"B10:B13\"")) << o;  // the colour scale on C, cut to the block
    EXPECT_TRUE(has(o, "sqref=\"C10:C13\""));       // the D part of the multi-area rule
    EXPECT_FALSE(has(o, "E2"));
    EXPECT_TRUE(has(o, "<dataValidations count=\"1\">"));  // only the whole-number rule on C
    // Pasting the same rules again brings no second copy of their formats.
    sheetNamed("数据")->Cells().Copy();
    target->Worksheets().Add()->GetRange("A1").PasteSpecial(xlPasteFormats);
    EXPECT_EQ(occurrences(saved(target, "again.xlsx")["xl/styles.xml"], "<dxf>"), occurrences(p2["xl/styles.xml"], "<dxf>"));
}

}  // namespace
