#include "spreadsheet/Style.h"

#include <cctype>
#include <functional>

namespace lorvane::sheet {

namespace {

void mix(std::size_t& h, std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

void mixColor(std::size_t& h, const Color& c) {
    mix(h, static_cast<std::size_t>(c.kind));
    mix(h, c.value);
}

}  // namespace

bool isDateFormat(const std::string& code) {
    // A date/time code has d, m, y, h or s outside quoted text, escapes and [colour] brackets.
    // "[h]" elapsed-time brackets count as time; "m" alone next to h/s is minutes, still time.
    if (code.empty() || code == "General" || code == "@") return false;
    bool inQuote = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (inQuote) {
            if (c == '"') inQuote = false;
            continue;
        }
        switch (c) {
        case '"': inQuote = true; break;
        case '\\': case '_': case '*': ++i; break;
        case '[': {
            std::size_t close = code.find(']', i);
            if (close == std::string::npos) return false;
            std::string inner = code.substr(i + 1, close - i - 1);
            if (!inner.empty()) {
                char f = static_cast<char>(std::tolower(static_cast<unsigned char>(inner[0])));
                if ((f == 'h' || f == 'm' || f == 's') && inner.find_first_not_of("hHmMsS") == std::string::npos)
                    return true;
            }
            i = close;
            break;
        }
        case ';': return false;  // only the first section decides for positive numbers
        default: {
            char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's' || l == 'e' || l == 'g' || l == 'b') {
                // "e" alone would be an exponent in "0.00E+00": only date when not after a digit placeholder.
                if (l == 'e' || l == 'g' || l == 'b') {
                    if (l == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) break;
                    if (l == 'g' && code.compare(i, 7, "General") == 0) { i += 6; break; }
                    if (l == 'b' && !(i + 1 < code.size() && (code[i + 1] == '1' || code[i + 1] == '2'))) break;
                }
                return true;
            }
        }
        }
    }
    return false;
}

std::string builtinNumberFormat(int id) {
    switch (id) {
    case 0: return "General";
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ??/??";
    case 14: return "m/d/yyyy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yyyy h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mmss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    // Ids the Chinese editions use for their dates and times.
    case 27: case 28: case 29: case 30: case 31: case 36: case 50: case 51: case 52: case 53:
    case 54: case 57: case 58: return "yyyy\"年\"m\"月\"d\"日\"";
    case 32: case 33: case 34: case 35: case 55: case 56: return "h\"时\"mm\"分\"ss\"秒\"";
    default: return {};
    }
}

std::size_t StyleTable::Hash::operator()(const CellFormat& f) const {
    std::size_t h = std::hash<std::string>{}(f.numberFormat);
    mix(h, std::hash<std::string>{}(f.font.name));
    mix(h, std::hash<double>{}(f.font.size));
    mix(h, (f.font.bold ? 1 : 0) | (f.font.italic ? 2 : 0) | (f.font.strike ? 4 : 0));
    mixColor(h, f.font.color);
    mix(h, std::hash<std::string>{}(f.fill.pattern));
    mixColor(h, f.fill.fg);
    mix(h, std::hash<std::string>{}(f.border.left.style + f.border.right.style + f.border.top.style + f.border.bottom.style));
    mix(h, std::hash<std::string>{}(f.alignment.horizontal + "|" + f.alignment.vertical));
    mix(h, (f.alignment.wrapText ? 1 : 0) | (f.alignment.shrinkToFit ? 2 : 0));
    mix(h, static_cast<std::size_t>(f.parentStyle));
    return h;
}

StyleTable::StyleTable() { append(CellFormat{}); }

void StyleTable::clear() {
    formats_.clear();
    isDate_.clear();
    isText_.clear();
    lookup_.clear();
}

void StyleTable::note(std::uint32_t index) {
    const std::string& code = formats_[index].numberFormat;
    isDate_.push_back(isDateFormat(code) ? 1 : 0);
    isText_.push_back(code == "@" ? 1 : 0);
}

std::uint32_t StyleTable::append(const CellFormat& f) {
    auto index = static_cast<std::uint32_t>(formats_.size());
    formats_.push_back(f);
    note(index);
    lookup_.emplace(f, index);  // the first of equal formats stays the one intern() finds
    return index;
}

std::uint32_t StyleTable::intern(const CellFormat& f) {
    auto it = lookup_.find(f);
    if (it != lookup_.end()) return it->second;
    return append(f);
}

void StyleTable::setDefault(const CellFormat& f) {
    if (formats_.empty()) {
        append(f);
        return;
    }
    auto it = lookup_.find(formats_[0]);
    if (it != lookup_.end() && it->second == 0) lookup_.erase(it);
    formats_[0] = f;
    isDate_[0] = isDateFormat(f.numberFormat) ? 1 : 0;
    isText_[0] = f.numberFormat == "@" ? 1 : 0;
    lookup_.emplace(f, 0);
}

}  // namespace lorvane::sheet
