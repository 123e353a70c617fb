// Relationships, content types and part names of the package.
#include <array>
#include <charconv>

#include "base/AutomationError.h"
#include "spreadsheet/Package.h"

namespace lorvane::sheet {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string_view stripSlash(std::string_view part) { return !part.empty() && part[0] == '/' ? part.substr(1) : part; }

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int v = 0;
            auto [p, ec] = std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16);
            if (ec == std::errc() && p == s.data() + i + 3) {
                out += static_cast<char>(v);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace

std::vector<Relationship> parseRelationships(std::string_view xml, const std::string& partName) {
    XmlNode root = parseXmlTree(xml, partName);
    std::vector<Relationship> out;
    for (const XmlNode& n : root.children) {
        if (n.name.empty() || n.local() != "Relationship") continue;
        Relationship r;
        if (const char* v = n.attr("Id")) r.id = v;
        if (const char* v = n.attr("Type")) r.type = v;
        if (const char* v = n.attr("Target")) r.target = v;
        if (const char* v = n.attr("TargetMode")) r.external = std::string_view(v) == "External";
        out.push_back(std::move(r));
    }
    return out;
}

std::string writeRelationships(const std::vector<Relationship>& rels) {
    std::string out(kXmlDeclaration);
    out += "<Relationships xmlns=\"";
    out += ns::kPkgRel;
    out += "\">";
    for (const Relationship& r : rels) {
        out += "<Relationship Id=\"";
        appendEscapedAttr(out, r.id);
        out += "\" Type=\"";
        appendEscapedAttr(out, r.type);
        out += "\" Target=\"";
        appendEscapedAttr(out, r.target);
        out += r.external ? "\" TargetMode=\"External\"/>" : "\"/>";
    }
    out += "</Relationships>";
    return out;
}

RelsByPart parseRawRelationships(const std::unordered_map<std::string, std::string>& raw) {
    RelsByPart out;
    for (const auto& [name, data] : raw) {
        auto pos = name.find("_rels/");
        if (pos == std::string::npos || name.size() < 5 || name.compare(name.size() - 5, 5, ".rels") != 0) continue;
        std::string source = name.substr(0, pos) + name.substr(pos + 6, name.size() - pos - 6 - 5);
        try {
            out[source] = parseRelationships(data, name);
        } catch (const AutomationError&) {
            // A damaged relationships part of an unmodelled part is kept as it is.
        }
    }
    return out;
}

std::string relsPathFor(const std::string& part) {
    auto slash = part.rfind('/');
    if (slash == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, const std::string& target) {
    std::string decoded = percentDecode(target);
    std::string joined;
    if (!decoded.empty() && decoded[0] == '/') {
        joined = decoded.substr(1);
    } else {
        auto slash = sourcePart.rfind('/');
        joined = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + decoded;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        auto end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        std::string seg = joined.substr(start, end - start);
        if (seg == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
            parts.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += parts[i];
    }
    return out;
}

std::string relativeTarget(const std::string& sourcePart, const std::string& targetPart) {
    auto slash = sourcePart.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1);
    if (!dir.empty() && targetPart.compare(0, dir.size(), dir) == 0) return targetPart.substr(dir.size());
    return "/" + targetPart;
}

bool relTypeIs(std::string_view type, std::string_view last) {
    auto slash = type.rfind('/');
    std::string_view tail = slash == std::string_view::npos ? type : type.substr(slash + 1);
    return tail == last;
}

const Relationship* findRelById(const std::vector<Relationship>& rels, std::string_view id) {
    for (const Relationship& r : rels)
        if (r.id == id) return &r;
    return nullptr;
}

const Relationship* findRelByType(const std::vector<Relationship>& rels, std::string_view last) {
    for (const Relationship& r : rels)
        if (relTypeIs(r.type, last)) return &r;
    return nullptr;
}

std::string ContentTypes::typeOf(std::string_view part) const {
    part = stripSlash(part);
    for (const auto& [name, type] : overrides)
        if (equalsNoCase(name, part)) return type;
    auto dot = part.rfind('.');
    if (dot != std::string_view::npos) {
        std::string_view ext = part.substr(dot + 1);
        for (const auto& [e, type] : defaults)
            if (equalsNoCase(e, ext)) return type;
    }
    return {};
}

void ContentTypes::setOverride(const std::string& part, const std::string& type) {
    std::string_view p = stripSlash(part);
    for (auto& [name, t] : overrides)
        if (equalsNoCase(name, p)) {
            t = type;
            return;
        }
    overrides.emplace_back(std::string(p), type);
}

void ContentTypes::removeOverride(std::string_view part) {
    part = stripSlash(part);
    std::erase_if(overrides, [&](const auto& o) { return equalsNoCase(o.first, part); });
}

ContentTypes parseContentTypes(std::string_view xml) {
    XmlNode root = parseXmlTree(xml, "[Content_Types].xml");
    ContentTypes ct;
    for (const XmlNode& n : root.children) {
        if (n.name.empty()) continue;
        const char* type = n.attr("ContentType");
        if (!type) continue;
        if (n.local() == "Default") {
            if (const char* ext = n.attr("Extension")) ct.defaults.emplace_back(ext, type);
        } else if (n.local() == "Override") {
            if (const char* part = n.attr("PartName")) ct.overrides.emplace_back(std::string(stripSlash(part)), type);
        }
    }
    return ct;
}

std::string writeContentTypes(const ContentTypes& ct) {
    std::string out(kXmlDeclaration);
    out += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
    for (const auto& [ext, type] : ct.defaults) {
        out += "<Default Extension=\"";
        appendEscapedAttr(out, ext);
        out += "\" ContentType=\"";
        appendEscapedAttr(out, type);
        out += "\"/>";
    }
    for (const auto& [part, type] : ct.overrides) {
        out += "<Override PartName=\"/";
        appendEscapedAttr(out, part);
        out += "\" ContentType=\"";
        appendEscapedAttr(out, type);
        out += "\"/>";
    }
    out += "</Types>";
    return out;
}

namespace {

struct ErrorLiteral {
    std::uint16_t code;
    std::string_view text;
};

// Codes follow the established object model's error numbers, newer errors included.
constexpr std::array<ErrorLiteral, 15> kErrors{{
    {2000, "#NULL!"}, {2007, "#DIV/0!"}, {2015, "#VALUE!"}, {2023, "#REF!"}, {2029, "#NAME?"},
    {2036, "#NUM!"}, {2042, "#N/A"}, {2043, "#GETTING_DATA"}, {2045, "#SPILL!"}, {2046, "#CONNECT!"},
    {2047, "#BLOCKED!"}, {2048, "#UNKNOWN!"}, {2049, "#FIELD!"}, {2050, "#CALC!"}, {2051, "#BUSY!"},
}};

}  // namespace

std::uint16_t errorCodeFromText(std::string_view text) {
    for (const auto& e : kErrors)
        if (equalsNoCase(e.text, text)) return e.code;
    return 2015;  // an unknown literal shows as #VALUE!
}

std::string_view errorTextFromCode(std::uint16_t code) {
    for (const auto& e : kErrors)
        if (e.code == code) return e.text;
    return "#VALUE!";
}

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

bool readInt(std::string_view s, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > s.size()) return false;
    auto [p, ec] = std::from_chars(s.data() + pos, s.data() + pos + digits, out);
    if (ec != std::errc() || p != s.data() + pos + digits) return false;
    pos += digits;
    return true;
}

}  // namespace

bool isoDateToSerial(std::string_view s, double& serial) {
    std::size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    double frac = 0;
    if (!readInt(s, pos, 4, y) || pos >= s.size() || s[pos++] != '-' || !readInt(s, pos, 2, mo) || pos >= s.size() ||
        s[pos++] != '-' || !readInt(s, pos, 2, d))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return false;
    if (pos < s.size() && (s[pos] == 'T' || s[pos] == ' ')) {
        ++pos;
        if (!readInt(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':' || !readInt(s, pos, 2, mi)) return false;
        if (pos < s.size() && s[pos] == ':') {
            ++pos;
            if (!readInt(s, pos, 2, sec)) return false;
            if (pos < s.size() && s[pos] == '.') {
                std::size_t start = pos;
                ++pos;
                while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
                std::from_chars(s.data() + start, s.data() + pos, frac);
            }
        }
    }
    // Serial 1 is 1900-01-01; from March 1900 on the count includes the fictitious 1900-02-29.
    long days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - daysFromCivil(1899, 12, 30);
    if (days < 61) days -= 1;
    if (days < 0) days = 0;
    serial = static_cast<double>(days) + (h * 3600 + mi * 60 + sec + frac) / 86400.0;
    return true;
}

}  // namespace lorvane::sheet
