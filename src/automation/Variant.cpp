#include "automation/Variant.h"

#include <array>
#include <utility>

#include "automation/Conversions.h"

namespace lorvane {

namespace {

constexpr std::array<std::pair<ErrorValue, std::string_view>, 7> kErrorTexts{{
    {ErrorValue::Null, "#NULL!"},
    {ErrorValue::Div0, "#DIV/0!"},
    {ErrorValue::Value, "#VALUE!"},
    {ErrorValue::Ref, "#REF!"},
    {ErrorValue::Name, "#NAME?"},
    {ErrorValue::Num, "#NUM!"},
    {ErrorValue::NA, "#N/A"},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::string_view errorText(ErrorValue e) {
    for (const auto& [value, text] : kErrorTexts)
        if (value == e) return text;
    return "#VALUE!";  // a code outside the known set
}

bool parseErrorText(std::string_view text, ErrorValue& out) {
    for (const auto& [value, literal] : kErrorTexts) {
        if (equalsIgnoringCase(text, literal)) {
            out = value;
            return true;
        }
    }
    return false;
}

Variant Variant::date(int year, int month, int day, int hour, int minute, int second) {
    return date(convert::dateSerial(year, month, day, hour, minute, second));
}

}  // namespace lorvane
