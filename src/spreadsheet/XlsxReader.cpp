// Reading an .xlsx/.xlsm package: locate the parts through the relationships, read the
// workbook, styles, shared strings and sheets into the model, and keep everything else.
#include <atomic>
#include <charconv>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "base/AutomationError.h"
#include "base/NameFolding.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

namespace {

std::atomic<std::uint64_t> gPackageIds{1};

[[noreturn]] void badFile(const std::string& display, const std::string& why) {
    throw AutomationError(errc::kBadFile, "文件“" + display + "”不是有效的工作簿或已损坏：" + why);
}


// The workbook part named by the package root, or by the content types when the root's
// relationships are unreadable.
std::string locateWorkbook(ZipReader& zip, BookPackage& pkg, std::vector<Relationship>& rootRels) {
    if (zip.has("_rels/.rels")) {
        try {
            rootRels = parseRelationships(zip.read("_rels/.rels"), "_rels/.rels");
        } catch (const AutomationError&) {
            pkg.rootRelsBroken = true;
        }
    } else {
        pkg.rootRelsBroken = true;
    }
    if (const Relationship* r = findRelByType(rootRels, "officeDocument"); r && !r->external) {
        std::string part = resolveTarget("", r->target);
        if (zip.has(part)) return part;
    }
    pkg.rootRelsBroken = true;
    for (const auto& [part, type] : pkg.contentTypes.overrides)
        if (type.find(".main+xml") != std::string::npos && type.find("spreadsheetml") != std::string::npos && zip.has(part))
            return part;
    return "xl/workbook.xml";
}

std::string readAll(ZipReader& zip, const std::string& name, const std::string& display) {
    if (!zip.has(name)) badFile(display, "缺少部件“" + name + "”。");
    return zip.read(name);
}

SheetData::Visibility visibilityOf(const char* state) {
    if (!state) return SheetData::Visibility::Visible;
    if (std::strcmp(state, "hidden") == 0) return SheetData::Visibility::Hidden;
    if (std::strcmp(state, "veryHidden") == 0) return SheetData::Visibility::VeryHidden;
    return SheetData::Visibility::Visible;
}

SheetPackage::Kind sheetKindOf(const Relationship& rel) {
    if (relTypeIs(rel.type, "chartsheet")) return SheetPackage::Kind::Chartsheet;
    if (relTypeIs(rel.type, "dialogsheet")) return SheetPackage::Kind::Dialogsheet;
    if (relTypeIs(rel.type, "xlMacrosheet") || relTypeIs(rel.type, "xlIntlMacrosheet")) return SheetPackage::Kind::Macrosheet;
    return SheetPackage::Kind::Worksheet;
}

void readDefinedNames(const XmlNode& wb, BookData& book) {
    const XmlNode* list = wb.child("definedNames");
    if (!list) return;
    for (const XmlNode& n : list->children) {
        if (n.name.empty() || n.local() != "definedName") continue;
        DefinedName dn;
        for (const auto& [k, v] : n.attrs) {
            if (k == "name") dn.name = v;
            else if (k == "localSheetId") std::from_chars(v.data(), v.data() + v.size(), dn.localSheet);
            else if (k == "hidden") dn.hidden = v == "1" || v == "true";
            else {
                dn.extraAttributes += ' ';
                dn.extraAttributes += k;
                dn.extraAttributes += "=\"";
                appendEscapedAttr(dn.extraAttributes, v);
                dn.extraAttributes += '"';
            }
        }
        dn.formula = n.textContent();
        if (!dn.formula.empty() && dn.formula[0] == '=') dn.formula.erase(0, 1);
        if (dn.localSheet >= static_cast<int>(book.sheets.size())) dn.localSheet = -1;
        if (!dn.name.empty()) book.names.push_back(std::move(dn));
    }
}

}  // namespace

std::set<std::string> reachableParts(const std::vector<Relationship>& rootRels, const RelsByPart& relsByPart) {
    std::set<std::string> seen;
    std::deque<std::string> queue;
    auto visit = [&](const std::string& source, const std::vector<Relationship>& rels) {
        for (const Relationship& r : rels) {
            if (r.external) continue;
            std::string part = resolveTarget(source, r.target);
            if (!part.empty() && seen.insert(part).second) queue.push_back(part);
        }
    };
    visit("", rootRels);
    while (!queue.empty()) {
        std::string part = std::move(queue.front());
        queue.pop_front();
        if (auto it = relsByPart.find(part); it != relsByPart.end()) visit(part, it->second);
    }
    return seen;
}

std::unique_ptr<BookData> readXlsxPackage(const std::string& path, const std::string& displayName, FileFormat format,
                                          SheetParsing parsing) {
    ZipReader zip(path, displayName);
    auto book = std::make_unique<BookData>();
    auto pkg = std::make_shared<BookPackage>();
    pkg->id = gPackageIds.fetch_add(1);
    pkg->sourceFormat = format;
    pkg->entryOrder = zip.names();

    if (zip.has("[Content_Types].xml")) {
        pkg->contentTypes = parseContentTypes(zip.read("[Content_Types].xml"));
        pkg->hadContentTypes = true;
    }
    std::vector<Relationship> rootRels;
    pkg->workbookPart = locateWorkbook(zip, *pkg, rootRels);
    if (!zip.has(pkg->workbookPart)) badFile(displayName, "缺少工作簿部件（" + pkg->workbookPart + "）。");
    std::string wbRelsPath = relsPathFor(pkg->workbookPart);
    if (!zip.has(wbRelsPath)) badFile(displayName, "缺少工作簿的关系部件（" + wbRelsPath + "）。");
    pkg->workbookRels = parseRelationships(zip.read(wbRelsPath), wbRelsPath);
    pkg->workbookRoot = parseXmlTree(readAll(zip, pkg->workbookPart, displayName), pkg->workbookPart);
    const XmlNode& wb = pkg->workbookRoot;
    if (wb.local() != "workbook") badFile(displayName, "工作簿部件的内容不是工作簿。");

    if (const XmlNode* pr = wb.child("workbookPr")) book->date1904 = isTrueValue(pr->attr("date1904"));
    if (const XmlNode* views = wb.child("bookViews"))
        if (const XmlNode* v = views->child("workbookView")) book->activeSheet = intAttr(*v, "activeTab", 0);

    // Styles first: cells refer to them, and a date cell of a 1904 workbook is told by its format.
    if (const Relationship* r = findRelByType(pkg->workbookRels, "styles"); r && !r->external) {
        std::string part = resolveTarget(pkg->workbookPart, r->target);
        if (zip.has(part)) {
            readStyles(zip.read(part), part, book->styles, pkg->styles);
            pkg->stylesPart = part;
        }
    }
    // Sheets parsed later need the shared strings after the archive is closed.
    auto shared = std::make_shared<DeferredContext>();
    shared->displayName = displayName;
    shared->cap = zip.limits().perEntry;
    std::vector<std::uint32_t>& sharedStrings = shared->sharedStrings;
    PlainTwins& plainTwins = shared->plainTwins;
    if (const Relationship* r = findRelByType(pkg->workbookRels, "sharedStrings"); r && !r->external) {
        std::string part = resolveTarget(pkg->workbookPart, r->target);
        if (zip.has(part)) {
            sharedStrings = readSharedStrings(zip, part, book->strings, plainTwins);
            pkg->sharedStringsPart = part;
        }
    }

    std::set<std::string> modelled = {"[Content_Types].xml", pkg->workbookPart, wbRelsPath};
    if (!pkg->stylesPart.empty()) modelled.insert(pkg->stylesPart);
    if (!pkg->sharedStringsPart.empty()) modelled.insert(pkg->sharedStringsPart);
    if (pkg->rootRelsBroken) modelled.insert("_rels/.rels");
    // The calculation chain lists formula cells; it goes stale with any edit and the reader rebuilds it.
    if (const Relationship* r = findRelByType(pkg->workbookRels, "calcChain"))
        modelled.insert(resolveTarget(pkg->workbookPart, r->target));

    const XmlNode* sheets = wb.child("sheets");
    std::unordered_set<std::string> names;
    SheetReadContext ctx{*book, sharedStrings, displayName, plainTwins};
    if (sheets) {
        for (const XmlNode& s : sheets->children) {
            if (s.name.empty() || s.local() != "sheet") continue;
            const char* rid = s.attr("id");
            const char* name = s.attr("name");
            const Relationship* rel = rid ? findRelById(pkg->workbookRels, rid) : nullptr;
            if (!name || !*name) badFile(displayName, "有一个工作表没有名称。");
            if (!rel || rel->external) badFile(displayName, "工作表“" + std::string(name) + "”没有对应的部件。");
            if (!names.insert(foldName(name)).second) badFile(displayName, "工作表名称“" + std::string(name) + "”重复。");
            std::string part = resolveTarget(pkg->workbookPart, rel->target);
            if (!zip.has(part)) badFile(displayName, "缺少工作表“" + std::string(name) + "”的部件（" + part + "）。");
            auto sheet = std::make_unique<SheetData>();
            sheet->name = name;
            sheet->visibility = visibilityOf(s.attr("state"));
            auto kept = std::make_shared<SheetPackage>();
            kept->owner = pkg->id;
            kept->kind = sheetKindOf(*rel);
            kept->partName = part;
            kept->relId = rid;
            kept->sheetId = static_cast<unsigned>(std::max(0, intAttr(s, "sheetId", 0)));
            std::string relsPath = relsPathFor(part);
            if (zip.has(relsPath)) {
                kept->relsData = zip.read(relsPath);
                kept->rels = parseRelationships(kept->relsData, relsPath);
                kept->hasRels = true;
                modelled.insert(relsPath);
            }
            modelled.insert(part);
            if (kept->kind != SheetPackage::Kind::Worksheet) {
                kept->rawPart = zip.read(part);
            } else if (parsing == SheetParsing::OnFirstUse) {
                kept->deferred = std::make_shared<DeferredWorksheet>(DeferredWorksheet{zip.readStored(part), shared});
                sheet->parsePending = true;
            } else {
                readWorksheet(zip, part, ctx, *sheet, *kept);
            }
            sheet->package = std::move(kept);
            book->sheets.push_back(std::move(sheet));
        }
    }
    if (book->sheets.empty()) badFile(displayName, "工作簿中没有任何工作表。");
    if (book->activeSheet < 0 || book->activeSheet >= static_cast<int>(book->sheets.size())) book->activeSheet = 0;
    readDefinedNames(wb, *book);

    // Everything else is kept byte for byte.
    for (const std::string& name : zip.names()) {
        if (name.empty() || name.back() == '/' || modelled.count(name)) continue;
        pkg->raw.emplace(name, zip.read(name));
    }
    RelsByPart relsByPart = parseRawRelationships(pkg->raw);
    relsByPart[pkg->workbookPart] = pkg->workbookRels;
    for (const auto& s : book->sheets)
        if (s->package->hasRels) relsByPart[s->package->partName] = s->package->rels;
    if (pkg->rootRelsBroken) {
        rootRels.clear();
        rootRels.push_back({"rId1", std::string(ns::kRelBase) + "officeDocument", pkg->workbookPart, false});
    }
    pkg->reachableAtRead = reachableParts(rootRels, relsByPart);
    pkg->modelledParts = std::move(modelled);
    book->package = std::move(pkg);
    return book;
}

}  // namespace lorvane::sheet
