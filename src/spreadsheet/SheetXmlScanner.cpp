#include "spreadsheet/SheetXmlScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lorvane::sheet {

namespace {

// expat's wording, so that a damaged sheet is described the same whichever parser read it.
constexpr const char* kInvalidToken = "not well-formed (invalid token)";
constexpr const char* kSyntax = "syntax error";
constexpr const char* kUnclosedToken = "unclosed token";
constexpr const char* kPartialChar = "partial character";
constexpr const char* kNoElements = "no element found";
constexpr const char* kMismatch = "mismatched tag";
constexpr const char* kDuplicate = "duplicate attribute";
constexpr const char* kJunk = "junk after document element";
constexpr const char* kUndefinedEntity = "undefined entity";
constexpr const char* kBadCharRef = "reference to invalid character number";
constexpr const char* kMisplacedDecl = "XML or text declaration not at start of entity";
constexpr const char* kBadDecl = "XML declaration not well-formed";

constexpr std::size_t kPiece = 256u << 10;  // parsed at a time: stays in cache, and tokens over the cap show soon
constexpr std::size_t kCarry = 64u << 10;   // an unfinished text up to this size waits to come whole

using Table = std::array<bool, 256>;

// Bytes the text loop must look at: markup, references, CR (line ends), ']' ("]]>"), controls, non-ASCII.
constexpr Table kTextStop = [] {
    Table t{};
    for (int c = 0; c < 256; ++c) t[c] = c >= 0x80 || (c < 0x20 && c != '\t' && c != '\n') || c == '<' || c == '&' || c == '\r' || c == ']';
    return t;
}();
// The same for attribute values: quotes end them, tab/CR/LF become spaces.
constexpr Table kAttrStop = [] {
    Table t{};
    for (int c = 0; c < 256; ++c) t[c] = c >= 0x80 || c < 0x20 || c == '<' || c == '&' || c == '"' || c == '\'';
    return t;
}();
constexpr Table kNameStart = [] {
    Table t{};
    for (int c = 0; c < 128; ++c) t[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    return t;
}();
constexpr Table kNameChar = [] {
    Table t = kNameStart;
    for (int c = '0'; c <= '9'; ++c) t[c] = true;
    t['-'] = t['.'] = true;
    return t;
}();

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

bool isXmlChar(std::uint32_t cp) {
    return cp >= 0x20 ? (cp <= 0xD7FF || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF))
                      : (cp == 0x9 || cp == 0xA || cp == 0xD);
}

bool nameStartCp(std::uint32_t c) {
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool nameCp(std::uint32_t c) {
    return nameStartCp(c) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// The UTF-8 sequence of an XML character at p (non-ASCII): its length, 0 when cut off by e, -1 when invalid.
int utf8Char(const char* p, const char* e, std::uint32_t& cp) {
    auto c = static_cast<unsigned char>(*p);
    int n;
    if (c < 0xC2) return -1;
    if (c < 0xE0) n = 2, cp = c & 0x1F;
    else if (c < 0xF0) n = 3, cp = c & 0x0F;
    else if (c < 0xF5) n = 4, cp = c & 0x07;
    else return -1;
    for (int i = 1; i < n; ++i) {
        if (p + i >= e) return 0;
        auto b = static_cast<unsigned char>(p[i]);
        if ((b & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || !isXmlChar(cp)) return -1;
    return n;
}

char* putUtf8(char* w, std::uint32_t cp) {
    if (cp < 0x80) {
        *w++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *w++ = static_cast<char>(0xC0 | (cp >> 6));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *w++ = static_cast<char>(0xE0 | (cp >> 12));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *w++ = static_cast<char>(0xF0 | (cp >> 18));
        *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return w;
}

// The name at p: the byte after it; p when none starts there; e when it may go on past e.
char* scanName(char* p, char* e) {
    char* q = p;
    while (q < e) {
        auto c = static_cast<unsigned char>(*q);
        if (c < 0x80) {
            if (!(q == p ? kNameStart[c] : kNameChar[c])) return q;
            ++q;
            continue;
        }
        std::uint32_t cp = 0;
        int n = utf8Char(q, e, cp);
        if (n == 0) return e;
        if (n < 0 || !(q == p ? nameStartCp(cp) : nameCp(cp))) return q;
        q += n;
    }
    return e;
}

// The reference at p ('&'): its length with the character in cp; 0 when cut off by e; or an error.
int reference(const char* p, const char* e, std::uint32_t& cp, const char*& error) {
    const char* q = p + 1;
    if (q < e && *q == '#') {
        ++q;
        bool hex = q < e && *q == 'x';
        if (hex) ++q;
        const char* digits = q;
        std::uint32_t v = 0;
        for (;; ++q) {
            if (q == e) return 0;
            int d = *q >= '0' && *q <= '9' ? *q - '0'
                    : hex && *q >= 'a' && *q <= 'f' ? *q - 'a' + 10
                    : hex && *q >= 'A' && *q <= 'F' ? *q - 'A' + 10 : -1;
            if (d < 0) break;
            v = std::min<std::uint32_t>(v * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), 0x110000);
        }
        if (q == digits || *q != ';') return error = kInvalidToken, -1;
        if (!isXmlChar(v)) return error = kBadCharRef, -1;
        cp = v;
        return static_cast<int>(q + 1 - p);
    }
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'}};
    std::string_view rest(q, static_cast<std::size_t>(e - q));
    for (const auto& [name, c] : kNamed) {
        if (rest.substr(0, name.size()) == name) {
            cp = static_cast<unsigned char>(c);
            return static_cast<int>(name.size() + 1);
        }
        if (rest.size() < name.size() && name.substr(0, rest.size()) == rest) return 0;
    }
    return error = q < e && kNameStart[static_cast<unsigned char>(*q)] ? kUndefinedEntity : kInvalidToken, -1;
}

// Sheet parts have few line feeds, if any: memchr skips to them.
std::uint64_t lineFeeds(const char* p, const char* e) {
    std::uint64_t n = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(e - p))))) ++n, ++p;
    return n;
}

}  // namespace

XmlScanner::XmlScanner(std::string partName) : XmlEventParser(std::move(partName)) {
    buf_.reserve(kPiece + 4096);
    attrs_.reserve(32);
}

XmlScanner::~XmlScanner() = default;

void XmlScanner::feed(const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t n = std::min(size, kPiece);
        buf_.insert(buf_.end(), data, data + n);
        lines_ += lineFeeds(data, data + n);
        scan(false);
        compact();
        data += n;
        size -= n;
    }
}

void XmlScanner::finish() {
    scan(true);
    char* end = buf_.data() + buf_.size();
    if (!rootSeen_ || !openEnds_.empty()) fail(end, kNoElements);
}

// Drops what is done with; only the unfinished token moves.
void XmlScanner::compact() {
    dropped_ += pos_;
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
    waitFrom_ = waitFrom_ > pos_ ? waitFrom_ - pos_ : 0;
    pos_ = 0;
}

// Counted back from the end: what lies before `at` may have been decoded in place, what
// follows it is as it came.
void XmlScanner::fail(const char* at, const char* what) const {
    const char* end = buf_.data() + buf_.size();
    throw xmlFormatError(partName(), lines_ - lineFeeds(at, end) + 1, what);
}

void XmlScanner::emitText(const char* s, std::size_t n) {
    if (n == 0) return;
    // As with expat: text is never rescanned, so the cap is on what the handlers collect.
    textRun_ += n;
    if (textRun_ > kMaxToken) throw xmlTokenTooLongError(partName(), kMaxToken);
    onText(s, static_cast<int>(n));
}

void XmlScanner::scan(bool final) {
    char* base = buf_.data();
    char* p = base + pos_;
    char* end = base + buf_.size();
    // An unfinished token is not rescanned until what it waits for has come.
    if (waitFor_ && !final) {
        bool smallText = waitFor_ == '<' && buf_.size() - pos_ < kCarry;
        if ((waitFor_ == '>' || smallText) && !std::memchr(base + waitFrom_, waitFor_, buf_.size() - waitFrom_)) {
            if (buf_.size() - pos_ > kMaxToken) throw xmlTokenTooLongError(partName(), kMaxToken);
            waitFrom_ = buf_.size();
            return;
        }
    }
    waitFor_ = 0;
    if (!started_) {
        if (end - p < 3 && !final) return;
        if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
        started_ = true;
        declAt_ = dropped_ + static_cast<std::uint64_t>(p - base);
    }
    while (p < end) {
        Step s;
        if (*p == '<') {
            s = markup(p, end, final);
        } else if (!openEnds_.empty()) {
            s = text(p, end, final);
        } else {
            // Outside the root only white space stands between the markup, and no handler sees it.
            while (p < end && isSpace(*p)) ++p;
            if (p < end && *p != '<') fail(p, rootSeen_ ? kJunk : kInvalidToken);
            s = Step::Done;
        }
        if (s == Step::More) break;
    }
    pos_ = static_cast<std::size_t>(p - base);
    if (p < end) {
        if (final) fail(p, kUnclosedToken);
        if (buf_.size() - pos_ > kMaxToken) throw xmlTokenTooLongError(partName(), kMaxToken);
    }
}

XmlScanner::Step XmlScanner::text(char*& p, char* end, bool final) {
    char* start = p;
    char* w = p;  // decoded text is written over the source, which it never outgrows
    for (;;) {
        char* seg = p;
        while (p < end && !kTextStop[static_cast<unsigned char>(*p)]) ++p;
        if (w != seg) std::memmove(w, seg, static_cast<std::size_t>(p - seg));
        w += p - seg;
        if (p == end) break;
        auto c = static_cast<unsigned char>(*p);
        if (c == '<') {
            emitText(start, static_cast<std::size_t>(w - start));
            return Step::Done;
        }
        if (c == '&') {
            std::uint32_t cp = 0;
            const char* error = nullptr;
            int n = reference(p, end, cp, error);
            if (n < 0) fail(p, error);
            if (n == 0) break;
            w = putUtf8(w, cp);
            p += n;
        } else if (c == '\r') {
            if (p + 1 == end && !final) break;
            *w++ = '\n';
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
        } else if (c == ']') {
            if (end - p < 3 && !final && (p + 1 == end || p[1] == ']')) break;
            if (end - p >= 3 && p[1] == ']' && p[2] == '>') fail(p, kInvalidToken);
            *w++ = *p++;
        } else if (c >= 0x80) {
            std::uint32_t cp = 0;
            int n = utf8Char(p, end, cp);
            if (n < 0) fail(p, kInvalidToken);
            if (n == 0) {
                if (final) fail(p, kPartialChar);
                break;
            }
            std::memmove(w, p, static_cast<std::size_t>(n));
            w += n;
            p += n;
        } else {
            fail(p, kInvalidToken);
        }
    }
    // The buffer ends inside the text (or inside a reference or character of it).
    if (final && p < end) fail(p, kUnclosedToken);
    if (!final && w == p && p - start < static_cast<std::ptrdiff_t>(kCarry)) {
        // Untouched so far: keep it whole for the next chunk.
        if (p == end) {
            waitFor_ = '<';
            waitFrom_ = buf_.size();
        }
        p = start;
        return Step::More;
    }
    emitText(start, static_cast<std::size_t>(w - start));
    return p == end ? Step::Done : Step::More;
}

XmlScanner::Step XmlScanner::markup(char*& p, char* end, bool final) {
    Step s = Step::More;
    std::string_view rest(p, static_cast<std::size_t>(end - p));
    // Whether `rest` is `word` or may still become it.
    auto startsWith = [&](std::string_view word, bool& maybe) {
        maybe = rest.size() < word.size() && word.substr(0, rest.size()) == rest;
        return rest.substr(0, word.size()) == word;
    };
    bool maybe = false;
    if (rest.size() < 2) {
        s = Step::More;
    } else if (p[1] == '/') {
        s = endTag(p, end);
    } else if (p[1] == '?') {
        s = pi(p, end);
    } else if (p[1] != '!') {
        if (rootSeen_ && openEnds_.empty()) fail(p, kJunk);
        s = startTag(p, end);
    } else if (startsWith("<!--", maybe)) {
        s = comment(p, end);
    } else if (!maybe && startsWith("<![CDATA[", maybe)) {
        if (openEnds_.empty()) fail(p, kInvalidToken);
        s = cdata(p, end);
    } else if (!maybe && startsWith("<!DOCTYPE", maybe)) {
        if (rootSeen_) fail(p, kSyntax);
        throw xmlDoctypeError(partName());
    } else if (!maybe) {
        fail(p, kInvalidToken);
    }
    if (s == Step::More) {
        if (final) fail(p, kUnclosedToken);
        waitFor_ = '>';
        waitFrom_ = buf_.size();
    }
    return s;
}

// The name that must start at `at`: the byte after it, or null when the buffer may end inside it.
char* XmlScanner::requiredName(char* at, char* end) const {
    char* q = scanName(at, end);
    if (q == end) return nullptr;
    if (q == at) fail(q, kInvalidToken);
    return q;
}

XmlScanner::Step XmlScanner::startTag(char*& p, char* end) {
    char* name = p + 1;
    char* q = requiredName(name, end);
    if (!q) return Step::More;
    char* nameEnd = q;
    spans_.clear();
    bool selfClose = false;
    for (;;) {
        bool space = false;
        while (q < end && isSpace(*q)) ++q, space = true;
        if (q == end) return Step::More;
        if (*q == '>') break;
        if (*q == '/') {
            if (q + 1 == end) return Step::More;
            if (q[1] != '>') fail(q, kInvalidToken);
            selfClose = true;
            ++q;
            break;
        }
        if (!space) fail(q, kInvalidToken);
        // Filled in place: a span built aside and copied in costs a store-forwarding stall per attribute.
        AttrSpan& a = spans_.emplace_back();
        a.name = q;
        a.decode = false;
        q = requiredName(q, end);
        if (!q) return Step::More;
        a.nameEnd = q;
        while (q < end && isSpace(*q)) ++q;
        if (q == end) return Step::More;
        if (*q != '=') fail(q, kInvalidToken);
        ++q;
        while (q < end && isSpace(*q)) ++q;
        if (q == end) return Step::More;
        char quote = *q;
        if (quote != '"' && quote != '\'') fail(q, kInvalidToken);
        a.value = ++q;
        for (;;) {
            while (q < end && !kAttrStop[static_cast<unsigned char>(*q)]) ++q;
            if (q == end) return Step::More;
            auto c = static_cast<unsigned char>(*q);
            if (c == static_cast<unsigned char>(quote)) break;
            if (c == '"' || c == '\'') {
                ++q;
            } else if (c == '&') {
                std::uint32_t cp = 0;
                const char* error = nullptr;
                int n = reference(q, end, cp, error);
                if (n < 0) fail(q, error);
                if (n == 0) return Step::More;
                a.decode = true;
                q += n;
            } else if (c == '\t' || c == '\n' || c == '\r') {
                a.decode = true;
                ++q;
            } else if (c >= 0x80) {
                std::uint32_t cp = 0;
                int n = utf8Char(q, end, cp);
                if (n < 0) fail(q, kInvalidToken);
                if (n == 0) return Step::More;
                q += n;
            } else {
                fail(q, kInvalidToken);  // '<' or a control character
            }
        }
        a.valueEnd = q++;
    }
    // The tag is whole: from here on it is rewritten in place.
    auto nameOf = [](const AttrSpan& a) { return std::string_view(a.name, static_cast<std::size_t>(a.nameEnd - a.name)); };
    if (spans_.size() <= 16) {
        for (std::size_t i = 1; i < spans_.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (*spans_[i].name == *spans_[j].name && nameOf(spans_[i]) == nameOf(spans_[j]))
                    fail(spans_[i].name, kDuplicate);
    } else {
        std::vector<std::string_view> names;
        for (const AttrSpan& a : spans_) names.push_back(nameOf(a));
        std::sort(names.begin(), names.end());
        auto dup = std::adjacent_find(names.begin(), names.end());
        if (dup != names.end()) fail(dup->data(), kDuplicate);
    }
    attrs_.clear();
    for (AttrSpan& a : spans_) {
        *a.nameEnd = 0;
        if (a.decode) {
            // Attribute-value normalisation: line ends and tabs become spaces, references their character.
            char* w = a.value;
            for (char* r = a.value; r < a.valueEnd;) {
                if (*r == '&') {
                    std::uint32_t cp = 0;
                    const char* error = nullptr;
                    r += reference(r, a.valueEnd + 1, cp, error);
                    w = putUtf8(w, cp);
                } else if (*r == '\r') {
                    *w++ = ' ';
                    r += r + 1 < a.valueEnd && r[1] == '\n' ? 2 : 1;
                } else {
                    *w++ = *r == '\t' || *r == '\n' ? ' ' : *r;
                    ++r;
                }
            }
            a.valueEnd = w;
        }
        *a.valueEnd = 0;
        attrs_.push_back(a.name);
        attrs_.push_back(a.value);
    }
    attrs_.push_back(nullptr);
    if (openEnds_.size() >= static_cast<std::size_t>(kMaxDepth)) throw xmlNestingError(partName());
    *nameEnd = 0;
    open_.append(name, static_cast<std::size_t>(nameEnd - name));
    openEnds_.push_back(static_cast<std::uint32_t>(open_.size()));
    rootSeen_ = true;
    textRun_ = 0;
    p = q + 1;
    onStart(name, attrs_.data());
    if (selfClose) {
        openEnds_.pop_back();
        open_.resize(openEnds_.empty() ? 0 : openEnds_.back());
        onEnd(name);
    }
    return Step::Done;
}

XmlScanner::Step XmlScanner::endTag(char*& p, char* end) {
    char* name = p + 2;
    char* q = requiredName(name, end);
    if (!q) return Step::More;
    char* nameEnd = q;
    while (q < end && isSpace(*q)) ++q;
    if (q == end) return Step::More;
    if (*q != '>') fail(q, kInvalidToken);
    if (openEnds_.empty()) fail(p, rootSeen_ ? kJunk : kInvalidToken);
    std::size_t from = openEnds_.size() > 1 ? openEnds_[openEnds_.size() - 2] : 0;
    if (std::string_view(open_).substr(from) != std::string_view(name, static_cast<std::size_t>(nameEnd - name)))
        fail(p, kMismatch);
    openEnds_.pop_back();
    open_.resize(from);
    *nameEnd = 0;
    textRun_ = 0;
    p = q + 1;
    onEnd(name);
    return Step::Done;
}

namespace {

// Checks that [p, e) holds XML characters only (a comment, a processing instruction, CDATA).
const char* badChar(const char* p, const char* e) {
    while (p < e) {
        auto c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return p;
            ++p;
            continue;
        }
        std::uint32_t cp = 0;
        int n = utf8Char(p, e, cp);
        if (n <= 0) return p;
        p += n;
    }
    return nullptr;
}

}  // namespace

XmlScanner::Step XmlScanner::comment(char*& p, char* end) {
    char* q = p + 4;
    for (;;) {
        q = static_cast<char*>(std::memchr(q, '-', static_cast<std::size_t>(end - q)));
        if (!q || end - q < 3) return Step::More;
        if (q[1] == '-') break;
        ++q;
    }
    if (q[2] != '>') fail(q, kInvalidToken);  // "--" only ends a comment
    if (const char* bad = badChar(p + 4, q)) fail(bad, kInvalidToken);
    p = q + 3;
    return Step::Done;
}

XmlScanner::Step XmlScanner::cdata(char*& p, char* end) {
    char* body = p + 9;
    char* q = body;
    for (;;) {
        q = static_cast<char*>(std::memchr(q, ']', static_cast<std::size_t>(end - q)));
        if (!q || end - q < 3) return Step::More;
        if (q[1] == ']' && q[2] == '>') break;
        ++q;
    }
    if (const char* bad = badChar(body, q)) fail(bad, kInvalidToken);
    // Line ends as in text: CR LF and a lone CR become LF.
    char* w = body;
    for (char* r = body; r < q; ++r) {
        if (*r == '\r') {
            *w++ = '\n';
            if (r + 1 < q && r[1] == '\n') ++r;
        } else {
            *w++ = *r;
        }
    }
    p = q + 3;
    emitText(body, static_cast<std::size_t>(w - body));
    return Step::Done;
}

XmlScanner::Step XmlScanner::pi(char*& p, char* end) {
    char* target = p + 2;
    char* q = requiredName(target, end);
    if (!q) return Step::More;
    char* close = q;
    for (;;) {
        close = static_cast<char*>(std::memchr(close, '?', static_cast<std::size_t>(end - close)));
        if (!close || end - close < 2) return Step::More;
        if (close[1] == '>') break;
        ++close;
    }
    if (close != q && !isSpace(*q)) fail(q, kInvalidToken);
    if (const char* bad = badChar(q, close)) fail(bad, kInvalidToken);
    std::string_view t(target, static_cast<std::size_t>(q - target));
    bool reserved = t.size() == 3 && (t[0] | 0x20) == 'x' && (t[1] | 0x20) == 'm' && (t[2] | 0x20) == 'l';
    if (reserved) {
        bool atStart = dropped_ + static_cast<std::uint64_t>(p - buf_.data()) == declAt_;
        if (!atStart || t != "xml") fail(p, kMisplacedDecl);
        if (!xmlDeclOk(std::string_view(q, static_cast<std::size_t>(close - q)))) fail(p, kBadDecl);
    }
    p = close + 2;
    return Step::Done;
}

// version="1.x" [encoding="name"] [standalone="yes|no"], in that order. The encoding itself is
// not followed: parts are UTF-8, as expat is told too.
bool XmlScanner::xmlDeclOk(std::string_view s) {
    std::size_t i = 0;
    auto pseudo = [&](std::string_view key, std::string_view& value) {
        std::size_t j = i;
        if (j >= s.size() || !isSpace(s[j])) return false;
        while (j < s.size() && isSpace(s[j])) ++j;
        if (s.substr(j, key.size()) != key) return false;
        j += key.size();
        while (j < s.size() && isSpace(s[j])) ++j;
        if (j >= s.size() || s[j] != '=') return false;
        ++j;
        while (j < s.size() && isSpace(s[j])) ++j;
        if (j >= s.size() || (s[j] != '"' && s[j] != '\'')) return false;
        auto close = s.find(s[j], j + 1);
        if (close == std::string_view::npos) return false;
        value = s.substr(j + 1, close - j - 1);
        i = close + 1;
        return true;
    };
    std::string_view v;
    if (!pseudo("version", v) || v.size() < 3 || v.substr(0, 2) != "1." ||
        v.find_first_not_of("0123456789", 2) != std::string_view::npos)
        return false;
    if (pseudo("encoding", v)) {
        if (v.empty() || !kNameStart[static_cast<unsigned char>(v[0])] ||
            v.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-") != std::string_view::npos)
            return false;
    }
    if (pseudo("standalone", v) && v != "yes" && v != "no") return false;
    while (i < s.size() && isSpace(s[i])) ++i;
    return i == s.size();
}

}  // namespace lorvane::sheet
