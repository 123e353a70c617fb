#include "FuzzTargets.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

// AutomationError and the cell addresses come with the file layer's headers.
#include "spreadsheet/BadFileChecks.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::fuzz {

namespace fs = std::filesystem;
using sheet::BookData;
using sheet::Cell;
using sheet::CellKind;
using sheet::SheetData;

namespace {

// One folder per process for the input file and the saved copy, removed at exit.
class Scratch {
public:
    Scratch() {
        std::error_code ec;
        dir_ = fs::temp_directory_path(ec);
        if (ec) dir_ = "/tmp";
        dir_ /= "lorvane-fuzz-" + std::to_string(::getpid());
        fs::create_directories(dir_);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
};

const Scratch& scratch() {
    static Scratch s;
    return s;
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("fuzz harness: cannot write " + path);
}

std::string cellName(const SheetData& s, int row, int col) {
    return "sheet '" + s.name + "' " + columnLetters(col) + std::to_string(row);
}

std::string valueText(const BookData& book, const Cell& c) {
    switch (c.kind) {
    case CellKind::Blank: return "blank";
    case CellKind::Number: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "number %.17g", c.number);
        return buf;
    }
    case CellKind::Boolean: return c.number != 0 ? "TRUE" : "FALSE";
    case CellKind::Error: return "error #" + std::to_string(c.error);
    case CellKind::Text: return "text '" + book.strings.at(c.text) + "'";
    }
    return "?";
}

// Formats compared field by field; a number that is none (a tint or size of "nan" in a damaged
// file) equals itself.
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool same(const sheet::Color& a, const sheet::Color& b) { return a.kind == b.kind && a.value == b.value && same(a.tint, b.tint); }
bool same(const sheet::BorderEdge& a, const sheet::BorderEdge& b) { return a.style == b.style && same(a.color, b.color); }
// What differs between two cell formats, "" when nothing.
std::string formatDifference(const sheet::CellFormat& a, const sheet::CellFormat& b) {
    if (a.numberFormat != b.numberFormat) return "number format '" + a.numberFormat + "' -> '" + b.numberFormat + "'";
    const sheet::Font &f = a.font, &g = b.font;
    if (f.name != g.name || !same(f.size, g.size) || f.bold != g.bold || f.italic != g.italic || f.strike != g.strike ||
        f.outline != g.outline || f.shadow != g.shadow || f.condense != g.condense || f.extend != g.extend ||
        f.underline != g.underline || f.vertAlign != g.vertAlign || !same(f.color, g.color) || f.family != g.family ||
        f.charset != g.charset || f.scheme != g.scheme)
        return "font '" + f.name + "' -> '" + g.name + "'";
    if (a.fill.pattern != b.fill.pattern || !same(a.fill.fg, b.fill.fg) || !same(a.fill.bg, b.fill.bg) ||
        a.fill.gradientXml != b.fill.gradientXml)
        return "fill '" + a.fill.pattern + "' -> '" + b.fill.pattern + "'";
    const sheet::Border &x = a.border, &y = b.border;
    if (!same(x.left, y.left) || !same(x.right, y.right) || !same(x.top, y.top) || !same(x.bottom, y.bottom) ||
        !same(x.diagonal, y.diagonal) || !same(x.vertical, y.vertical) || !same(x.horizontal, y.horizontal) ||
        x.diagonalUp != y.diagonalUp || x.diagonalDown != y.diagonalDown || x.outline != y.outline)
        return "border";
    if (!(a.alignment == b.alignment)) return "alignment";
    if (!(a.protection == b.protection)) return "protection";
    if (a.quotePrefix != b.quotePrefix) return "quote prefix";
    return "";
}

// The saved copy must hold what was read: the same sheets by name, and in every cell the same
// value, formula and format (compared by what it is: the table is rebuilt on saving).
void checkSameContent(const BookData& read, const BookData& back) {
    if (read.sheets.size() != back.sheets.size())
        throw Finding("saved copy has " + std::to_string(back.sheets.size()) + " sheets, the workbook read had " +
                      std::to_string(read.sheets.size()));
    for (std::size_t i = 0; i < read.sheets.size(); ++i) {
        const SheetData& x = *read.sheets[i];
        const SheetData& y = *back.sheets[i];
        if (x.name != y.name) throw Finding("sheet " + std::to_string(i + 1) + " '" + x.name + "' reads back as '" + y.name + "'");
        if (x.visibility != y.visibility) throw Finding("sheet '" + x.name + "' changes visibility");
        int rows = std::max(x.rowCount(), y.rowCount());
        for (int r = 1; r <= rows; ++r) {
            static const sheet::RowData kNoRow;
            const auto& cx = x.row(r) ? x.row(r)->cells : kNoRow.cells;
            const auto& cy = y.row(r) ? y.row(r)->cells : kNoRow.cells;
            std::size_t ix = 0, iy = 0;
            for (;;) {
                while (ix < cx.size() && !cx[ix].holdsValue()) ++ix;
                while (iy < cy.size() && !cy[iy].holdsValue()) ++iy;
                if (ix == cx.size() && iy == cy.size()) break;
                if (ix == cx.size() || (iy < cy.size() && cy[iy].col < cx[ix].col))
                    throw Finding(cellName(y, r, cy[iy].col) + ": saved copy has " + valueText(back, cy[iy]) + ", the cell read was empty");
                if (iy == cy.size() || cx[ix].col < cy[iy].col)
                    throw Finding(cellName(x, r, cx[ix].col) + ": " + valueText(read, cx[ix]) + " is lost on saving");
                const Cell& a = cx[ix++];
                const Cell& b = cy[iy++];
                // A number that is no number (inf, nan from a damaged file) is saved as an error.
                CellKind expected = a.kind == CellKind::Number && !std::isfinite(a.number) ? CellKind::Error : a.kind;
                bool same = expected == b.kind;
                if (same && expected == a.kind) {
                    switch (a.kind) {
                    case CellKind::Number:
                        // 1904 workbooks shift date serials by 1462 days on reading and back on
                        // writing; that may round in the last place.
                        same = a.number == b.number ||
                               (read.date1904 && std::fabs(a.number - b.number) <= 1e-9 * std::max(1.0, std::fabs(a.number)));
                        break;
                    case CellKind::Boolean: same = (a.number != 0) == (b.number != 0); break;
                    case CellKind::Error: same = a.error == b.error; break;
                    case CellKind::Text: same = read.strings.at(a.text) == back.strings.at(b.text); break;
                    case CellKind::Blank: break;
                    }
                }
                if (!same)
                    throw Finding(cellName(x, r, a.col) + ": " + valueText(read, a) + " reads back as " + valueText(back, b));
                if (std::string d = formatDifference(read.styles.at(a.style), back.styles.at(b.style)); !d.empty())
                    throw Finding(cellName(x, r, a.col) + ": format changes on saving: " + d);
                if ((a.formula != 0) != (b.formula != 0) ||
                    (a.formula && read.formulaText(a.formula) != back.formulaText(b.formula)))
                    throw Finding(cellName(x, r, a.col) + ": formula '" + (a.formula ? read.formulaText(a.formula) : "") +
                                  "' reads back as '" + (b.formula ? back.formulaText(b.formula) : "") + "'");
            }
        }
    }
}

// Reads `path`; saves what it read and checks the copy.
Outcome readWriteReadBack(const std::string& path) {
    std::unique_ptr<BookData> book;
    try {
        book = sheet::readWorkbookFile(path);
    } catch (const AutomationError&) {
        return Outcome::Rejected;
    }
    if (!book) throw Finding("readWorkbookFile returned no workbook and no error");
    const std::string copy = scratch().path("copy.xlsx");
    std::error_code ec;
    fs::remove(copy, ec);
    try {
        sheet::writeWorkbookFile(*book, copy, sheet::FileFormat::Xlsx);
    } catch (const AutomationError& e) {
        throw Finding("a workbook that opened cannot be saved: " + e.description());
    }
    std::unique_ptr<BookData> back;
    try {
        back = sheet::readWorkbookFile(copy);
    } catch (const AutomationError& e) {
        throw Finding("the saved copy does not open: " + e.description());
    }
    checkSameContent(*book, *back);
    return Outcome::RoundTripped;
}

Outcome runWrapped(std::string_view sheetXml, std::string_view stylesXml, std::string_view sharedStringsXml) {
    const std::string path = scratch().path("part.xlsx");
    writeFile(path, buildPackage(sheetXml, stylesXml, sharedStringsXml));
    return readWriteReadBack(path);
}

// Texts of findings reported and not fixed yet, from LORVANE_FUZZ_KNOWN ('|'-separated), so
// that a long run is not spent finding the same fault again.
bool isKnown(const std::string& message) {
    static const std::vector<std::string> known = [] {
        std::vector<std::string> out;
        const char* env = std::getenv("LORVANE_FUZZ_KNOWN");
        std::string_view all = env ? env : "";
        while (!all.empty()) {
            std::size_t bar = all.find('|');
            std::string_view one = all.substr(0, bar);
            if (!one.empty()) out.emplace_back(one);
            all = bar == std::string_view::npos ? std::string_view() : all.substr(bar + 1);
        }
        return out;
    }();
    for (const std::string& k : known)
        if (message.find(k) != std::string::npos) return true;
    return false;
}

int guarded(Outcome (*run)(std::string_view), const std::uint8_t* data, std::size_t size) {
    try {
        run(std::string_view(reinterpret_cast<const char*>(data), size));
        return 0;
    } catch (const Finding& e) {
        if (isKnown(e.what())) return 0;
        std::fprintf(stderr, "\n== lorvane fuzz finding: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "\n== lorvane fuzz finding: unexpected exception: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "\n== lorvane fuzz finding: unexpected exception of unknown type\n");
    }
    std::fflush(stderr);
    std::abort();
}

const std::string_view kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)";

const std::string_view kRootRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";

const std::string_view kWorkbook =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><workbookPr defaultThemeVersion="124226"/><bookViews><workbookView xWindow="240" yWindow="15" windowWidth="16095" windowHeight="9660"/></bookViews><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets><definedNames><definedName name="_xlnm.Print_Area" localSheetId="0">Sheet1!$A$1:$H$4</definedName></definedNames><calcPr calcId="124519"/></workbook>)";

const std::string_view kWorkbookRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";

}  // namespace

// A sheet that uses what the other parts offer: shared strings 0-9, cell formats 0-9 on
// numbers (dates among them), row and column formats, formulas, an inline string, a merge.
const std::string_view kSheetXml =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1:J4"/><sheetViews><sheetView tabSelected="1" workbookViewId="0"><selection activeCell="B2" sqref="B2"/></sheetView></sheetViews><sheetFormatPr defaultRowHeight="15"/><cols><col min="1" max="2" width="12.7109375" style="1" customWidth="1"/></cols><sheetData><row r="1" spans="1:10"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c><c r="D1" t="s"><v>3</v></c><c r="E1" t="s"><v>4</v></c><c r="F1" t="s"><v>5</v></c><c r="G1" t="s"><v>6</v></c><c r="H1" t="s"><v>7</v></c><c r="I1" t="s"><v>8</v></c><c r="J1" t="s"><v>9</v></c></row><row r="2" spans="1:10"><c r="A2" s="0"><v>45000.5</v></c><c r="B2" s="1"><v>45000.5</v></c><c r="C2" s="2"><v>-1234.5678</v></c><c r="D2" s="3"><v>0.25</v></c><c r="E2" s="4"><v>1</v></c><c r="F2" s="5"><v>60</v></c><c r="G2" s="6"><v>1E+300</v></c><c r="H2" s="7"><v>42</v></c><c r="I2" s="8"><v>3.14159</v></c><c r="J2" s="9"><v>7</v></c></row><row r="3" s="2" customFormat="1" ht="30" customHeight="1"><c r="A3" t="b" s="3"><v>1</v></c><c r="B3" t="e"><v>#N/A</v></c><c r="C3" s="4"><f>B2+1</f><v>45001.5</v></c><c r="D3" t="str"><f>A1&amp;"x"</f><v>Ax</v></c><c r="E3" t="inlineStr" s="5"><is><t>inline</t></is></c><c r="F3"><f t="shared" ref="F3:F4" si="0">A2*2</f><v>90001</v></c></row><row r="4"><c r="F4"><f t="shared" si="0"/><v>0</v></c><c r="G4" s="6"/></row></sheetData><mergeCells count="1"><mergeCell ref="H3:I4"/></mergeCells><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>)";

const std::string_view kStylesXml =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><numFmts count="3"><numFmt numFmtId="164" formatCode="yyyy\-mm\-dd"/><numFmt numFmtId="165" formatCode="&quot;¥&quot;#,##0.00;[Red]\-&quot;¥&quot;#,##0.00"/><numFmt numFmtId="166" formatCode="[h]:mm:ss"/></numFmts><fonts count="3"><font><sz val="11"/><color theme="1"/><name val="Calibri"/><family val="2"/><scheme val="minor"/></font><font><b/><i/><u val="double"/><sz val="14"/><color rgb="FFFF0000"/><name val="宋体"/><charset val="134"/></font><font><strike/><vertAlign val="superscript"/><sz val="9"/><color indexed="12"/><name val="Arial"/></font></fonts><fills count="4"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill><fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/><bgColor indexed="64"/></patternFill></fill><fill><gradientFill degree="90"><stop position="0"><color theme="0"/></stop><stop position="1"><color theme="4" tint="-0.249977111117893"/></stop></gradientFill></fill></fills><borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border><border diagonalUp="1"><left style="thin"><color indexed="64"/></left><right style="medium"><color auto="1"/></right><top style="dashed"/><bottom style="double"><color rgb="FF0000FF"/></bottom><diagonal style="hair"/></border></borders><cellStyleXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/><xf numFmtId="0" fontId="1" fillId="2" borderId="1" applyFont="1"/></cellStyleXfs><cellXfs count="10"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="165" fontId="1" fillId="2" borderId="1" xfId="1" applyNumberFormat="1" applyFont="1" applyFill="1" applyBorder="1"/><xf numFmtId="10" fontId="2" fillId="3" borderId="0" xfId="0" applyAlignment="1"><alignment horizontal="center" vertical="top" wrapText="1" textRotation="45"/></xf><xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyProtection="1"><protection locked="0" hidden="1"/></xf><xf numFmtId="166" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="22" fontId="1" fillId="0" borderId="0" xfId="0"><alignment indent="2" shrinkToFit="1" readingOrder="2"/></xf><xf numFmtId="4" fontId="0" fillId="2" borderId="1" xfId="0" quotePrefix="1"/><xf numFmtId="0" fontId="2" fillId="1" borderId="0" xfId="1"/></cellXfs><cellStyles count="2"><cellStyle name="Normal" xfId="0" builtinId="0"/><cellStyle name="Accent" xfId="1"/></cellStyles><dxfs count="1"><dxf><font><b/><color rgb="FF9C0006"/></font><fill><patternFill><bgColor rgb="FFFFC7CE"/></patternFill></fill></dxf></dxfs><tableStyles count="0" defaultTableStyle="TableStyleMedium9" defaultPivotStyle="PivotStyleLight16"/><colors><indexedColors><rgbColor rgb="00000000"/><rgbColor rgb="00FFFFFF"/></indexedColors></colors></styleSheet>)";

const std::string_view kSharedStringsXml =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="10" uniqueCount="10"><si><t>名称</t></si><si><t xml:space="preserve"> padded </t></si><si><r><rPr><b/><sz val="11"/><color rgb="FFFF0000"/><rFont val="Calibri"/><family val="2"/></rPr><t>rich</t></r><r><t xml:space="preserve"> text</t></r></si><si><t>line_x000D_
break</t></si><si><t>_x005F_x0041_</t></si><si><t/></si><si><t>Ax</t></si><si><t>数量</t><rPh sb="0" eb="2"><t>スウリョウ</t></rPh><phoneticPr fontId="1"/></si><si><t>&lt;tag&gt; &amp; "quotes"</t></si><si><t>rich</t></si></sst>)";

std::string buildPackage(std::string_view sheetXml, std::string_view stylesXml, std::string_view sharedStringsXml) {
    sheet::ZipWriter zip;
    zip.add("[Content_Types].xml", kContentTypes);
    zip.add("_rels/.rels", kRootRels);
    zip.add("xl/workbook.xml", kWorkbook);
    zip.add("xl/_rels/workbook.xml.rels", kWorkbookRels);
    zip.add("xl/worksheets/sheet1.xml", sheetXml);
    zip.add("xl/styles.xml", stylesXml);
    zip.add("xl/sharedStrings.xml", sharedStringsXml);
    return zip.finish();
}

Outcome runPackage(std::string_view bytes) {
    const std::string path = scratch().path("input.xlsx");
    writeFile(path, bytes);
    // Compound files and bare BIFF streams are converted by LibreOffice before the engine sees
    // them; starting it for every input would fuzz LibreOffice, slowly.
    sheet::FileKind kind = sheet::FileKind::Unknown;
    try {
        kind = sheet::sniffFile(path, "input.xlsx");
    } catch (const AutomationError&) {
        return Outcome::Rejected;
    }
    if (kind == sheet::FileKind::Compound || kind == sheet::FileKind::BareBiff) return Outcome::Skipped;
    return readWriteReadBack(path);
}

Outcome runSheetXml(std::string_view xml) { return runWrapped(xml, kStylesXml, kSharedStringsXml); }
Outcome runStylesXml(std::string_view xml) { return runWrapped(kSheetXml, xml, kSharedStringsXml); }
Outcome runSharedStringsXml(std::string_view xml) { return runWrapped(kSheetXml, kStylesXml, xml); }

int fuzzPackage(const std::uint8_t* data, std::size_t size) { return guarded(runPackage, data, size); }
int fuzzSheetXml(const std::uint8_t* data, std::size_t size) { return guarded(runSheetXml, data, size); }
int fuzzStylesXml(const std::uint8_t* data, std::size_t size) { return guarded(runStylesXml, data, size); }
int fuzzSharedStringsXml(const std::uint8_t* data, std::size_t size) { return guarded(runSharedStringsXml, data, size); }

}  // namespace lorvane::fuzz
