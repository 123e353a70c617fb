#include "split/SplitChecks.h"

#include <cmath>

#include "automation/CellAddress.h"
#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "shell/ColumnRef.h"
#include "shell/UiService.h"

namespace lorvane::split {

namespace {

constexpr const char* kKeyField = "拆分依据列";

// A count from a control: its leading value taken to a whole number, within [low, high].
std::optional<std::string> countFrom(std::string_view text, std::string_view field, int low, int high, int& out) {
    double v = convert::roundHalfEven(convert::leadingValue(text));
    if (!(v >= low && v <= high))
        return "您输入的" + std::string(field) + "“" + std::string(text) + "”超出范围，请输入" + std::to_string(low) + "到" +
               std::to_string(high) + "之间的数！";
    out = static_cast<int>(v);
    return std::nullopt;
}

// A bucket for a name: letters that may fold together land in the same bucket, so names that
// differ only in letter case always share one (sheetNamesEqual decides within it).
std::string bucketOf(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) len = 1;
        if (len == 1) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
        } else {
            char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
            for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            bool letterRange = cp <= 0x24F || (cp >= 0x370 && cp <= 0x52F) || (cp >= 0xFF21 && cp <= 0xFF5A);
            if (letterRange) out += '\x01';
            else out.append(s.substr(i, len));
        }
        i += len;
    }
    return out;
}

}  // namespace

std::string workbookFileName(std::string_view keyText) {
    std::string name(keyText);
    if (name.size() >= 5) {
        std::string ext = name.substr(name.size() - 5);
        for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (ext == ".xlsx") return name;
    }
    return name + ".xlsx";
}

int NameSet::insert(std::string_view text, int id) {
    if (int earlier = find(text); earlier >= 0) return earlier;
    buckets_.emplace(bucketOf(text), std::make_pair(std::string(text), id));
    return -1;
}

int NameSet::find(std::string_view text) const {
    auto [from, to] = buckets_.equal_range(bucketOf(text));
    for (auto it = from; it != to; ++it)
        if (sheetNamesEqual(it->second.first, text)) return it->second.second;
    return -1;
}

std::optional<OptionsProblem> checkSplitOptions(std::string_view sheetListText, std::string_view keyColumn,
                                                std::string_view titleRows) {
    if (sheetListText == kSheetListPrompt) return OptionsProblem{"您还未选择总表名称，请先选择总表名称！", "提示"};
    if (keyColumn.empty()) return OptionsProblem{"您未输入【拆分依据列】，请先输入！", shell::kProgramTitle};
    if (std::string m = shell::keyColumnMessage(keyColumn, kKeyField); !m.empty())
        return OptionsProblem{m, shell::kProgramTitle};
    if (std::string m = keyColumnRangeMessage(keyColumn); !m.empty()) return OptionsProblem{m, shell::kProgramTitle};
    if (titleRows.empty() || !convert::isNumeric(titleRows))
        return OptionsProblem{"您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！", "提示", true};
    return std::nullopt;
}

int keyColumnIndex(std::string_view keyColumn) {
    if (convert::isNumeric(keyColumn)) {
        double v = convert::leadingValue(keyColumn);
        if (v != std::floor(v) || v < 1 || v > kMaxColumns) return 0;
        return static_cast<int>(v);
    }
    for (char c : keyColumn)
        if (c < 'A' || c > 'Z') return 0;
    return columnNumber(keyColumn);
}

std::string keyColumnRangeMessage(std::string_view keyColumn) {
    if (keyColumnIndex(keyColumn) != 0) return {};
    return "您输入的【拆分依据列】“" + std::string(keyColumn) +
           "”不是工作表中的列：请输入1到16384之间的整数列号，或A到XFD之间的列字母！";
}

std::optional<std::string> convertLayout(const SplitRequest& r, SplitLayout& out) {
    if (r.keyColumn.empty()) return std::string("您未输入【拆分依据列】，请先输入！");
    if (std::string m = shell::keyColumnMessage(r.keyColumn, kKeyField); !m.empty()) return m;
    if (std::string m = keyColumnRangeMessage(r.keyColumn); !m.empty()) return m;
    out.keyColumn = keyColumnIndex(r.keyColumn);
    if (!convert::isNumeric(r.titleRows))
        return std::string("您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！");
    if (auto m = countFrom(r.titleRows, "标题行数", 0, kMaxRows - 1, out.titleRows)) return m;
    if (auto m = countFrom(r.maxRows, "最大行数", 0, kMaxRows, out.maxRows)) return m;
    if (auto m = countFrom(r.maxColumns, "最大列数", 0, kMaxColumns, out.maxColumns)) return m;
    if (auto m = countFrom(r.footerRows, "表底文字行数", 0, kMaxRows - 1, out.footerRows)) return m;
    out.footerFlag = r.footerFlag == "是";
    out.keep = r.keep == "是";
    return std::nullopt;
}

std::string keyNameProblem(std::string_view text, NameUse use) {
    if (std::string p = sheetNameProblem(text); !p.empty()) return p;
    if (use == NameUse::Sheet) return {};
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return "文件名不能包含控制字符。";
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return "文件名不能包含下列字符： \\ / : * ? \" < > |";
        default: break;
        }
    }
    if (text.find_first_not_of('.') == std::string_view::npos) return "文件名不能只由点组成。";
    return {};
}

}  // namespace lorvane::split
