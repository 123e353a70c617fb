// The worksheet scanner against expat: the same events on real and made-up sheets however the
// input is cut into chunks, and the same refusals of what is not well-formed.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AutomationError.h"
#include "spreadsheet/SheetXmlScanner.h"
#include "spreadsheet/XmlReader.h"
#include "spreadsheet/ZipArchive.h"
#include "support/Corpus.h"

using namespace lorvane;
using namespace lorvane::sheet;

namespace {

// Events as one line each; consecutive texts joined, since either parser may split them.
template <typename Parser>
class Recorder : public Parser {
public:
    Recorder() : Parser("xl/worksheets/sheet1.xml") {}
    std::vector<std::string> events;
    std::vector<std::string> textPieces;

protected:
    void onStart(const char* name, const char** attrs) override {
        std::string e = std::string("<") + name;
        for (int i = 0; attrs[i]; i += 2) e += std::string(" ") + attrs[i] + "=[" + attrs[i + 1] + "]";
        events.push_back(e);
    }
    void onEnd(const char* name) override { events.push_back(std::string("/") + name); }
    void onText(const char* s, int len) override {
        textPieces.emplace_back(s, static_cast<std::size_t>(len));
        if (events.empty() || events.back()[0] != '#') events.emplace_back("#");
        events.back().append(s, static_cast<std::size_t>(len));
    }
};

enum class Cut { Whole, Bytes, Random };

template <typename Parser>
std::vector<std::string> eventsOf(std::string_view doc, Cut cut, unsigned seed = 1) {
    Recorder<Parser> r;
    std::mt19937 rng(seed);
    std::size_t at = 0;
    while (at < doc.size()) {
        std::size_t n = cut == Cut::Whole ? doc.size() : cut == Cut::Bytes ? 1 : 1 + rng() % 300;
        n = std::min(n, doc.size() - at);
        r.feed(doc.data() + at, n);
        at += n;
    }
    r.finish();
    return r.events;
}

// The message of the refusal, "" when the document was accepted.
template <typename Parser>
std::string refusal(std::string_view doc, Cut cut = Cut::Whole) {
    try {
        eventsOf<Parser>(doc, cut);
    } catch (const AutomationError& e) {
        return e.description();
    }
    return "";
}

void expectSameEvents(const std::string& doc, const std::string& what) {
    std::vector<std::string> expected;
    try {
        expected = eventsOf<XmlStream>(doc, Cut::Whole);
    } catch (const AutomationError&) {
        EXPECT_NE(refusal<XmlScanner>(doc), "") << what << ": expat refuses it";
        return;
    }
    EXPECT_EQ(eventsOf<XmlScanner>(doc, Cut::Whole), expected) << what << " (whole)";
    EXPECT_EQ(eventsOf<XmlScanner>(doc, Cut::Bytes), expected) << what << " (1-byte chunks)";
    for (unsigned seed = 1; seed <= 3; ++seed)
        EXPECT_EQ(eventsOf<XmlScanner>(doc, Cut::Random, seed), expected) << what << " (random chunks " << seed << ")";
}

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace

TEST(SheetXmlScanner, MadeUpSheetsGiveExpatsEvents) {
    const std::vector<std::string> docs = {
        "<a/>",
        "\xEF\xBB\xBF<a/>",
        kDecl + "<worksheet xmlns=\"x\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>12</v></c></row></sheetData></worksheet>",
        "<x:worksheet xmlns:x='u'>\r\n  <x:sheetData >\r\n <x:row r = '1' ><x:c r=\"A1\"/></x:row></x:sheetData></x:worksheet >",
        "<a b=\"&lt;&gt;&amp;&apos;&quot;\" c='&#65;&#x42;&#x4e2d;&#128512;' d=\"\t1\r\n2\r3\n\" e=\"&#9;&#10;&#13;\"/>",
        "<a>x &lt; y &#x20AC; &#38;amp; \r\n line\rtwo ]] > ] </a>",
        "<a><![CDATA[<not markup> & ]] \r\n]]>tail<![CDATA[]]></a>",
        "<!-- first --><?pi some data?><a><!-- in - side --><?target?>t<b/></a><!-- after -->\n<?end?>\n",
        "<a>中文 ü € 😀 <名前 属性=\"値\">テキスト</名前></a>",
        "<a>\n  <b>  </b>\n\t<c/>\n</a>",
        "<a b='\"' c=\"'\">&quot;&apos;</a>",
        "<a>" + std::string(100000, 'x') + "&amp;" + std::string(70000, 'y') + "</a>",
        "<a " + [] {
            std::string s;
            for (int i = 0; i < 40; ++i) s += "k" + std::to_string(i) + "=\"" + std::to_string(i) + "\" ";
            return s;
        }() + "/>",
    };
    for (std::size_t i = 0; i < docs.size(); ++i) expectSameEvents(docs[i], "document " + std::to_string(i));
}

TEST(SheetXmlScanner, CorpusWorksheetsGiveExpatsEvents) {
    LORVANE_SKIP_WITHOUT_CORPUS();
    int parts = 0;
    for (const auto& file : lorvane::testing::corpusFilesIn("xlsx")) {
        std::unique_ptr<ZipReader> zip;
        try {
            zip = std::make_unique<ZipReader>(file.string(), file.filename().string());
        } catch (const AutomationError&) {
            continue;  // not a package the engine opens at all
        }
        for (const std::string& name : zip->names()) {
            if (name.rfind("xl/worksheets/", 0) != 0 || name.size() < 4 || name.substr(name.size() - 4) != ".xml") continue;
            std::string xml;
            try {
                xml = zip->read(name);
            } catch (const AutomationError&) {
                continue;
            }
            expectSameEvents(xml, file.filename().string() + ":" + name);
            ++parts;
        }
    }
    EXPECT_GT(parts, 50);
}

TEST(SheetXmlScanner, CellValuesComeInOnePiece) {
    Recorder<XmlScanner> r;
    r.parseAll("<c><v>123</v><v>4&amp;5</v><is><t>a\r\nb</t></is></c>");
    EXPECT_EQ(r.textPieces, (std::vector<std::string>{"123", "4&5", "a\nb"}));
}

TEST(SheetXmlScanner, RefusesWhatExpatRefuses) {
    const char* bad[] = {
        "",                                   // no root
        "   \n",                              // only white space
        "<a>",                                // unclosed
        "<a><b></a></b>",                     // mismatched
        "<a></b>",
        "<a/><b/>",                           // a second root
        "<a/>text",                           // text after the root
        "<a/>&amp;",
        "text<a/>",                           // text before the root
        "<a/></a>",
        "<a b=1/>",                           // unquoted
        "<a b/>",                             // no '='
        "<a b=\"1\"c=\"2\"/>",                // no space between attributes
        "<a b=\"x<y\"/>",                     // '<' in a value
        "<a b=\"1\" b=\"2\"/>",               // duplicate
        "<a b=\"1/>",                         // unterminated value
        "<a>&nbsp;</a>",                      // unknown entity
        "<a>&amp</a>",                        // unterminated reference
        "<a>& b</a>",
        "<a>&#0;</a>",                        // not an XML character
        "<a>&#xD800;</a>",
        "<a>&#x110000;</a>",
        "<a>&#12a;</a>",
        "<a>&#;</a>",
        "<a b=\"&foo;\"/>",
        "<a>\xC3</a>",                        // cut-off UTF-8
        "<a>\xC0\xAF</a>",                    // overlong
        "<a>\xED\xA0\x80</a>",                // surrogate
        "<a>\xEF\xBF\xBE</a>",                // U+FFFE
        "<a>\xF5\x80\x80\x80</a>",
        "<a>\xFF</a>",
        "<a b=\"\xC3\x28\"/>",
        "<a>\x01</a>",                        // control characters
        "<a b=\"\x1F\"/>",
        "<!-- \x02 --><a/>",
        "<a>]]></a>",                         // "]]>" in text
        "<a><!-- a -- b --></a>",             // "--" in a comment
        "<a><!-- a ---></a>",
        "<1a/>",                              // bad names
        "<a 1b=\"\"/>",
        "<a-b><-c/></a-b>",
        "<a\xC3\x97/>",                       // U+00D7 is no name character
        "< a/>",
        "<a></ a>",
        "<a><!x></a>",
        "<a><![CDATA[x]]</a>",               // unclosed CDATA
        "<![CDATA[x]]><a/>",                  // CDATA outside the root
        "<a><?xml version=\"1.0\"?></a>",     // declaration not at the start
        " <?xml version=\"1.0\"?><a/>",
        "<?xml encoding=\"UTF-8\"?><a/>",     // malformed declaration
        "<?xml version=\"1.0\" standalone=\"maybe\"?><a/>",
        "<?xml version=\"1.0\" ?><a/><?xml version=\"1.0\"?>",
        "<a><?pi?x></a>",
        "<a",                                 // unclosed token
        "<a b=\"",
        "<a><!-- x",
        "<a>x</a",
    };
    for (const char* doc : bad) {
        SCOPED_TRACE(std::string("document: ") + doc);
        ASSERT_NE(refusal<XmlStream>(doc), "") << "expat accepts it: the case is wrong";
        for (Cut cut : {Cut::Whole, Cut::Bytes, Cut::Random}) {
            std::string msg = refusal<XmlScanner>(doc, cut);
            EXPECT_NE(msg.find("”的 XML 格式错误（第 "), std::string::npos) << msg;
            EXPECT_NE(msg.find("），文件已损坏。"), std::string::npos) << msg;
        }
    }
}

TEST(SheetXmlScanner, ErrorsNameTheLineExpatNames) {
    for (std::string doc : {std::string("<a>\n<b>\n\n</c>\n</a>"), std::string("<a>\r\n x\r\n &bad;</a>"), "<a>\n\n" + std::string(300000, 'x') + "\n<b c=\"1\" c=\"2\"/></a>"}) {
        std::string expat = refusal<XmlStream>(doc);
        std::string line = expat.substr(expat.find("（第 "), expat.find(" 行") - expat.find("（第 "));
        for (Cut cut : {Cut::Whole, Cut::Bytes, Cut::Random})
            EXPECT_NE(refusal<XmlScanner>(doc, cut).find(line), std::string::npos) << expat;
    }
}

TEST(SheetXmlScanner, RefusesDtdsTooLongTokensAndDeepNestingAsExpatDoes) {
    const std::string cases[] = {
        "<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>",
        "<!DOCTYPE a><a/>",
        "<a><!--" + std::string(XmlStream::kMaxToken + 10, 'x') + "--></a>",
        "<a b=\"" + std::string(XmlStream::kMaxToken + 10, 'x') + "\"/>",
        "<a>" + std::string(XmlStream::kMaxToken + 10, 'x') + "</a>",
        [] {
            std::string s;
            for (int i = 0; i < XmlStream::kMaxDepth + 1; ++i) s += "<e>";
            return s;
        }(),
    };
    for (const std::string& doc : cases) {
        std::string expat = refusal<XmlStream>(doc);
        ASSERT_EQ(expat.find("XML 格式错误"), std::string::npos) << expat;
        EXPECT_EQ(refusal<XmlScanner>(doc), expat);
        EXPECT_EQ(refusal<XmlScanner>(doc, Cut::Random), expat);
    }
    std::string deepest;
    for (int i = 0; i < XmlStream::kMaxDepth; ++i) deepest += "<e>";
    for (int i = 0; i < XmlStream::kMaxDepth; ++i) deepest += "</e>";
    EXPECT_EQ(refusal<XmlScanner>(deepest), "");
}

TEST(SheetXmlScanner, HandlerExceptionsLeaveFeed) {
    struct Throwing : XmlScanner {
        Throwing() : XmlScanner("p") {}
        void onStart(const char* name, const char**) override {
            if (std::string_view(name) == "c") throw std::runtime_error("stop");
        }
        void onEnd(const char*) override {}
        void onText(const char*, int) override {}
    } t;
    EXPECT_THROW(t.parseAll("<a><b/><c/></a>"), std::runtime_error);
}
