// styles.xml: the cell formats the engine models (number formats, fonts, fills, borders,
// alignment, protection) and, kept as they were, the named styles, differential formats,
// table styles, palette and extensions.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>

#include "base/AutomationError.h"
#include "spreadsheet/Package.h"

namespace lorvane::sheet {

namespace {

// A boolean child like <b/> or <b val="0"/>.
bool flagElement(const XmlNode& n) {
    const char* v = n.attr("val");
    return !v || isTrueValue(v);
}

Color readColor(const XmlNode& n) {
    Color c;
    if (const char* rgb = n.attr("rgb")) {
        std::uint32_t v = 0;
        std::size_t len = std::strlen(rgb);
        std::from_chars(rgb, rgb + len, v, 16);
        if (len <= 6) v |= 0xFF000000u;
        c.kind = Color::Kind::Rgb;
        c.value = v;
    } else if (const char* t = n.attr("theme")) {
        c.kind = Color::Kind::Theme;
        std::from_chars(t, t + std::strlen(t), c.value);
    } else if (const char* ix = n.attr("indexed")) {
        c.kind = Color::Kind::Indexed;
        std::from_chars(ix, ix + std::strlen(ix), c.value);
    } else if (isTrueValue(n.attr("auto"))) {
        c.kind = Color::Kind::Auto;
    }
    c.tint = doubleAttr(n, "tint", 0.0);
    return c;
}

Font readFont(const XmlNode& node) {
    Font f;
    f.name.clear();
    f.size = 0;
    for (const XmlNode& c : node.children) {
        if (c.name.empty()) continue;
        std::string_view l = c.local();
        if (l == "b") f.bold = flagElement(c);
        else if (l == "i") f.italic = flagElement(c);
        else if (l == "strike") f.strike = flagElement(c);
        else if (l == "outline") f.outline = flagElement(c);
        else if (l == "shadow") f.shadow = flagElement(c);
        else if (l == "condense") f.condense = flagElement(c);
        else if (l == "extend") f.extend = flagElement(c);
        else if (l == "u") { const char* v = c.attr("val"); f.underline = v ? v : "single"; if (f.underline == "none") f.underline.clear(); }
        else if (l == "vertAlign") f.vertAlign = strAttr(c, "val");
        else if (l == "sz") f.size = doubleAttr(c, "val", 11.0);
        else if (l == "color") f.color = readColor(c);
        else if (l == "name" || l == "rFont") f.name = strAttr(c, "val");
        else if (l == "family") f.family = intAttr(c, "val", 0);
        else if (l == "charset") f.charset = intAttr(c, "val", -1);
        else if (l == "scheme") f.scheme = strAttr(c, "val");
    }
    return f;
}

Fill readFill(const XmlNode& node) {
    Fill f;
    for (const XmlNode& c : node.children) {
        if (c.name.empty()) continue;
        if (c.local() == "patternFill") {
            const char* p = c.attr("patternType");
            f.pattern = p ? p : "none";
            if (const XmlNode* fg = c.child("fgColor")) f.fg = readColor(*fg);
            if (const XmlNode* bg = c.child("bgColor")) f.bg = readColor(*bg);
        } else if (c.local() == "gradientFill") {
            f.pattern = "none";
            writeXmlNode(f.gradientXml, c);
        }
    }
    return f;
}

BorderEdge readEdge(const XmlNode& n) {
    BorderEdge e;
    e.style = strAttr(n, "style");
    if (e.style == "none") e.style.clear();
    if (const XmlNode* c = n.child("color")) e.color = readColor(*c);
    return e;
}

Border readBorder(const XmlNode& node) {
    Border b;
    b.diagonalUp = isTrueValue(node.attr("diagonalUp"));
    b.diagonalDown = isTrueValue(node.attr("diagonalDown"));
    b.outline = isTrueValue(node.attr("outline"));
    for (const XmlNode& c : node.children) {
        if (c.name.empty()) continue;
        std::string_view l = c.local();
        if (l == "left" || l == "start") b.left = readEdge(c);
        else if (l == "right" || l == "end") b.right = readEdge(c);
        else if (l == "top") b.top = readEdge(c);
        else if (l == "bottom") b.bottom = readEdge(c);
        else if (l == "diagonal") b.diagonal = readEdge(c);
        else if (l == "vertical") b.vertical = readEdge(c);
        else if (l == "horizontal") b.horizontal = readEdge(c);
    }
    return b;
}

// The locale-dependent built-in formats have no code in the file; these are their usual codes.
std::string impliedBuiltinFormat(int id) {
    switch (id) {
    case 5: return "\"¥\"#,##0;\"¥\"\\-#,##0";
    case 6: return "\"¥\"#,##0;[Red]\"¥\"\\-#,##0";
    case 7: return "\"¥\"#,##0.00;\"¥\"\\-#,##0.00";
    case 8: return "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00";
    case 41: return "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42: return "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43: return "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44: return "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    default: return "General";
    }
}

std::string numberFormatFor(int id, const StylesPackage& kept) {
    if (auto it = kept.numFmts.find(id); it != kept.numFmts.end()) return it->second;
    std::string code = builtinNumberFormat(id);
    return code.empty() ? impliedBuiltinFormat(id) : code;
}

// The items of a list (fonts, fills, borders, xfs). An mc:AlternateContent wrapper counts as one
// item: the item is read from its Fallback (or first Choice), the wrapper is written back whole.
struct ListItem {
    const XmlNode* written;  // what is kept for writing back
    const XmlNode* model;    // what the model reads
};

const XmlNode* alternateItem(const XmlNode& wrapper, std::string_view itemName) {
    const XmlNode* fallback = wrapper.child("Fallback");
    for (const XmlNode* branch : {fallback, wrapper.child("Choice")}) {
        if (!branch) continue;
        if (const XmlNode* item = branch->child(itemName)) return item;
    }
    return nullptr;
}

std::vector<ListItem> listEntries(const XmlNode* list, std::string_view itemName) {
    std::vector<ListItem> out;
    if (!list) return out;
    for (const XmlNode& c : list->children) {
        if (c.name.empty()) continue;
        if (c.local() == itemName) out.push_back({&c, &c});
        else if (c.local() == "AlternateContent")
            if (const XmlNode* item = alternateItem(c, itemName)) out.push_back({&c, item});
    }
    return out;
}

std::vector<const XmlNode*> listItems(const XmlNode* list, std::string_view itemName) {
    std::vector<const XmlNode*> out;
    for (const ListItem& e : listEntries(list, itemName)) out.push_back(e.model);
    return out;
}

template <typename T>
const T& pick(const std::vector<T>& items, int index, const T& fallback) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size() ? items[static_cast<std::size_t>(index)] : fallback;
}

}  // namespace

void readStyles(std::string_view xml, const std::string& partName, StyleTable& table, StylesPackage& kept) {
    kept.root = parseXmlTree(xml, partName);
    kept.present = true;
    const XmlNode& root = kept.root;
    for (const XmlNode* n : listItems(root.child("numFmts"), "numFmt")) {
        int id = intAttr(*n, "numFmtId", -1);
        if (id >= 0) kept.numFmts[id] = strAttr(*n, "formatCode");
    }
    for (const ListItem& e : listEntries(root.child("fonts"), "font")) {
        kept.fontNodes.push_back(*e.written);
        kept.fonts.push_back(readFont(*e.model));
    }
    for (const ListItem& e : listEntries(root.child("fills"), "fill")) {
        kept.fillNodes.push_back(*e.written);
        kept.fills.push_back(readFill(*e.model));
    }
    for (const ListItem& e : listEntries(root.child("borders"), "border")) {
        kept.borderNodes.push_back(*e.written);
        kept.borders.push_back(readBorder(*e.model));
    }
    static const Font kDefaultFont;
    static const Fill kNoFill;
    static const Border kNoBorder;
    table.clear();
    auto xfs = listEntries(root.child("cellXfs"), "xf");
    if (xfs.size() > 1000000)
        throw AutomationError(errc::kBadFile, "部件“" + partName + "”的单元格格式数量异常，文件已损坏。");
    for (const ListItem& entry : xfs) {
        const XmlNode* n = entry.model;
        CellFormat f;
        int numFmtId = intAttr(*n, "numFmtId", 0);
        f.numberFormat = numberFormatFor(numFmtId, kept);
        kept.numFmtIdByCode.emplace(f.numberFormat, numFmtId);
        f.font = pick(kept.fonts, intAttr(*n, "fontId", 0), kDefaultFont);
        f.fill = pick(kept.fills, intAttr(*n, "fillId", 0), kNoFill);
        f.border = pick(kept.borders, intAttr(*n, "borderId", 0), kNoBorder);
        f.parentStyle = intAttr(*n, "xfId", 0);
        f.quotePrefix = isTrueValue(n->attr("quotePrefix"));
        if (isTrueValue(n->attr("applyNumberFormat"))) f.applyFlags |= ApplyNumberFormat;
        if (isTrueValue(n->attr("applyFont"))) f.applyFlags |= ApplyFont;
        if (isTrueValue(n->attr("applyFill"))) f.applyFlags |= ApplyFill;
        if (isTrueValue(n->attr("applyBorder"))) f.applyFlags |= ApplyBorder;
        if (isTrueValue(n->attr("applyAlignment"))) f.applyFlags |= ApplyAlignment;
        if (isTrueValue(n->attr("applyProtection"))) f.applyFlags |= ApplyProtection;
        if (const XmlNode* a = n->child("alignment")) {
            Alignment& al = f.alignment;
            al.horizontal = strAttr(*a, "horizontal");
            al.vertical = strAttr(*a, "vertical");
            al.textRotation = intAttr(*a, "textRotation", 0);
            al.wrapText = isTrueValue(a->attr("wrapText"));
            al.shrinkToFit = isTrueValue(a->attr("shrinkToFit"));
            al.indent = intAttr(*a, "indent", 0);
            al.relativeIndent = intAttr(*a, "relativeIndent", 0);
            al.justifyLastLine = isTrueValue(a->attr("justifyLastLine"));
            al.readingOrder = intAttr(*a, "readingOrder", 0);
        }
        if (const XmlNode* p = n->child("protection")) {
            if (const char* v = p->attr("locked")) f.protection.locked = isTrueValue(v);
            if (const char* v = p->attr("hidden")) f.protection.hidden = isTrueValue(v);
        }
        kept.xfNodes.push_back(*entry.written);
        kept.xfFormats.push_back(f);
        table.append(f);
    }
    // Index 0 must exist: cells without a style attribute use it.
    if (table.size() == 0) table.append(CellFormat{});
}

namespace {

void appendDouble(std::string& out, double v) {
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, p);
}

void appendInt(std::string& out, long long v) {
    char buf[24];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, p);
}

void writeColor(std::string& out, const char* element, const Color& c) {
    if (c.kind == Color::Kind::None) return;
    out += '<';
    out += element;
    switch (c.kind) {
    case Color::Kind::Rgb: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08X", c.value);
        out += " rgb=\"";
        out += buf;
        out += '"';
        break;
    }
    case Color::Kind::Theme: out += " theme=\""; appendInt(out, c.value); out += '"'; break;
    case Color::Kind::Indexed: out += " indexed=\""; appendInt(out, c.value); out += '"'; break;
    case Color::Kind::Auto: out += " auto=\"1\""; break;
    case Color::Kind::None: break;
    }
    if (c.tint != 0.0) {
        out += " tint=\"";
        appendDouble(out, c.tint);
        out += '"';
    }
    out += "/>";
}

void valElement(std::string& out, const char* name, std::string_view value) {
    out += '<';
    out += name;
    out += " val=\"";
    appendEscapedAttr(out, value);
    out += "\"/>";
}

std::string fontXml(const Font& f) {
    std::string out = "<font>";
    if (f.bold) out += "<b/>";
    if (f.italic) out += "<i/>";
    if (f.strike) out += "<strike/>";
    if (f.condense) out += "<condense/>";
    if (f.extend) out += "<extend/>";
    if (f.outline) out += "<outline/>";
    if (f.shadow) out += "<shadow/>";
    if (!f.underline.empty()) {
        if (f.underline == "single") out += "<u/>";
        else valElement(out, "u", f.underline);
    }
    if (!f.vertAlign.empty()) valElement(out, "vertAlign", f.vertAlign);
    if (f.size > 0) {
        out += "<sz val=\"";
        appendDouble(out, f.size);
        out += "\"/>";
    }
    writeColor(out, "color", f.color);
    if (!f.name.empty()) valElement(out, "name", f.name);
    if (f.family) valElement(out, "family", std::to_string(f.family));
    if (f.charset >= 0) valElement(out, "charset", std::to_string(f.charset));
    if (!f.scheme.empty()) valElement(out, "scheme", f.scheme);
    out += "</font>";
    return out;
}

std::string fillXml(const Fill& f) {
    std::string out = "<fill>";
    if (!f.gradientXml.empty()) {
        out += f.gradientXml;
    } else if (f.fg.kind == Color::Kind::None && f.bg.kind == Color::Kind::None) {
        out += "<patternFill patternType=\"";
        appendEscapedAttr(out, f.pattern);
        out += "\"/>";
    } else {
        out += "<patternFill patternType=\"";
        appendEscapedAttr(out, f.pattern);
        out += "\">";
        writeColor(out, "fgColor", f.fg);
        writeColor(out, "bgColor", f.bg);
        out += "</patternFill>";
    }
    out += "</fill>";
    return out;
}

void edgeXml(std::string& out, const char* name, const BorderEdge& e, bool always) {
    if (e.style.empty() && e.color.kind == Color::Kind::None) {
        if (always) {
            out += '<';
            out += name;
            out += "/>";
        }
        return;
    }
    out += '<';
    out += name;
    if (!e.style.empty()) {
        out += " style=\"";
        appendEscapedAttr(out, e.style);
        out += '"';
    }
    out += '>';
    writeColor(out, "color", e.color);
    out += "</";
    out += name;
    out += '>';
}

std::string borderXml(const Border& b) {
    std::string out = "<border";
    if (b.diagonalUp) out += " diagonalUp=\"1\"";
    if (b.diagonalDown) out += " diagonalDown=\"1\"";
    if (b.outline) out += " outline=\"1\"";
    out += '>';
    edgeXml(out, "left", b.left, true);
    edgeXml(out, "right", b.right, true);
    edgeXml(out, "top", b.top, true);
    edgeXml(out, "bottom", b.bottom, true);
    edgeXml(out, "diagonal", b.diagonal, true);
    edgeXml(out, "vertical", b.vertical, false);
    edgeXml(out, "horizontal", b.horizontal, false);
    out += "</border>";
    return out;
}

// One list of a styles part (fonts, fills, borders): the entries as read first, so that
// everything kept raw that indexes them stays right, then entries the engine added.
struct StyleList {
    std::vector<std::string> xml;
    std::unordered_map<std::string, int> index;  // generated XML -> first index

    int add(const std::string& generated, std::string written) {
        auto [it, inserted] = index.emplace(generated, static_cast<int>(xml.size()));
        if (inserted) xml.push_back(std::move(written));
        return it->second;
    }
    int find(const std::string& generated) {
        auto it = index.find(generated);
        if (it != index.end()) return it->second;
        return add(generated, generated);
    }
    void appendList(std::string& out, const char* name) const {
        out += '<';
        out += name;
        out += " count=\"";
        appendInt(out, static_cast<long long>(xml.size()));
        out += "\">";
        for (const std::string& x : xml) out += x;
        out += "</";
        out += name;
        out += '>';
    }
};

void keepRaw(StyleList& list, const std::vector<XmlNode>& nodes, const std::string& generatedKey) {
    std::string raw;
    for (const XmlNode& n : nodes) {
        raw.clear();
        writeXmlNode(raw, n);
        list.xml.push_back(raw);
    }
    (void)generatedKey;
}

bool isDefaultAlignment(const Alignment& a) { return a == Alignment{}; }

void alignmentXml(std::string& out, const Alignment& a) {
    out += "<alignment";
    auto attr = [&](const char* name, std::string_view v) {
        out += ' ';
        out += name;
        out += "=\"";
        appendEscapedAttr(out, v);
        out += '"';
    };
    if (!a.horizontal.empty()) attr("horizontal", a.horizontal);
    if (!a.vertical.empty()) attr("vertical", a.vertical);
    if (a.textRotation) attr("textRotation", std::to_string(a.textRotation));
    if (a.wrapText) attr("wrapText", "1");
    if (a.indent) attr("indent", std::to_string(a.indent));
    if (a.relativeIndent) attr("relativeIndent", std::to_string(a.relativeIndent));
    if (a.justifyLastLine) attr("justifyLastLine", "1");
    if (a.shrinkToFit) attr("shrinkToFit", "1");
    if (a.readingOrder) attr("readingOrder", std::to_string(a.readingOrder));
    out += "/>";
}

}  // namespace

std::string writeStyles(const StyleTable& table, const StylesPackage* kept, const std::vector<std::string>* addedDxfs) {
    StyleList fonts, fills, borders;
    if (kept && kept->present) {
        keepRaw(fonts, kept->fontNodes, {});
        keepRaw(fills, kept->fillNodes, {});
        keepRaw(borders, kept->borderNodes, {});
        for (std::size_t i = 0; i < kept->fonts.size(); ++i) fonts.index.emplace(fontXml(kept->fonts[i]), static_cast<int>(i));
        for (std::size_t i = 0; i < kept->fills.size(); ++i) fills.index.emplace(fillXml(kept->fills[i]), static_cast<int>(i));
        for (std::size_t i = 0; i < kept->borders.size(); ++i) borders.index.emplace(borderXml(kept->borders[i]), static_cast<int>(i));
    }
    // The file format reserves fills 0 and 1.
    if (fills.xml.empty()) {
        fills.find(fillXml(Fill{}));
        Fill gray;
        gray.pattern = "gray125";
        fills.find(fillXml(gray));
    }
    if (fonts.xml.empty()) fonts.find(fontXml(table.at(0).font));
    if (borders.xml.empty()) borders.find(borderXml(Border{}));

    // Number formats: ids as read where the code is the same, built-in ids, then new ids from 164.
    std::map<int, std::string> numFmts = kept ? kept->numFmts : std::map<int, std::string>{};
    std::unordered_map<std::string, int> idByCode;
    if (kept)
        for (const auto& [code, id] : kept->numFmtIdByCode) idByCode.emplace(code, id);
    for (const auto& [id, code] : numFmts) idByCode.emplace(code, id);
    int nextId = 164;
    for (const auto& [id, code] : numFmts) nextId = std::max(nextId, id + 1);
    auto numFmtIdFor = [&](const std::string& code) {
        if (auto it = idByCode.find(code); it != idByCode.end()) return it->second;
        for (int id = 0; id <= 58; ++id)
            if (builtinNumberFormat(id) == code) {
                idByCode.emplace(code, id);
                return id;
            }
        int id = nextId++;
        numFmts[id] = code;
        idByCode.emplace(code, id);
        return id;
    };

    int parentLimit = 1;
    if (kept && kept->present)
        if (const XmlNode* csx = kept->root.child("cellStyleXfs")) parentLimit = std::max(1, static_cast<int>(listEntries(csx, "xf").size()));

    std::string xfs;
    std::string scratch;
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        const CellFormat& f = table.at(i);
        if (kept && i < kept->xfFormats.size() && kept->xfFormats[i] == f) {
            writeXmlNode(xfs, kept->xfNodes[i]);  // unchanged: as written, unmodelled attributes included
            continue;
        }
        int numFmtId = numFmtIdFor(f.numberFormat);
        int fontId = fonts.find(fontXml(f.font));
        int fillId = fills.find(fillXml(f.fill));
        int borderId = borders.find(borderXml(f.border));
        xfs += "<xf numFmtId=\"";
        appendInt(xfs, numFmtId);
        xfs += "\" fontId=\"";
        appendInt(xfs, fontId);
        xfs += "\" fillId=\"";
        appendInt(xfs, fillId);
        xfs += "\" borderId=\"";
        appendInt(xfs, borderId);
        xfs += "\" xfId=\"";
        appendInt(xfs, std::clamp(f.parentStyle, 0, parentLimit - 1));
        xfs += '"';
        // A format the engine made applies what differs from the default.
        std::uint8_t apply = f.applyFlags;
        if (numFmtId != 0) apply |= ApplyNumberFormat;
        if (fontId != 0) apply |= ApplyFont;
        if (fillId != 0) apply |= ApplyFill;
        if (borderId != 0) apply |= ApplyBorder;
        if (!isDefaultAlignment(f.alignment)) apply |= ApplyAlignment;
        if (!(f.protection == Protection{})) apply |= ApplyProtection;
        if (f.quotePrefix) xfs += " quotePrefix=\"1\"";
        if (apply & ApplyNumberFormat) xfs += " applyNumberFormat=\"1\"";
        if (apply & ApplyFont) xfs += " applyFont=\"1\"";
        if (apply & ApplyFill) xfs += " applyFill=\"1\"";
        if (apply & ApplyBorder) xfs += " applyBorder=\"1\"";
        if (apply & ApplyAlignment) xfs += " applyAlignment=\"1\"";
        if (apply & ApplyProtection) xfs += " applyProtection=\"1\"";
        bool hasAlign = !isDefaultAlignment(f.alignment), hasProt = !(f.protection == Protection{});
        if (!hasAlign && !hasProt) {
            xfs += "/>";
            continue;
        }
        xfs += '>';
        if (hasAlign) alignmentXml(xfs, f.alignment);
        if (hasProt) {
            xfs += "<protection";
            if (!f.protection.locked) xfs += " locked=\"0\"";
            if (f.protection.hidden) xfs += " hidden=\"1\"";
            xfs += "/>";
        }
        xfs += "</xf>";
    }

    std::string numFmtsXml;
    if (!numFmts.empty()) {
        numFmtsXml += "<numFmts count=\"";
        appendInt(numFmtsXml, static_cast<long long>(numFmts.size()));
        numFmtsXml += "\">";
        for (const auto& [id, code] : numFmts) {
            numFmtsXml += "<numFmt numFmtId=\"";
            appendInt(numFmtsXml, id);
            numFmtsXml += "\" formatCode=\"";
            appendEscapedAttr(numFmtsXml, code);
            numFmtsXml += "\"/>";
        }
        numFmtsXml += "</numFmts>";
    }
    std::string fontsXml, fillsXml, bordersXml, cellXfsXml;
    fonts.appendList(fontsXml, "fonts");
    fills.appendList(fillsXml, "fills");
    borders.appendList(bordersXml, "borders");
    cellXfsXml = "<cellXfs count=\"" + std::to_string(table.size()) + "\">" + xfs + "</cellXfs>";

    std::string out(kXmlDeclaration);
    if (!kept || !kept->present) {
        out += "<styleSheet xmlns=\"";
        out += ns::kMain;
        out += "\">";
        out += numFmtsXml + fontsXml + fillsXml + bordersXml;
        out += "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
        out += cellXfsXml;
        out += "<cellStyles count=\"1\"><cellStyle name=\"常规\" xfId=\"0\" builtinId=\"0\"/></cellStyles>";
        out += "<dxfs count=\"" + std::to_string(addedDxfs ? addedDxfs->size() : 0) + "\">";
        if (addedDxfs)
            for (const std::string& d : *addedDxfs) out += d;
        out += "</dxfs><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>";
        out += "</styleSheet>";
        return out;
    }
    // The kept tree with the modelled lists replaced in place (and placed where the schema wants
    // them when the file had none).
    const XmlNode& root = kept->root;
    XmlNode start;
    start.name = root.name;
    start.attrs = root.attrs;
    adoptDefaultNamespace(start);
    writeStartTag(out, start, false);
    bool wroteNumFmts = false, wroteFonts = false, wroteFills = false, wroteBorders = false, wroteXfs = false;
    auto flushBefore = [&](int rank) {
        if (rank > 0 && !wroteNumFmts) { out += numFmtsXml; wroteNumFmts = true; }
        if (rank > 1 && !wroteFonts) { out += fontsXml; wroteFonts = true; }
        if (rank > 2 && !wroteFills) { out += fillsXml; wroteFills = true; }
        if (rank > 3 && !wroteBorders) { out += bordersXml; wroteBorders = true; }
        if (rank > 5 && !wroteXfs) { out += cellXfsXml; wroteXfs = true; }
    };
    // The file's differential formats, followed by those copies brought in from other workbooks.
    bool wroteDxfs = !addedDxfs || addedDxfs->empty();
    auto writeDxfs = [&](const XmlNode* read) {
        if (wroteDxfs && !read) return;
        const bool adding = !wroteDxfs;
        wroteDxfs = true;
        if (!adding) {
            writeXmlNode(out, *read);
            return;
        }
        XmlNode list;
        if (read) list = *read;
        else list.name = root.name.find(':') != std::string::npos ? root.name.substr(0, root.name.find(':') + 1) + "dxfs" : "dxfs";
        std::size_t count = 0;
        for (const XmlNode& d : list.children) count += !d.name.empty();
        list.setAttr("count", std::to_string(count + addedDxfs->size()));
        std::string whole;
        writeXmlNode(whole, list);
        // Close the list after the added formats.
        std::string close = "</" + list.name + ">";
        if (whole.size() >= 2 && whole.compare(whole.size() - 2, 2, "/>") == 0) {
            whole.erase(whole.size() - 2);
            whole += ">";
        } else {
            whole.erase(whole.size() - close.size());
        }
        out += whole;
        for (const std::string& d : *addedDxfs) out += d;
        out += close;
    };
    for (const XmlNode& c : root.children) {
        if (c.name.empty()) {
            writeXmlNode(out, c);
            continue;
        }
        std::string_view l = c.local();
        if (l == "numFmts") { flushBefore(0); out += numFmtsXml; wroteNumFmts = true; }
        else if (l == "fonts") { flushBefore(1); out += fontsXml; wroteFonts = true; }
        else if (l == "fills") { flushBefore(2); out += fillsXml; wroteFills = true; }
        else if (l == "borders") { flushBefore(3); out += bordersXml; wroteBorders = true; }
        else if (l == "cellStyleXfs") { flushBefore(4); writeXmlNode(out, c); }
        else if (l == "cellXfs") { flushBefore(5); out += cellXfsXml; wroteXfs = true; }
        else if (l == "dxfs") { flushBefore(6); writeDxfs(&c); }
        else {
            // Differential formats come after the cell styles, before table styles and the rest.
            if (l != "cellStyles" && !wroteDxfs) {
                flushBefore(6);
                writeDxfs(nullptr);
            }
            flushBefore(6);
            writeXmlNode(out, c);
        }
    }
    flushBefore(6);
    if (!wroteDxfs) writeDxfs(nullptr);
    out += "</";
    out += root.name;
    out += '>';
    return out;
}

}  // namespace lorvane::sheet
