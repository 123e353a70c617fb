#include "split/SplitChecks.h"

#include "automation/Conversions.h"
#include "automation/SheetNames.h"
#include "runs/ColumnRef.h"
#include "runs/UiService.h"

namespace lorvane::split {

std::string workbookFileName(std::string_view keyText) {
    std::string name(keyText);
    if (name.size() >= 5) {
        std::string ext = name.substr(name.size() - 5);
        for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (ext == ".xlsx") return name;
    }
    return name + ".xlsx";
}

std::optional<OptionsProblem> checkSplitOptions(std::string_view sheetListText, std::string_view keyColumn,
                                                std::string_view titleRows) {
    if (sheetListText == kSheetListPrompt) return OptionsProblem{"您还未选择总表名称，请先选择总表名称！", "提示"};
    if (keyColumn.empty()) return OptionsProblem{"您未输入【拆分依据列】，请先输入！", runs::kProgramTitle};
    if (std::string m = runs::keyColumnMessage(keyColumn, kKeyField); !m.empty())
        return OptionsProblem{m, runs::kProgramTitle};
    if (std::string m = runs::columnRangeMessage(keyColumn, kKeyField); !m.empty()) return OptionsProblem{m, runs::kProgramTitle};
    if (titleRows.empty() || !convert::isNumeric(titleRows))
        return OptionsProblem{"您未输入标题行数或输入的标题行数不是数字，请重新输入！\n\n如果没有标题行，请输入“0”！", "提示", true};
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
