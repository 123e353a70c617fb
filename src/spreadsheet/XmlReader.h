#pragma once
// Streaming XML through expat, refusing DTDs so that entity expansion cannot blow up, plus a
// small element tree for the parts kept as they were and the escaping used when writing.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/AutomationError.h"

struct XML_ParserStruct;

namespace lorvane::sheet {

// The local part of a prefixed name: "x:c" -> "c". SpreadsheetML is written with and without prefixes.
inline std::string_view localName(const char* name) {
    // Names are a few bytes long: one pass beats strlen and find, and this runs for every element.
    const char* local = name;
    const char* p = name;
    for (; *p; ++p)
        if (*p == ':' && local == name) local = p + 1;
    return {local, static_cast<std::size_t>(p - local)};
}

// The value of an attribute in expat's name/value array, or nullptr.
const char* findAttr(const char** attrs, std::string_view local);

// The errors of the XML readers, worded alike whichever parser found them.
AutomationError xmlFormatError(const std::string& part, std::uint64_t line, std::string_view what);
AutomationError xmlTokenTooLongError(const std::string& part, std::size_t maxToken);
AutomationError xmlNestingError(const std::string& part);
AutomationError xmlDoctypeError(const std::string& part);

// What a reader of an XML part sees of its parser, whichever it is (expat for most parts, the
// worksheet scanner for sheets): the part fed in chunks, element and text events, the limits.
// Handlers may throw: the exception comes out of feed()/finish().
//
// No single token (comment, tag with its attributes, processing instruction, text, whitespace)
// may exceed kMaxToken bytes: expat rescans an unfinished token each time more input arrives,
// so one token of a gigabyte would take minutes and grow its buffer without end. No real
// workbook comes near the limit (a cell holds at most 32,767 characters).
class XmlEventParser {
public:
    static constexpr std::size_t kMaxToken = 16u << 20;
    // Kept elements are trees handled recursively: absurd nesting is refused, not followed.
    static constexpr int kMaxDepth = 256;

    explicit XmlEventParser(std::string partName) : part_(std::move(partName)) {}
    virtual ~XmlEventParser() = default;
    XmlEventParser(const XmlEventParser&) = delete;
    XmlEventParser& operator=(const XmlEventParser&) = delete;

    virtual void feed(const char* data, std::size_t size) = 0;
    virtual void finish() = 0;
    // Parses a whole document held in memory.
    void parseAll(std::string_view doc) {
        feed(doc.data(), doc.size());
        finish();
    }

protected:
    virtual void onStart(const char* name, const char** attrs) = 0;
    virtual void onEnd(const char* name) = 0;
    virtual void onText(const char* text, int len) = 0;
    const std::string& partName() const { return part_; }

private:
    std::string part_;
};

// The expat parser.
class XmlStream : public XmlEventParser {
public:
    explicit XmlStream(std::string partName);
    ~XmlStream() override;

    void feed(const char* data, std::size_t size) override;
    void finish() override;

private:
    static void startHandler(void* self, const char* name, const char** attrs);
    static void endHandler(void* self, const char* name);
    static void textHandler(void* self, const char* s, int len);
    static void doctypeHandler(void* self, const char*, const char*, const char*, int);
    static void entityHandler(void* self, const char*, int, const char*, int, const char*, const char*, const char*, const char*);
    void stop(std::exception_ptr e);
    void check(int status);
    void noteEvent();
    [[noreturn]] void tokenTooLong() const;

    XML_ParserStruct* parser_;
    std::exception_ptr error_;
    int depth_ = 0;
    std::uint64_t fed_ = 0;        // bytes handed to expat so far
    std::uint64_t lastEvent_ = 0;  // where the latest reported event began
    std::size_t textRun_ = 0;      // bytes of text since the latest tag
};

// An element as written: name with its prefix, attributes in order, children (elements and text).
// A node with an empty name is a text node.
struct XmlNode {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attrs;
    std::vector<XmlNode> children;
    std::string text;

    const char* attr(std::string_view local) const;
    void setAttr(std::string_view qualifiedName, std::string value);
    void removeAttr(std::string_view local);
    std::string_view local() const;
    const XmlNode* child(std::string_view local) const;
    XmlNode* child(std::string_view local);
    // The concatenated text of this element's text children.
    std::string textContent() const;
};

// Builds a tree from SAX events; used by readers that keep some elements whole.
class XmlTreeBuilder {
public:
    void start(const char* name, const char** attrs);
    void text(const char* s, int len);
    // True when the element closed was the root of the capture.
    bool end();
    bool active() const { return !stack_.empty(); }
    XmlNode take() { return std::move(root_); }

private:
    XmlNode root_;
    std::vector<XmlNode*> stack_;
};

// Attribute values: an xsd:boolean that is true ("1", "true"); a number, or `fallback` when
// missing or not one; a text, "" when missing.
bool isTrueValue(const char* v);
int intAttr(const XmlNode& n, std::string_view name, int fallback);
double doubleAttr(const XmlNode& n, std::string_view name, double fallback);
std::string strAttr(const XmlNode& n, std::string_view name);

// Parses a small part into a tree (the root element).
XmlNode parseXmlTree(std::string_view doc, const std::string& partName);

// Appends text escaped for element content / attribute values.
void appendEscapedText(std::string& out, std::string_view text);
void appendEscapedAttr(std::string& out, std::string_view text);
// Appends the node as XML.
void writeXmlNode(std::string& out, const XmlNode& node);
void writeStartTag(std::string& out, const XmlNode& node, bool selfClose);

// "_x000D_" escapes of SpreadsheetML strings.
std::string decodeOoxmlEscapes(std::string_view text);
void appendOoxmlEscaped(std::string& out, std::string_view text);

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace lorvane::sheet
