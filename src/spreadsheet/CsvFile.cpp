#include "spreadsheet/CsvFile.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include "base/AutomationError.h"
#include "base/Utf8.h"
#include "spreadsheet/ZipArchive.h"

namespace lorvane::sheet {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// Converts with iconv; a byte sequence the encoding does not know becomes U+FFFD.
std::string convertToUtf8(std::string_view bytes, const char* from) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
    std::string out;
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t done = 0;
    while (inLeft > 0) {
        char* dst = out.data() + done;
        std::size_t outLeft = out.size() - done;
        std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
        done = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {  // EILSEQ or EINVAL (cut short at the end): skip one byte
            if (out.size() - done < 3) out.resize(out.size() * 2);
            out.replace(done, 3, "\xEF\xBF\xBD");
            done += 3;
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    out.resize(done);
    return out;
}

// A field that reads as a number and keeps every digit it shows when it is one.
bool numberOf(std::string_view field, double& out) {
    std::size_t b = 0, e = field.size();
    while (b < e && field[b] == ' ') ++b;
    while (e > b && field[e - 1] == ' ') --e;
    std::string_view t = field.substr(b, e - b);
    if (t.empty() || t.size() > 40) return false;
    std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    int digits = 0, significant = 0;
    bool point = false, leading = true;
    const std::size_t intStart = i;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (c != '0') leading = false;
            if (!leading) ++significant;
        } else if (c == '.' && !point) {
            point = true;
        } else if ((c == 'e' || c == 'E') && digits > 0) {
            break;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    // "007", "0123": codes, not amounts.
    if (t.size() > intStart + 1 && t[intStart] == '0' && t[intStart + 1] != '.' && t[intStart + 1] != 'e' && t[intStart + 1] != 'E')
        return false;
    if (significant > 15) return false;
    std::string copy(t);
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE) return false;
    out = v;
    return true;
}

// Excel's sheet name rules: no []:*?/\ and at most 31 characters.
std::string sheetNameFor(const std::string& path) {
    std::string stem = fs::path(path).stem().string();
    std::string name;
    std::size_t i = 0;
    int count = 0;
    while (i < stem.size() && count < 31) {
        std::size_t start = i;
        char32_t cp = nextCodePoint(stem, i);
        if (cp == U'[' || cp == U']' || cp == U':' || cp == U'*' || cp == U'?' || cp == U'/' || cp == U'\\') continue;
        name.append(stem, start, i - start);
        ++count;
    }
    while (!name.empty() && name.front() == '\'') name.erase(0, 1);
    while (!name.empty() && name.back() == '\'') name.pop_back();
    return name.empty() ? "Sheet1" : name;
}

}  // namespace

std::string csvTextAsUtf8(std::string bytes) {
    auto starts = [&](std::string_view p) { return bytes.compare(0, p.size(), p) == 0; };
    if (starts("\xEF\xBB\xBF")) return bytes.substr(3);
    if (starts("\xFF\xFE")) return convertToUtf8(std::string_view(bytes).substr(2), "UTF-16LE");
    if (starts("\xFE\xFF")) return convertToUtf8(std::string_view(bytes).substr(2), "UTF-16BE");
    if (isValidUtf8(bytes)) return bytes;
    return convertToUtf8(bytes, "GB18030");
}

char csvSeparator(std::string_view text) {
    std::size_t commas = 0, tabs = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r')) break;
        else if (!quoted && c == ',') ++commas;
        else if (!quoted && c == '\t') ++tabs;
    }
    return tabs > commas ? '\t' : ',';
}

std::unique_ptr<BookData> readCsvFile(const std::string& path, const std::string& displayName) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) throw AutomationError(errc::kFileNotFound, "找不到文件“" + displayName + "”。");
    if (size > InflateLimits::forThisProcess().total)
        throw AutomationError(errc::kBadFile, "文件“" + displayName + "”太大，内存不足，无法打开。");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    {
        std::ifstream in(path, std::ios::binary);
        if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
            throw AutomationError(errc::kPermission, "无法读取文件“" + displayName + "”。");
    }
    std::string text = csvTextAsUtf8(std::move(bytes));
    const char sep = csvSeparator(text);

    auto book = std::make_unique<BookData>();
    auto sheet = std::make_unique<SheetData>();
    sheet->name = sheetNameFor(path);
    SheetData& s = *sheet;
    std::string field;
    int row = 1, col = 1;
    bool wasQuoted = false;
    auto put = [&] {
        if (col > kMaxColumns)
            throw AutomationError(errc::kBadFile, "文件“" + displayName + "”第 " + std::to_string(row) + " 行超过 16384 列，无法打开。");
        if (!field.empty()) {
            if (row > kMaxRows)
                throw AutomationError(errc::kBadFile, "文件“" + displayName + "”超过 1048576 行，无法作为工作表打开。");
            Cell& c = s.appendCell(row, col);
            double v;
            if (numberOf(field, v)) {  // quoted or not, as spreadsheet programs read CSV
                c.kind = CellKind::Number;
                c.number = v;
            } else {
                c.kind = CellKind::Text;
                c.text = book->strings.intern(field);
            }
        }
        field.clear();
        wasQuoted = false;
        ++col;
    };
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool any = false;
    while (i < n) {
        char c = text[i];
        if (c == '"' && field.empty() && !wasQuoted) {
            // A quoted field: doubled quotes stand for one; separators and line breaks are text.
            wasQuoted = true;
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            any = true;
            continue;
        }
        if (c == sep) {
            put();
            ++i;
            any = true;
        } else if (c == '\r' || c == '\n') {
            put();
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            ++row;
            col = 1;
            any = false;
        } else {
            field += c;
            ++i;
            any = true;
        }
    }
    if (any || !field.empty()) put();
    book->sheets.push_back(std::move(sheet));
    return book;
}

}  // namespace lorvane::sheet
