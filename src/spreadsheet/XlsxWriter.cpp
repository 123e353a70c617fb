// Writing an .xlsx/.xlsm package: the modelled parts generated, every other part copied as it
// was read, and the package kept consistent where sheets were added, copied or deleted.
#include <algorithm>
#include <charconv>
#include <functional>
#include <unordered_set>

#include "base/AutomationError.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/ParallelFor.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

namespace {

constexpr std::string_view kCtChartsheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml";

bool isSheetRel(const Relationship& r) {
    return relTypeIs(r.type, "worksheet") || relTypeIs(r.type, "chartsheet") || relTypeIs(r.type, "dialogsheet") ||
           relTypeIs(r.type, "xlMacrosheet") || relTypeIs(r.type, "xlIntlMacrosheet");
}

// Where each sheet goes in the package being written.
struct SheetPlan {
    const SheetData* sheet = nullptr;
    const SheetPackage* kept = nullptr;  // its package, when it can be written as read
    bool own = false;                    // read from this workbook's package, part and relationships reusable
    bool raw = false;                    // a chartsheet or other sheet kept whole
    std::string part, relId, relType;
    unsigned sheetId = 0;
    std::vector<Relationship> rels;             // relationships written for it
    std::vector<std::string> droppedRelIds;     // relationships of the original that did not come along
};

std::string nextFree(const std::string& prefix, const std::string& suffix, int& counter,
                     const std::function<bool(const std::string&)>& taken) {
    for (;;) {
        std::string candidate = prefix + std::to_string(counter++) + suffix;
        if (!taken(candidate)) return candidate;
    }
}

// Workbook children in the schema's order; -1 for elements that may stand anywhere.
int workbookRank(std::string_view l) {
    static constexpr std::string_view kOrder[] = {
        "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets", "functionGroups",
        "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews", "pivotCaches",
        "smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"};
    for (std::size_t i = 0; i < std::size(kOrder); ++i)
        if (kOrder[i] == l) return static_cast<int>(i);
    return -1;
}

void insertByRank(std::vector<XmlNode>& children, XmlNode node) {
    int rank = workbookRank(node.local());
    auto at = children.end();
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (it->name.empty()) continue;
        int r = workbookRank(it->local());
        if (r > rank) {
            at = it;
            break;
        }
    }
    children.insert(at, std::move(node));
}

XmlNode element(std::string name) {
    XmlNode n;
    n.name = std::move(name);
    return n;
}

std::string textOf(int v) { return std::to_string(v); }

std::string workbookXml(const BookData& book, const std::vector<SheetPlan>& plans, bool recalc) {
    XmlNode root;
    if (book.package) {
        root = book.package->workbookRoot;
    } else {
        root.name = "workbook";
        root.attrs.emplace_back("xmlns", std::string(ns::kMain));
        root.attrs.emplace_back("xmlns:r", std::string(ns::kRel));
    }
    adoptDefaultNamespace(root);
    std::string r = relationshipPrefix(root);
    auto& kids = root.children;
    auto find = [&](std::string_view l) -> XmlNode* {
        for (XmlNode& c : kids)
            if (!c.name.empty() && c.local() == l) return &c;
        return nullptr;
    };

    XmlNode* pr = find("workbookPr");
    if (book.date1904) {
        if (!pr) {
            insertByRank(kids, element("workbookPr"));
            pr = find("workbookPr");
        }
        pr->removeAttr("date1904");
        pr->attrs.emplace_back("date1904", "1");
    } else if (pr) {
        pr->removeAttr("date1904");
    }

    int active = std::clamp(book.activeSheet, 0, static_cast<int>(plans.size()) - 1);
    XmlNode* views = find("bookViews");
    if (!views) {
        XmlNode v = element("bookViews");
        v.children.push_back(element("workbookView"));
        insertByRank(kids, std::move(v));
        views = find("bookViews");
    }
    if (XmlNode* view = views->child("workbookView")) {
        view->removeAttr("activeTab");
        if (active) view->setAttr("activeTab", textOf(active));
        if (const char* first = view->attr("firstSheet"); first && std::atoi(first) >= static_cast<int>(plans.size()))
            view->removeAttr("firstSheet");
    }

    XmlNode sheets = element("sheets");
    for (const SheetPlan& p : plans) {
        XmlNode s = element("sheet");
        s.attrs.emplace_back("name", p.sheet->name);
        s.attrs.emplace_back("sheetId", std::to_string(p.sheetId));
        if (p.sheet->visibility == SheetData::Visibility::Hidden) s.attrs.emplace_back("state", "hidden");
        else if (p.sheet->visibility == SheetData::Visibility::VeryHidden) s.attrs.emplace_back("state", "veryHidden");
        s.attrs.emplace_back(r + ":id", p.relId);
        sheets.children.push_back(std::move(s));
    }
    if (XmlNode* old = find("sheets")) *old = std::move(sheets);
    else insertByRank(kids, std::move(sheets));

    std::erase_if(kids, [](const XmlNode& c) { return !c.name.empty() && c.local() == "definedNames"; });
    XmlNode names = element("definedNames");
    for (const DefinedName& dn : book.names) {
        if (dn.localSheet >= static_cast<int>(plans.size())) continue;  // its sheet is gone
        // Attributes as read, the modelled ones first; extraAttributes holds the rest verbatim.
        XmlNode n = element("definedName");
        n.attrs.emplace_back("name", dn.name);
        if (dn.localSheet >= 0) n.attrs.emplace_back("localSheetId", std::to_string(dn.localSheet));
        if (dn.hidden) n.attrs.emplace_back("hidden", "1");
        if (!dn.extraAttributes.empty()) {
            // Parse the kept attribute text back into pairs through the XML reader.
            XmlNode parsed = parseXmlTree("<x" + dn.extraAttributes + "/>", "workbook.xml");
            for (auto& kv : parsed.attrs) n.attrs.push_back(std::move(kv));
        }
        XmlNode text;
        text.text = dn.formula;
        n.children.push_back(std::move(text));
        names.children.push_back(std::move(n));
    }
    if (!names.children.empty()) insertByRank(kids, std::move(names));

    if (recalc) {
        XmlNode* calc = find("calcPr");
        if (!calc) {
            insertByRank(kids, element("calcPr"));
            calc = find("calcPr");
        }
        calc->setAttr("fullCalcOnLoad", "1");
    }
    // Workbook-level relationships that no longer exist (calculation chain) have no element to fix.
    std::string out(kXmlDeclaration);
    writeXmlNode(out, root);
    return out;
}

std::string defaultContentTypesXmlType(FileFormat f, const BookPackage* pkg) {
    if (f == FileFormat::Xlsm) return std::string(ns::kCtWorkbookMacro);
    if (pkg) {
        std::string t = pkg->contentTypes.typeOf(pkg->workbookPart);
        // An .xlsm saved as .xlsx loses its macros: the content type must say so too.
        if (!t.empty() && !(pkg->sourceFormat == FileFormat::Xlsm && t == ns::kCtWorkbookMacro)) return t;
    }
    return std::string(ns::kCtWorkbook);
}

}  // namespace

std::string buildXlsxPackage(const BookData& book, FileFormat format) {
    std::string bytes;
    writeXlsxPackage(book, format, [&](std::string_view piece) { bytes.append(piece); });
    return bytes;
}

void writeXlsxPackage(const BookData& book, FileFormat format, const std::function<void(std::string_view)>& sink) {
    if (book.sheets.empty()) throw AutomationError(errc::kMethodFailed, "工作簿中至少要有一个工作表才能保存。");
    // The shared strings are written anew, so no sheet goes out as the bytes it came in.
    ensureAllSheetsParsed(book);
    const BookPackage* pkg = book.package.get();
    const std::string workbookPart = pkg ? pkg->workbookPart : "xl/workbook.xml";
    const bool dropMacros = format == FileFormat::Xlsx && pkg && pkg->sourceFormat == FileFormat::Xlsm;

    // Names already in use, so that new parts and relationship ids never collide.
    std::unordered_set<std::string> usedParts;
    std::unordered_set<std::string> usedRelIds;
    unsigned maxSheetId = 0;
    if (pkg) {
        for (const std::string& e : pkg->entryOrder) usedParts.insert(e);
        for (const Relationship& rel : pkg->workbookRels) usedRelIds.insert(rel.id);
    }
    for (const auto& s : book.sheets)
        if (s->package) maxSheetId = std::max(maxSheetId, s->package->sheetId);

    std::vector<SheetPlan> plans;
    std::unordered_set<std::string> claimedParts;
    std::unordered_set<unsigned> claimedIds;
    int partCounter = 1, relCounter = 1, tableCounter = 1;
    std::vector<std::pair<std::string, const std::string*>> carriedParts;  // tables of copies, by new part name
    for (const auto& s : book.sheets) {
        SheetPlan p;
        p.sheet = s.get();
        const SheetPackage* kp = s->package.get();
        p.kept = kp;
        // Reused as read only once: a second sheet holding the same package is written as a copy.
        p.own = kp && pkg && kp->owner == pkg->id && !kp->partName.empty() && claimedParts.insert(kp->partName).second;
        p.raw = p.own && kp->kind != SheetPackage::Kind::Worksheet;
        if (p.own) {
            p.part = kp->partName;
            p.relId = kp->relId;
            p.sheetId = kp->sheetId && claimedIds.insert(kp->sheetId).second ? kp->sheetId : 0;
            p.rels = kp->rels;
            if (const Relationship* rel = findRelById(pkg->workbookRels, kp->relId)) p.relType = rel->type;
        } else {
            p.part = nextFree("xl/worksheets/sheet", ".xml", partCounter,
                              [&](const std::string& n) { return usedParts.count(n) > 0; });
            usedParts.insert(p.part);
            p.relId = nextFree("rId", "", relCounter, [&](const std::string& n) { return usedRelIds.count(n) > 0; });
            usedRelIds.insert(p.relId);
            if (kp) {
                // A copy keeps its links to the outside world, not the parts it pointed at.
                for (const Relationship& rel : kp->rels) {
                    if (rel.external) {
                        p.rels.push_back(rel);
                    } else if (auto table = kp->carriedTables.find(rel.id); table != kp->carriedTables.end()) {
                        // Its own tables: new parts under the relationship ids its tableParts name.
                        std::string part = nextFree("xl/tables/table", ".xml", tableCounter,
                                                    [&](const std::string& n) { return usedParts.count(n) > 0; });
                        usedParts.insert(part);
                        p.rels.push_back({rel.id, rel.type, relativeTarget(p.part, part), false});
                        carriedParts.emplace_back(part, &table->second);
                    } else {
                        p.droppedRelIds.push_back(rel.id);
                    }
                }
            }
        }
        if (p.relType.empty()) p.relType = std::string(ns::kRelBase) + "worksheet";
        plans.push_back(std::move(p));
    }
    for (SheetPlan& p : plans)
        if (p.sheetId == 0) p.sheetId = ++maxSheetId;

    // Workbook relationships: those read, less the sheets and the calculation chain, plus the sheets now.
    std::vector<Relationship> wbRels;
    std::unordered_set<std::string> planRelIds;
    for (const SheetPlan& p : plans) planRelIds.insert(p.relId);
    std::string stylesPart = pkg && !pkg->stylesPart.empty() ? pkg->stylesPart : "";
    std::string sstPart = pkg && !pkg->sharedStringsPart.empty() ? pkg->sharedStringsPart : "";
    if (pkg) {
        for (const Relationship& rel : pkg->workbookRels) {
            if (isSheetRel(rel) || relTypeIs(rel.type, "calcChain")) continue;
            if (dropMacros && relTypeIs(rel.type, "vbaProject")) continue;
            if (planRelIds.count(rel.id)) continue;  // the id now names a sheet
            wbRels.push_back(rel);
        }
    }
    for (const SheetPlan& p : plans) wbRels.push_back({p.relId, p.relType, relativeTarget(workbookPart, p.part), false});
    auto addWorkbookRel = [&](const char* type, const std::string& part) {
        std::string id = nextFree("rId", "", relCounter, [&](const std::string& n) { return usedRelIds.count(n) > 0; });
        usedRelIds.insert(id);
        wbRels.push_back({id, std::string(ns::kRelBase) + type, relativeTarget(workbookPart, part), false});
    };
    if (stylesPart.empty()) {
        stylesPart = "xl/styles.xml";
        addWorkbookRel("styles", stylesPart);
    }
    if (sstPart.empty()) {
        sstPart = "xl/sharedStrings.xml";
        addWorkbookRel("sharedStrings", sstPart);
    }

    // Generated parts. The sheets and the shared strings, the big ones, are written and
    // deflated side by side on the machine's cores, largest first.
    std::map<std::string, std::string> generated;
    std::map<std::string, DeflatedPart> deflated;
    std::vector<std::size_t> sheetsToWrite;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const SheetPlan& p = plans[i];
        if (p.raw) generated[p.part] = p.kept->rawPart;
        else sheetsToWrite.push_back(i);
        if (p.own && p.kept->hasRels) generated[relsPathFor(p.part)] = p.kept->relsData;
        else if (!p.rels.empty()) generated[relsPathFor(p.part)] = writeRelationships(p.rels);
    }
    for (const auto& [part, xml] : carriedParts) generated[part] = *xml;
    std::vector<std::size_t> cellsIn(plans.size(), 0);
    std::size_t cells = 0;
    for (std::size_t i : sheetsToWrite) cells += cellsIn[i] = plans[i].sheet->cellCount();
    std::stable_sort(sheetsToWrite.begin(), sheetsToWrite.end(),
                     [&](std::size_t a, std::size_t b) { return cellsIn[a] > cellsIn[b]; });
    const int active = std::clamp(book.activeSheet, 0, static_cast<int>(plans.size()) - 1);
    std::vector<DeflatedPart> sheetParts(sheetsToWrite.size());
    std::vector<char> staleIn(sheetsToWrite.size(), 0);
    DeflatedPart sharedStrings;
    // A small workbook is written sooner than a thread starts.
    const unsigned threads = cells < 100000 ? 1 : 0;
    parallelFor(sheetsToWrite.size() + 1, [&](std::size_t k) {
        if (k == sheetsToWrite.size()) {
            PartDeflater deflater;
            writeSharedStrings([&](std::string_view piece) { deflater.write(piece); }, book.strings);
            sharedStrings = deflater.finish();
            return;
        }
        std::size_t i = sheetsToWrite[k];
        const SheetPlan& p = plans[i];
        PartDeflater deflater;
        bool stale = false;
        writeWorksheet([&](std::string_view piece) { deflater.write(piece); }, book, *p.sheet, p.kept,
                       static_cast<int>(i) == active, &p.droppedRelIds, &stale);
        sheetParts[k] = deflater.finish();
        staleIn[k] = stale;
    }, threads);
    // A formula written without its cached value needs the reader to calculate, flag or not.
    bool recalc = book.needsRecalc;
    for (std::size_t k = 0; k < sheetsToWrite.size(); ++k) {
        deflated[plans[sheetsToWrite[k]].part] = std::move(sheetParts[k]);
        recalc = recalc || staleIn[k];
    }
    deflated[sstPart] = std::move(sharedStrings);
    generated[workbookPart] = workbookXml(book, plans, recalc);
    generated[relsPathFor(workbookPart)] = writeRelationships(wbRels);
    generated[stylesPart] = writeStyles(book.styles, pkg ? &pkg->styles : nullptr, &book.addedDxfs);

    std::vector<Relationship> rootRels;
    bool regenerateRoot = !pkg || pkg->rootRelsBroken || !pkg->raw.count("_rels/.rels");
    if (regenerateRoot) {
        rootRels.push_back({"rId1", std::string(ns::kRelBase) + "officeDocument", workbookPart, false});
        if (pkg && pkg->raw.count("docProps/core.xml"))
            rootRels.push_back({"rId2", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
                                "docProps/core.xml", false});
        if (pkg && pkg->raw.count("docProps/app.xml"))
            rootRels.push_back({"rId3", std::string(ns::kRelBase) + "extended-properties", "docProps/app.xml", false});
        generated["_rels/.rels"] = writeRelationships(rootRels);
    } else {
        rootRels = parseRelationships(pkg->raw.at("_rels/.rels"), "_rels/.rels");
        // A digital signature covers the workbook and sheet parts, which are written anew: it
        // would no longer verify, so it goes (as when an office program saves a signed file).
        auto signature = [](const Relationship& r) { return relTypeIs(r.type, "origin") && r.type.find("digital-signature") != std::string::npos; };
        if (std::any_of(rootRels.begin(), rootRels.end(), signature)) {
            std::erase_if(rootRels, signature);
            generated["_rels/.rels"] = writeRelationships(rootRels);
        }
    }

    // Parts that hung only from what is gone (a deleted sheet's drawing, the macros of an
    // .xlsm saved as .xlsx) go too; parts nothing ever pointed at stay.
    std::set<std::string> dropped;
    if (pkg) {
        RelsByPart relsByPart = parseRawRelationships(pkg->raw);
        relsByPart[workbookPart] = wbRels;
        for (const SheetPlan& p : plans) relsByPart[p.part] = p.rels;
        std::set<std::string> reachable = reachableParts(rootRels, relsByPart);
        for (const std::string& part : pkg->reachableAtRead)
            if (!reachable.count(part) && !generated.count(part) && !deflated.count(part)) {
                dropped.insert(part);
                dropped.insert(relsPathFor(part));
            }
    }

    // Content types.
    ContentTypes ct;
    if (pkg && pkg->hadContentTypes) ct = pkg->contentTypes;
    auto hasDefault = [&](std::string_view ext) {
        for (const auto& [e, t] : ct.defaults)
            if (e == ext) return true;
        return false;
    };
    if (!hasDefault("rels")) ct.defaults.emplace_back("rels", std::string(ns::kCtRels));
    if (!hasDefault("xml")) ct.defaults.emplace_back("xml", "application/xml");
    std::set<std::string> written;
    for (const auto& [name, data] : generated) written.insert(name);
    for (const auto& [name, data] : deflated) written.insert(name);
    if (pkg)
        for (const auto& [name, data] : pkg->raw)
            if (!dropped.count(name) && !written.count(name)) written.insert(name);
    std::erase_if(ct.overrides, [&](const auto& o) { return !written.count(o.first); });
    ct.setOverride(workbookPart, defaultContentTypesXmlType(format, pkg));
    for (const SheetPlan& p : plans) {
        std::string type = p.raw ? pkg->contentTypes.typeOf(p.part) : std::string(ns::kCtWorksheet);
        if (type.empty()) type = p.kept && p.kept->kind == SheetPackage::Kind::Chartsheet ? std::string(kCtChartsheet) : std::string(ns::kCtWorksheet);
        ct.setOverride(p.part, type);
    }
    for (const auto& [part, xml] : carriedParts) ct.setOverride(part, std::string(ns::kCtTable));
    ct.setOverride(stylesPart, std::string(ns::kCtStyles));
    ct.setOverride(sstPart, std::string(ns::kCtSharedStrings));
    if (pkg && !pkg->hadContentTypes) {
        // A package read without content types: name what the defaults do not cover.
        for (const auto& [name, data] : pkg->raw)
            if (name == "docProps/core.xml") ct.setOverride(name, "application/vnd.openxmlformats-package.core-properties+xml");
            else if (name == "docProps/app.xml") ct.setOverride(name, "application/vnd.openxmlformats-officedocument.extended-properties+xml");
    }

    // The archive, in the order the parts were read; new parts after them.
    ZipWriter zip;
    zip.add("[Content_Types].xml", writeContentTypes(ct));
    std::set<std::string> done = {"[Content_Types].xml"};
    auto emit = [&](const std::string& name) {
        if (done.count(name) || !written.count(name)) return;
        done.insert(name);
        if (auto it = deflated.find(name); it != deflated.end()) {
            zip.add(name, std::move(it->second));
        } else if (auto it = generated.find(name); it != generated.end()) {
            zip.add(name, it->second);
        } else {
            zip.add(name, pkg->raw.at(name));
        }
    };
    if (pkg)
        for (const std::string& name : pkg->entryOrder) emit(name);
    emit("_rels/.rels");
    emit(workbookPart);
    emit(relsPathFor(workbookPart));
    for (const auto& [name, data] : generated) emit(name);
    for (const auto& [name, data] : deflated) emit(name);
    zip.finish(sink);
}

}  // namespace lorvane::sheet
