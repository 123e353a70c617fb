#pragma once
// What the file layer keeps of a workbook package beside the engine's model: every part the
// engine does not model, the unmodelled parts of the parts it does, and the identities (part
// names, relationship ids, sheet ids) that keep a saved file consistent with the one read.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "spreadsheet/Style.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/XmlReader.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

// Receives generated XML piece by piece, in order.
using XmlSink = std::function<void(std::string_view)>;

struct Relationship {
    std::string id, type, target;
    bool external = false;
};

std::vector<Relationship> parseRelationships(std::string_view xml, const std::string& partName);
// Relationships by the part they belong to.
using RelsByPart = std::map<std::string, std::vector<Relationship>>;
// The relationships of every "_rels/*.rels" entry among `raw`; a damaged one is left out.
RelsByPart parseRawRelationships(const std::unordered_map<std::string, std::string>& raw);
std::string writeRelationships(const std::vector<Relationship>& rels);
// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" -> "_rels/.rels".
std::string relsPathFor(const std::string& part);
// The part a relationship of `sourcePart` points at ("../media/a.png" from "xl/drawings/d.xml" -> "xl/media/a.png").
std::string resolveTarget(const std::string& sourcePart, const std::string& target);
// The target text for `targetPart` as seen from `sourcePart`.
std::string relativeTarget(const std::string& sourcePart, const std::string& targetPart);
// Relationship types are compared by their last segment, so strict and transitional namespaces both match.
bool relTypeIs(std::string_view type, std::string_view last);
const Relationship* findRelById(const std::vector<Relationship>& rels, std::string_view id);
const Relationship* findRelByType(const std::vector<Relationship>& rels, std::string_view last);

struct ContentTypes {
    std::vector<std::pair<std::string, std::string>> defaults;   // extension, content type
    std::vector<std::pair<std::string, std::string>> overrides;  // part name without "/", content type
    std::string typeOf(std::string_view part) const;
    void setOverride(const std::string& part, const std::string& type);
    void removeOverride(std::string_view part);
};
ContentTypes parseContentTypes(std::string_view xml);
std::string writeContentTypes(const ContentTypes& ct);

// styles.xml as read: the tree with every element kept, and the lists the cell formats index.
struct StylesPackage {
    bool present = false;
    XmlNode root;
    std::vector<XmlNode> fontNodes, fillNodes, borderNodes, xfNodes;
    std::vector<Font> fonts;
    std::vector<Fill> fills;
    std::vector<Border> borders;
    std::vector<CellFormat> xfFormats;         // cellXfs as read, by index
    std::map<int, std::string> numFmts;        // id -> code as written in numFmts
    std::map<std::string, int> numFmtIdByCode; // code -> id used when read (custom and built-in)
};

struct BookPackage {
    std::uint64_t id = 0;  // identity a sheet's package refers to
    FileFormat sourceFormat = FileFormat::Xlsx;
    std::vector<std::string> entryOrder;                 // zip entries in the order read
    std::unordered_map<std::string, std::string> raw;    // entries kept byte for byte
    bool hadContentTypes = false;
    ContentTypes contentTypes;
    bool rootRelsBroken = false;
    std::string workbookPart;
    XmlNode workbookRoot;
    std::vector<Relationship> workbookRels;
    std::string sharedStringsPart, stylesPart;
    StylesPackage styles;
    std::set<std::string> reachableAtRead;  // parts reachable through relationships when read
    std::set<std::string> modelledParts;     // parts regenerated on writing (never copied raw)
};

// Attributes of a cell the engine does not model (dynamic-array and rich-value markers, the
// <f> attributes of array and data-table formulas), valid while the cell keeps its formula.
struct CellExtra {
    std::uint32_t formula = 0;
    std::string cellAttrs;     // e.g. ` cm="1"`
    std::string formulaAttrs;  // e.g. ` t="array" ref="A1:A3"`
};

struct SheetPackage {
    enum class Kind : std::uint8_t { Worksheet, Chartsheet, Dialogsheet, Macrosheet };
    std::uint64_t owner = 0;     // BookPackage::id of the workbook it was read into; 0 = a copy
    Kind kind = Kind::Worksheet;
    std::string partName;        // empty for a copy: gets a new part on writing
    std::string relId;
    unsigned sheetId = 0;
    std::string rawPart;         // the whole part of a sheet that is not a worksheet
    bool hasRels = false;
    std::string relsData;        // the sheet's relationships part as read
    std::vector<Relationship> rels;
    std::string rootName = "worksheet";
    std::vector<std::pair<std::string, std::string>> rootAttrs;
    std::vector<XmlNode> elements;  // top-level elements the engine does not model, in order
    // Each element's place among the worksheet's children: twice its schema position, or one more
    // than twice the position of the element before it for extension wrappers (mc:AlternateContent).
    std::vector<int> elementRanks;
    std::unordered_map<std::uint64_t, CellExtra> cellExtras;
    // The tables of a copy (owner 0), by the relationship id its tableParts name: each is written
    // as a new table part of the workbook the copy is saved in.
    std::map<std::string, std::string> carriedTables;
    // Values as read, to tell whether the engine changed them.
    double readDefaultRowHeight = 0;
    int readActiveRow = 1, readActiveColumn = 1;
    // A worksheet not parsed yet: its part as stored and what reading it needs.
    std::shared_ptr<struct DeferredWorksheet> deferred;
};

inline std::uint64_t cellKey(int row, int col) { return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(col); }

// Namespaces and content types used when parts are generated.
namespace ns {
constexpr std::string_view kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::string_view kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kPkgRel = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kRelBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kCtWorksheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr std::string_view kCtSharedStrings = "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr std::string_view kCtStyles = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr std::string_view kCtWorkbook = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr std::string_view kCtWorkbookMacro = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
constexpr std::string_view kCtTable = "application/vnd.openxmlformats-officedocument.spreadsheetml.table+xml";
constexpr std::string_view kCtRels = "application/vnd.openxmlformats-package.relationships+xml";
}  // namespace ns

// Parts of the file layer, one source file each.
class StringPool;
class StyleTable;
struct BookData;
class SheetData;

void readStyles(std::string_view xml, const std::string& partName, StyleTable& table, StylesPackage& kept);
// `addedDxfs`: differential formats (each a whole <dxf> element) appended after those read.
std::string writeStyles(const StyleTable& table, const StylesPackage* kept, const std::vector<std::string>* addedDxfs = nullptr);

// Streams sharedStrings.xml into the pool; returns pool indices by shared-string index.
std::vector<std::uint32_t> readSharedStrings(class ZipReader& zip, const std::string& partName, StringPool& pool,
                                             std::unordered_map<std::uint32_t, std::uint32_t>& plainTwins);
// Writes the pool as sharedStrings.xml into `sink` in pieces of about a megabyte.
void writeSharedStrings(const XmlSink& sink, const StringPool& pool);

struct SheetReadContext {
    BookData& book;
    const std::vector<std::uint32_t>& sharedStrings;
    std::string displayName;
    std::unordered_map<std::uint32_t, std::uint32_t>& plainTwins;
};
void readWorksheet(ZipReader& zip, const std::string& partName, SheetReadContext& ctx, SheetData& sheet, SheetPackage& kept);
// The same from any source that feeds the part's bytes to a sink.
using XmlChunkSink = std::function<void(const char*, std::size_t)>;
using XmlChunkSource = std::function<void(const XmlChunkSink&)>;
void readWorksheetFrom(const XmlChunkSource& source, const std::string& partName, SheetReadContext& ctx, SheetData& sheet,
                       SheetPackage& kept);

// What the worksheets of one workbook left for later need when they are read: the shared
// strings as read, and the file's name for messages.
struct DeferredContext {
    std::vector<std::uint32_t> sharedStrings;
    std::unordered_map<std::uint32_t, std::uint32_t> plainTwins;
    std::string displayName;
    std::uint64_t cap = 0;  // inflated size one part may have
};
struct DeferredWorksheet {
    StoredEntry part;
    std::shared_ptr<DeferredContext> context;
};
// Position of a worksheet child element in the schema's sequence; -1 for one that may stand anywhere.
int worksheetChildRank(std::string_view local);
// Writes the sheet XML into `sink` in pieces of about a megabyte; `kept` may be null (a sheet
// made in memory). `tabSelected` marks the active tab; `wroteStale` tells whether a formula
// went out without its (stale) cached value. Reads `book` and `sheet` only, so sheets of one
// book may be written on several threads at once.
void writeWorksheet(const XmlSink& sink, const BookData& book, const SheetData& sheet, const SheetPackage* kept,
                    bool tabSelected, const std::vector<std::string>* droppedRelIds, bool* wroteStale = nullptr);

// Error literals, including the newer ones (#SPILL!, #CALC!) that the object model has no name for.
std::uint16_t errorCodeFromText(std::string_view text);
std::string_view errorTextFromCode(std::uint16_t code);

// Serial day number of an ISO 8601 date-time ("2024-05-01T12:00:00"); false when it is none.
bool isoDateToSerial(std::string_view text, double& serial);

}  // namespace lorvane::sheet

namespace lorvane::sheet {

// A generated element is written without a prefix; a part whose root uses a prefix (x:worksheet)
// and declares no default namespace gets the prefix's namespace as its default.
inline void adoptDefaultNamespace(XmlNode& root) {
    if (root.attr("xmlns") && std::string_view(root.name).find(':') == std::string_view::npos) return;
    for (const auto& [k, v] : root.attrs)
        if (k == "xmlns") return;
    auto colon = root.name.find(':');
    if (colon == std::string::npos) {
        root.attrs.emplace_back("xmlns", std::string(ns::kMain));
        return;
    }
    std::string prefixAttr = "xmlns:" + root.name.substr(0, colon);
    for (const auto& [k, v] : root.attrs)
        if (k == prefixAttr) {
            std::string value = v;
            root.attrs.emplace_back("xmlns", value);
            return;
        }
    root.attrs.emplace_back("xmlns", std::string(ns::kMain));
}

// The prefix bound to the relationships namespace on a root element ("r"), adding one when missing.
inline std::string relationshipPrefix(XmlNode& root) {
    for (const auto& [k, v] : root.attrs)
        if (k.rfind("xmlns:", 0) == 0 && v.size() >= 14 && v.compare(v.size() - 14, 14, "/relationships") == 0)
            return k.substr(6);
    root.attrs.emplace_back("xmlns:r", std::string(ns::kRel));
    return "r";
}

// Plain text of a string item (<si>, <is>): its <t> texts and runs, phonetic runs left out;
// `runsXml` holds the item's inner XML when it is more than one plain <t>.
struct RichText {
    std::string plain;
    bool rich = false;
    std::string runsXml;
};
RichText richTextFromNode(const XmlNode& item);
// Plain texts that equal a rich text: rich index -> index of its plain twin.
using PlainTwins = std::unordered_map<std::uint32_t, std::uint32_t>;
std::uint32_t internRichText(StringPool& pool, const XmlNode& item, PlainTwins& twins);
// A plain text as written (with "_xHHHH_" escapes); never one that carries runs.
std::uint32_t internPlainText(StringPool& pool, std::string_view raw, PlainTwins& twins);

}  // namespace lorvane::sheet

namespace lorvane::sheet {

// Parts reachable from the package root through relationships; `relsByPart` holds the
// relationships of the parts that have some.
std::set<std::string> reachableParts(const std::vector<Relationship>& rootRels, const RelsByPart& relsByPart);

// Reads an .xlsx/.xlsm package. `displayName` names the file in messages (the .xls a
// converted package came from).
std::unique_ptr<BookData> readXlsxPackage(const std::string& path, const std::string& displayName, FileFormat format,
                                          SheetParsing parsing = SheetParsing::AllNow);
// Builds the package of a workbook and hands its bytes to `sink` in order.
void writeXlsxPackage(const BookData& book, FileFormat format, const std::function<void(std::string_view)>& sink);
std::string buildXlsxPackage(const BookData& book, FileFormat format);

}  // namespace lorvane::sheet
