#include "spreadsheet/XmlReader.h"

#include <expat.h>

#include <charconv>
#include <cstring>

#include "base/AutomationError.h"
#include "base/Utf8.h"

namespace lorvane::sheet {

namespace {

bool localEquals(std::string_view qualified, std::string_view local) {
    auto colon = qualified.find(':');
    std::string_view l = colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
    return l == local;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "_xHHHH_" at pos: the code unit, or -1.
int escapeAt(std::string_view s, std::size_t pos) {
    if (pos + 7 > s.size() || s[pos] != '_' || s[pos + 1] != 'x' || s[pos + 6] != '_') return -1;
    int v = 0;
    for (std::size_t k = pos + 2; k < pos + 6; ++k) {
        int h = hexValue(s[k]);
        if (h < 0) return -1;
        v = v * 16 + h;
    }
    return v;
}


}  // namespace

AutomationError xmlFormatError(const std::string& part, std::uint64_t line, std::string_view what) {
    return AutomationError(errc::kBadFile, "部件“" + part + "”的 XML 格式错误（第 " + std::to_string(line) + " 行：" +
                                               std::string(what) + "），文件已损坏。");
}

AutomationError xmlTokenTooLongError(const std::string& part, std::size_t maxToken) {
    return AutomationError(errc::kBadFile, "部件“" + part + "”中有一段超过 " + std::to_string(maxToken >> 20) +
                                               " MB 的连续内容（注释、文字或标记），不是正常的工作簿，可能是恶意构造的文件，已拒绝打开。");
}

AutomationError xmlNestingError(const std::string& part) {
    return AutomationError(errc::kBadFile, "部件“" + part + "”的元素嵌套层数异常，可能是恶意构造的文件，已拒绝打开。");
}

AutomationError xmlDoctypeError(const std::string& part) {
    return AutomationError(errc::kBadFile, "部件“" + part + "”含有文档类型声明（DTD），可能是恶意构造的文件，已拒绝打开。");
}

const char* findAttr(const char** attrs, std::string_view local) {
    for (int i = 0; attrs[i]; i += 2)
        if (localEquals(attrs[i], local)) return attrs[i + 1];
    return nullptr;
}

XmlStream::XmlStream(std::string partName) : XmlEventParser(std::move(partName)), parser_(XML_ParserCreate("UTF-8")) {
    if (!parser_) throw AutomationError(errc::kMethodFailed, "内存不足，无法解析工作簿。");
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &XmlStream::startHandler, &XmlStream::endHandler);
    XML_SetCharacterDataHandler(parser_, &XmlStream::textHandler);
    // Workbook parts never carry a DTD; refusing one rules out entity-expansion bombs.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetStartDoctypeDeclHandler(parser_, &XmlStream::doctypeHandler);
    XML_SetEntityDeclHandler(parser_, &XmlStream::entityHandler);
}

XmlStream::~XmlStream() { XML_ParserFree(parser_); }

void XmlStream::stop(std::exception_ptr e) {
    if (!error_) error_ = e;
    XML_StopParser(parser_, XML_FALSE);
}

void XmlStream::noteEvent() {
    XML_Index at = XML_GetCurrentByteIndex(parser_);
    if (at >= 0) lastEvent_ = static_cast<std::uint64_t>(at);
}

void XmlStream::tokenTooLong() const { throw xmlTokenTooLongError(partName(), kMaxToken); }

void XmlStream::startHandler(void* self, const char* name, const char** attrs) {
    auto* s = static_cast<XmlStream*>(self);
    if (s->error_) return;
    s->noteEvent();
    s->textRun_ = 0;
    if (++s->depth_ > kMaxDepth) {
        s->stop(std::make_exception_ptr(xmlNestingError(s->partName())));
        return;
    }
    try {
        s->onStart(name, attrs);
    } catch (...) {
        s->stop(std::current_exception());
    }
}

void XmlStream::endHandler(void* self, const char* name) {
    auto* s = static_cast<XmlStream*>(self);
    if (s->error_) return;
    s->noteEvent();
    s->textRun_ = 0;
    --s->depth_;
    try {
        s->onEnd(name);
    } catch (...) {
        s->stop(std::current_exception());
    }
}

void XmlStream::textHandler(void* self, const char* text, int len) {
    auto* s = static_cast<XmlStream*>(self);
    if (s->error_) return;
    s->noteEvent();
    // Text arrives piecewise, so expat never rescans it; the cap is on what readers collect.
    s->textRun_ += static_cast<std::size_t>(len);
    try {
        if (s->textRun_ > kMaxToken) s->tokenTooLong();
        s->onText(text, len);
    } catch (...) {
        s->stop(std::current_exception());
    }
}

void XmlStream::doctypeHandler(void* self, const char*, const char*, const char*, int) {
    auto* s = static_cast<XmlStream*>(self);
    s->stop(std::make_exception_ptr(xmlDoctypeError(s->partName())));
}

void XmlStream::entityHandler(void* self, const char*, int, const char*, int, const char*, const char*, const char*,
                              const char*) {
    auto* s = static_cast<XmlStream*>(self);
    s->stop(std::make_exception_ptr(AutomationError(
        errc::kBadFile, "部件“" + s->partName() + "”含有实体声明，可能是恶意构造的文件（XML 炸弹），已拒绝打开。")));
}

void XmlStream::check(int status) {
    if (error_) std::rethrow_exception(error_);
    if (status == XML_STATUS_ERROR) {
        throw xmlFormatError(partName(), XML_GetCurrentLineNumber(parser_), XML_ErrorString(XML_GetErrorCode(parser_)));
    }
}

void XmlStream::feed(const char* data, std::size_t size) {
    // Pieces of at most a few megabytes, so that a token over the limit is noticed soon after
    // it passes the limit, whatever the caller's chunk size.
    constexpr std::size_t kPiece = 4u << 20;
    while (size > 0) {
        int n = static_cast<int>(std::min(size, kPiece));
        check(XML_Parse(parser_, data, n, XML_FALSE));
        fed_ += static_cast<std::uint64_t>(n);
        // Whatever expat holds beyond the latest event is one unfinished token.
        if (fed_ - std::min(fed_, lastEvent_) > kMaxToken) tokenTooLong();
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void XmlStream::finish() { check(XML_Parse(parser_, "", 0, XML_TRUE)); }

const char* XmlNode::attr(std::string_view local) const {
    for (const auto& [k, v] : attrs)
        if (localEquals(k, local)) return v.c_str();
    return nullptr;
}

void XmlNode::setAttr(std::string_view qualifiedName, std::string value) {
    for (auto& [k, v] : attrs)
        if (k == qualifiedName) {
            v = std::move(value);
            return;
        }
    attrs.emplace_back(std::string(qualifiedName), std::move(value));
}

void XmlNode::removeAttr(std::string_view local) {
    std::erase_if(attrs, [&](const auto& kv) { return localEquals(kv.first, local); });
}

std::string_view XmlNode::local() const {
    std::string_view n = name;
    auto colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const XmlNode* XmlNode::child(std::string_view l) const {
    for (const XmlNode& c : children)
        if (!c.name.empty() && c.local() == l) return &c;
    return nullptr;
}

XmlNode* XmlNode::child(std::string_view l) {
    for (XmlNode& c : children)
        if (!c.name.empty() && c.local() == l) return &c;
    return nullptr;
}

std::string XmlNode::textContent() const {
    std::string out;
    for (const XmlNode& c : children)
        if (c.name.empty()) out += c.text;
    return out;
}

void XmlTreeBuilder::start(const char* name, const char** attrs) {
    XmlNode* node;
    if (stack_.empty()) {
        root_ = XmlNode{};
        node = &root_;
    } else {
        node = &stack_.back()->children.emplace_back();
    }
    node->name = name;
    for (int i = 0; attrs[i]; i += 2) node->attrs.emplace_back(attrs[i], attrs[i + 1]);
    stack_.push_back(node);
}

void XmlTreeBuilder::text(const char* s, int len) {
    if (stack_.empty()) return;
    auto& kids = stack_.back()->children;
    if (kids.empty() || !kids.back().name.empty()) kids.emplace_back();
    kids.back().text.append(s, static_cast<std::size_t>(len));
}

bool XmlTreeBuilder::end() {
    if (stack_.empty()) return true;
    stack_.pop_back();
    return stack_.empty();
}

namespace {

class TreeParser : public XmlStream {
public:
    using XmlStream::XmlStream;
    XmlNode result() { return builder_.take(); }
    bool sawRoot() const { return sawRoot_; }

protected:
    void onStart(const char* name, const char** attrs) override {
        sawRoot_ = true;
        builder_.start(name, attrs);
    }
    void onEnd(const char*) override { builder_.end(); }
    void onText(const char* s, int len) override { builder_.text(s, len); }

private:
    XmlTreeBuilder builder_;
    bool sawRoot_ = false;
};

}  // namespace

bool isTrueValue(const char* v) { return v && (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0); }

namespace {

template <typename T>
T numberAttr(const XmlNode& n, std::string_view name, T fallback) {
    const char* v = n.attr(name);
    if (!v) return fallback;
    T out = fallback;
    std::from_chars(v, v + std::strlen(v), out);
    return out;
}

}  // namespace

int intAttr(const XmlNode& n, std::string_view name, int fallback) { return numberAttr(n, name, fallback); }

double doubleAttr(const XmlNode& n, std::string_view name, double fallback) { return numberAttr(n, name, fallback); }

std::string strAttr(const XmlNode& n, std::string_view name) {
    const char* v = n.attr(name);
    return v ? v : "";
}

XmlNode parseXmlTree(std::string_view doc, const std::string& partName) {
    TreeParser p(partName);
    p.parseAll(doc);
    if (!p.sawRoot()) throw AutomationError(errc::kBadFile, "部件“" + partName + "”是空的，文件已损坏。");
    return p.result();
}

namespace {

// Escapes for element content; attribute values also escape the quote, LF and tab so that
// they survive attribute-value normalisation.
void appendEscaped(std::string& out, std::string_view text, bool attr) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* rep = nullptr;
        switch (text[i]) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '\r': rep = "&#13;"; break;
        case '"': if (!attr) continue; rep = "&quot;"; break;
        case '\n': if (!attr) continue; rep = "&#10;"; break;
        case '\t': if (!attr) continue; rep = "&#9;"; break;
        default: continue;
        }
        out.append(text.data() + start, i - start);
        out += rep;
        start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
}

}  // namespace

void appendEscapedText(std::string& out, std::string_view text) { appendEscaped(out, text, false); }

void appendEscapedAttr(std::string& out, std::string_view text) { appendEscaped(out, text, true); }

void writeStartTag(std::string& out, const XmlNode& node, bool selfClose) {
    out += '<';
    out += node.name;
    for (const auto& [k, v] : node.attrs) {
        out += ' ';
        out += k;
        out += "=\"";
        appendEscapedAttr(out, v);
        out += '"';
    }
    out += selfClose ? "/>" : ">";
}

void writeXmlNode(std::string& out, const XmlNode& node) {
    if (node.name.empty()) {
        appendEscapedText(out, node.text);
        return;
    }
    if (node.children.empty()) {
        writeStartTag(out, node, true);
        return;
    }
    writeStartTag(out, node, false);
    for (const XmlNode& c : node.children) writeXmlNode(out, c);
    out += "</";
    out += node.name;
    out += '>';
}

std::string decodeOoxmlEscapes(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        int v = escapeAt(text, i);
        if (v < 0) {
            out += text[i++];
            continue;
        }
        std::uint32_t cp = static_cast<std::uint32_t>(v);
        i += 7;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            int low = escapeAt(text, i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00);
                i += 7;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

void appendOoxmlEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            static const char* hex = "0123456789ABCDEF";
            out += "_x00";
            out += hex[c >> 4];
            out += hex[c & 15];
            out += '_';
            continue;
        }
        // A literal "_xHHHH_" must not be read back as an escape.
        if (c == '_' && escapeAt(text, i) >= 0) {
            out += "_x005F_";
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break;
        default: out += static_cast<char>(c);
        }
    }
}

}  // namespace lorvane::sheet
