#pragma once
// Fuzz targets for the workbook file layer. The same functions run under libFuzzer (the
// *_fuzzer.cpp entry points, built with LORVANE_FUZZ) and in the ordinary test build, where
// tests/fuzz replays the inputs that once failed.
//
// Every target reads a workbook from the input, writes what it read to a second file and reads
// that back. An AutomationError while reading the input is the expected answer to a bad file;
// anything else is a fault: another exception, a crash or sanitizer report, a hang, a workbook
// that opened but could not be saved, or a saved copy that does not read back as what was read.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lorvane::fuzz {

enum class Outcome {
    Rejected,      // the reader refused the input with an AutomationError
    RoundTripped,  // read, written and read back as it was read
    Skipped,       // a legacy .xls container: that goes to LibreOffice, not to this engine
};

// A fault shown by an input that is not an exception of the engine's own (a failed save of a
// workbook that opened, a copy that reads back differently).
class Finding : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// (a) The input is a whole file given to readWorkbookFile.
Outcome runPackage(std::string_view bytes);
// (b)-(d) The input is one part of an otherwise fixed, valid package: the worksheet, the
// styles or the shared strings. The zip is built around it, so mutations reach the XML.
Outcome runSheetXml(std::string_view xml);
Outcome runStylesXml(std::string_view xml);
Outcome runSharedStringsXml(std::string_view xml);

// The fixed package with the given parts (the defaults for the parts not fuzzed).
std::string buildPackage(std::string_view sheetXml, std::string_view stylesXml, std::string_view sharedStringsXml);
extern const std::string_view kSheetXml;
extern const std::string_view kStylesXml;
extern const std::string_view kSharedStringsXml;

// libFuzzer entry bodies: 0 for an expected outcome; a fault is printed and aborts.
int fuzzPackage(const std::uint8_t* data, std::size_t size);
int fuzzSheetXml(const std::uint8_t* data, std::size_t size);
int fuzzStylesXml(const std::uint8_t* data, std::size_t size);
int fuzzSharedStringsXml(const std::uint8_t* data, std::size_t size);

}  // namespace lorvane::fuzz
