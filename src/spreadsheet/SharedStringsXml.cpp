// sharedStrings.xml: read streaming (a large table need not be held as XML), written from the pool.
#include <charconv>

#include "spreadsheet/Package.h"
#include "spreadsheet/StringPool.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

namespace {

void collectText(const XmlNode& n, std::string& out) {
    for (const XmlNode& c : n.children) {
        if (c.name.empty()) continue;
        std::string_view l = c.local();
        if (l == "t") out += decodeOoxmlEscapes(c.textContent());
        else if (l == "r") collectText(c, out);
    }
}

void stripElementPrefixes(XmlNode& n) {
    if (auto colon = n.name.find(':'); colon != std::string::npos) n.name.erase(0, colon + 1);
    for (XmlNode& c : n.children) stripElementPrefixes(c);
}

bool needsPreserve(std::string_view t) {
    if (t.empty()) return false;
    auto ws = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return ws(t.front()) || ws(t.back());
}

class SharedStringsReader : public XmlStream {
public:
    SharedStringsReader(const std::string& part, StringPool& pool, PlainTwins& twins)
        : XmlStream(part), pool_(pool), twins_(twins) {}
    std::vector<std::uint32_t> indices;

protected:
    void onStart(const char* name, const char** attrs) override {
        if (builder_.active()) {
            builder_.start(name, attrs);
            return;
        }
        if (localName(name) == "si") builder_.start(name, attrs);
    }
    void onEnd(const char*) override {
        if (builder_.active() && builder_.end()) {
            XmlNode si = builder_.take();
            indices.push_back(internRichText(pool_, si, twins_));
        }
    }
    void onText(const char* s, int len) override {
        if (builder_.active()) builder_.text(s, len);
    }

private:
    StringPool& pool_;
    PlainTwins& twins_;
    XmlTreeBuilder builder_;
};

}  // namespace

RichText richTextFromNode(const XmlNode& item) {
    RichText out;
    collectText(item, out.plain);
    int elements = 0;
    bool onlyT = true;
    for (const XmlNode& c : item.children) {
        if (c.name.empty()) continue;
        ++elements;
        if (c.local() != "t") onlyT = false;
    }
    if (elements > 1 || !onlyT) {
        out.rich = true;
        // Written into a part whose SpreadsheetML namespace is the default one: drop element prefixes.
        for (XmlNode c : item.children) {
            stripElementPrefixes(c);
            writeXmlNode(out.runsXml, c);
        }
    }
    return out;
}

namespace {

// An equal rich text may have been met first: a plain cell must not take on its runs, so it gets
// a plain twin of that text (one per rich text).
std::uint32_t plainIndex(StringPool& pool, std::uint32_t index, PlainTwins& twins) {
    if (!pool.rich(index)) return index;
    auto [it, added] = twins.emplace(index, 0);
    if (added) it->second = pool.appendDistinct(std::string(pool.at(index)));
    return it->second;
}

}  // namespace

std::uint32_t internPlainText(StringPool& pool, std::string_view raw, PlainTwins& twins) {
    std::uint32_t index = raw.find("_x") == std::string_view::npos ? pool.intern(raw) : pool.intern(decodeOoxmlEscapes(raw));
    return plainIndex(pool, index, twins);
}

std::uint32_t internRichText(StringPool& pool, const XmlNode& item, PlainTwins& twins) {
    RichText t = richTextFromNode(item);
    if (!t.rich) return plainIndex(pool, pool.intern(t.plain), twins);
    std::uint32_t index = pool.appendDistinct(t.plain);
    pool.setRich(index, std::move(t.runsXml));
    return index;
}

std::vector<std::uint32_t> readSharedStrings(ZipReader& zip, const std::string& partName, StringPool& pool,
                                             PlainTwins& twins) {
    SharedStringsReader reader(partName, pool, twins);
    zip.stream(partName, [&](const char* p, std::size_t n) { reader.feed(p, n); });
    reader.finish();
    return std::move(reader.indices);
}

void writeSharedStrings(const XmlSink& sink, const StringPool& pool) {
    constexpr std::size_t kPiece = 1u << 20;
    std::string out(kXmlDeclaration);
    out.reserve(kPiece + 64 * 1024);
    out += "<sst xmlns=\"";
    out += ns::kMain;
    out += "\" uniqueCount=\"";
    out += std::to_string(pool.size());
    out += "\">";
    for (std::uint32_t i = 0; i < pool.size(); ++i) {
        if (const std::string* runs = pool.rich(i)) {
            out += "<si>";
            out += *runs;
            out += "</si>";
        } else {
            const std::string& t = pool.at(i);
            out += needsPreserve(t) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
            appendOoxmlEscaped(out, t);
            out += "</t></si>";
        }
        if (out.size() >= kPiece) {
            sink(out);
            out.clear();
        }
    }
    out += "</sst>";
    sink(out);
}

}  // namespace lorvane::sheet
