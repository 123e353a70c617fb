#pragma once
// A streaming XML tokenizer for worksheet parts, the largest XML of a workbook. It reports the
// same events as XmlStream (names with their prefix, no namespace processing) and refuses what
// is not well-formed with the same messages, but decodes in its own buffer without per-event
// allocation. DTDs are refused outright, so only the five predefined entities exist.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/XmlReader.h"

namespace lorvane::sheet {

// Text may come in pieces; a text between two tags that fits in one buffer comes whole.
class XmlScanner : public XmlEventParser {
public:
    explicit XmlScanner(std::string partName);
    ~XmlScanner() override;

    void feed(const char* data, std::size_t size) override;
    void finish() override;

private:
    struct AttrSpan {
        char *name, *nameEnd, *value, *valueEnd;
        bool decode;  // holds a reference or a tab/CR/LF to normalise
    };
    // Done: the token was handled; More: the buffer ends inside it.
    enum class Step { Done, More };

    void scan(bool final);
    Step content(char*& p, char* end, bool final);
    Step text(char*& p, char* end, bool final);
    Step markup(char*& p, char* end, bool final);
    Step startTag(char*& p, char* end);
    Step endTag(char*& p, char* end);
    Step comment(char*& p, char* end);
    Step cdata(char*& p, char* end);
    Step pi(char*& p, char* end);
    char* requiredName(char* at, char* end) const;
    static bool xmlDeclOk(std::string_view pseudoAttrs);
    void emitText(const char* s, std::size_t n);
    void compact();
    [[noreturn]] void fail(const char* at, const char* what) const;

    std::vector<char> buf_;
    std::size_t pos_ = 0;          // bytes of buf_ done with
    std::size_t waitFrom_ = 0;     // an unfinished token needs waitFor_ at or after this offset
    char waitFor_ = 0;
    std::uint64_t lines_ = 0;      // line feeds in all the input so far
    std::uint64_t dropped_ = 0;    // bytes dropped from buf_
    bool started_ = false;         // past the byte-order mark
    std::uint64_t declAt_ = 0;     // where an XML declaration may stand
    bool rootSeen_ = false;
    std::size_t textRun_ = 0;      // text since the latest tag
    std::string open_;             // names of the open elements, one after another
    std::vector<std::uint32_t> openEnds_;
    std::vector<AttrSpan> spans_;
    std::vector<const char*> attrs_;
};

}  // namespace lorvane::sheet
