#include "automation/Conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lorvane::convert {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isTrimBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Characters the leading-value reader skips wherever they stand.
bool isSkippedBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "&H..." / "&O...": the value as a 16-bit integer when it fits in 16 bits, else as a
// 32-bit integer (so "&HFFFF" is -1 and "&H10000" is 65536). Beyond 32 bits it overflows.
struct RadixResult {
    bool overflow = false;
    double value = 0;
};

RadixResult radixValue(std::string_view digits, int base) {
    std::uint64_t v = 0;
    for (char c : digits) {
        v = v * base + static_cast<std::uint64_t>(hexDigit(c));
        if (v > 0xFFFFFFFFull) return {true, 0};
    }
    if (v <= 0xFFFF) return {false, static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)))};
    return {false, static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)))};
}

// Length of the radix digits at the start of s (hex for base 16, octal for base 8).
size_t radixDigits(std::string_view s, int base) {
    size_t n = 0;
    while (n < s.size()) {
        int d = hexDigit(s[n]);
        if (d < 0 || d >= base) break;
        ++n;
    }
    return n;
}

// Converts a clean decimal text (sign, digits, point, exponent; no commas) to a double.
// Returns false when it is too large; too small a value gives zero.
bool toDouble(const std::string& clean, double& out) {
    const char* first = clean.data();
    const char* last = first + clean.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, out, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Decimal magnitude of the text: position of the first significant digit plus the exponent.
        long long mag = 0, intDigits = 0, leadingFracZeros = 0;
        bool seenPoint = false, seenNonZero = false;
        const char* p = first;
        if (p != last && *p == '-') ++p;
        for (; p != last && *p != 'e' && *p != 'E'; ++p) {
            if (*p == '.') {
                seenPoint = true;
            } else if (seenNonZero || *p != '0') {
                seenNonZero = true;
                if (!seenPoint) ++intDigits;
            } else if (seenPoint) {
                ++leadingFracZeros;
            }
        }
        mag = intDigits > 0 ? intDigits - 1 : -leadingFracZeros - 1;
        long long exp = 0;
        bool expNegative = false;
        if (p != last) {
            ++p;
            if (p != last && (*p == '+' || *p == '-')) expNegative = *p++ == '-';
            for (; p != last; ++p) exp = std::min(exp * 10 + (*p - '0'), 1000000LL);
        }
        if (mag + (expNegative ? -exp : exp) < 0) {
            out = 0.0;
            return true;
        }
        return false;
    }
    return ec == std::errc() && ptr == last && std::isfinite(out);
}

void appendInt(std::string& s, long long v, int width = 1) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    s += buf;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long kDays18991230 = daysFromCivil(1899, 12, 30);
const long long kDays18991231 = daysFromCivil(1899, 12, 31);
constexpr double kLastSerial = 2958465.0;  // 9999-12-31

// A serial as whole days and the seconds of the day, rounded to the second.
struct SplitSerial {
    long long day = 0;
    long long seconds = 0;
};

SplitSerial splitSerial(double serial) {
    if (!std::isfinite(serial)) serial = 0.0;
    serial = std::clamp(serial, -1e9, 1e9);
    double whole = std::floor(serial);
    SplitSerial p{static_cast<long long>(whole), std::llround((serial - whole) * 86400.0)};
    if (p.seconds >= 86400) {
        ++p.day;
        p.seconds -= 86400;
    }
    return p;
}

}  // namespace

// ---- numeric test --------------------------------------------------------------------------

bool isNumeric(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && isTrimBlank(text[b])) ++b;
    while (e > b && isTrimBlank(text[e - 1])) --e;
    std::string_view s = text.substr(b, e - b);
    if (s.empty()) return false;

    if (s[0] == '&') {
        if (s.size() < 3) return false;
        const char p = s[1];
        const int base = (p == 'h' || p == 'H') ? 16 : (p == 'o' || p == 'O') ? 8 : 0;
        if (base == 0) return false;
        std::string_view digits = s.substr(2);
        if (radixDigits(digits, base) != digits.size()) return false;
        return !radixValue(digits, base).overflow;
    }

    std::string clean;
    clean.reserve(s.size());
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-') clean += s[i++];
    size_t intDigits = 0, fracDigits = 0;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            clean += s[i++];
            ++intDigits;
        } else if (s[i] == ',' && intDigits > 0 && i + 1 < s.size() && isDigit(s[i + 1])) {
            ++i;  // a digit-group comma stands between digits
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        clean += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            clean += s[i++];
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        clean += s[i++];
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
        size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            clean += s[i++];
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    double v;
    return toDouble(clean, v);
}

bool isNumeric(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Text: return isNumeric(std::string_view(v.text()));
        case Variant::Type::Error: return false;
        default: return true;
    }
}

// ---- leading value -------------------------------------------------------------------------

double leadingValue(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!isSkippedBlank(c)) s += c;

    if (s.size() >= 2 && s[0] == '&') {
        const char p = s[1];
        const int base = (p == 'h' || p == 'H') ? 16 : (p == 'o' || p == 'O') ? 8 : 0;
        if (base == 0) return 0.0;
        std::string_view rest = std::string_view(s).substr(2);
        RadixResult r = radixValue(rest.substr(0, radixDigits(rest, base)), base);
        return r.overflow ? 0.0 : r.value;
    }

    std::string clean;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        clean += s[i++];
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        clean += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            clean += s[i++];
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
        size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) {
            exp += s[j++];
            ++expDigits;
        }
        if (expDigits > 0) clean += exp;  // "1e" and "1e+" stop before the e
    }
    double v;
    if (!toDouble(clean, v)) return 0.0;
    return v == 0.0 ? 0.0 : v;
}

double roundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    const double f = std::floor(x);
    const double diff = x - f;
    double r;
    if (diff < 0.5) r = f;
    else if (diff > 0.5) r = f + 1.0;
    else r = std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
    return r == 0.0 ? 0.0 : r;
}

double toNumber(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Number:
        case Variant::Type::Date: return v.number();
        case Variant::Type::Boolean: return v.boolean() ? -1.0 : 0.0;
        case Variant::Type::Text: return leadingValue(v.text());
        case Variant::Type::Empty:
        case Variant::Type::Error: return 0.0;
    }
    return 0.0;
}

// ---- text of a value -----------------------------------------------------------------------

std::string numberText(double d) {
    if (std::isnan(d) || std::isinf(d)) return "#NUM!";
    if (d == 0.0) return "0";
    // Whole numbers of up to 15 digits print as they are (the common case, and a quick one).
    if (std::fabs(d) < 1e15 && d == std::trunc(d)) {
        char whole[24];
        auto res = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(d));
        return std::string(whole, res.ptr);
    }

    // 15 significant digits in scientific form, e.g. "-1.23456789012346e+17".
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    const bool negative = sci[0] == '-';
    if (negative) sci.remove_prefix(1);
    const size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.') digits += c;
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        appendInt(out, std::abs(exponent), 2);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const size_t intLen = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits;
            out.append(intLen - digits.size(), '0');
        } else {
            out.append(digits, 0, intLen);
            out += '.';
            out.append(digits, intLen);
        }
    }
    return out;
}

std::string dateText(double serial) {
    if (!std::isfinite(serial) || serial < 0.0 || serial >= kLastSerial + 1.0) return numberText(serial);
    const SplitSerial p = splitSerial(serial);
    int y, m, d, h, mi, s;
    dateParts(serial, y, m, d, h, mi, s);
    // A serial below 1 is a time of day only.
    const bool hasDay = p.day >= 1;
    const bool hasTime = p.seconds != 0 || !hasDay;
    std::string out;
    if (hasDay) {
        appendInt(out, y);
        out += '/';
        appendInt(out, m);
        out += '/';
        appendInt(out, d);
    }
    if (hasTime) {
        if (!out.empty()) out += ' ';
        appendInt(out, h);
        out += ':';
        appendInt(out, mi, 2);
        out += ':';
        appendInt(out, s, 2);
    }
    return out;
}

std::string toText(const Variant& v) {
    switch (v.type()) {
        case Variant::Type::Empty: return {};
        case Variant::Type::Number: return numberText(v.number());
        case Variant::Type::Text: return v.text();
        case Variant::Type::Boolean: return v.boolean() ? "True" : "False";
        case Variant::Type::Date: return dateText(v.number());
        case Variant::Type::Error: return std::string(errorText(v.error()));
    }
    return {};
}

// ---- dates ---------------------------------------------------------------------------------

double dateSerial(int year, int month, int day, int hour, int minute, int second) {
    // Months beyond 1..12 and days beyond the month roll over, as DATE() does.
    long long y = year;
    long long m0 = static_cast<long long>(month) - 1;
    y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    const int m = static_cast<int>(((m0 % 12) + 12) % 12) + 1;

    // The first of the month; January and February 1900 count from 1899-12-31, so that
    // the day after 1900-02-28 is the fictitious 1900-02-29 (serial 60).
    const long long first = daysFromCivil(y, m, 1);
    const bool early = y < 1900 || (y == 1900 && m <= 2);
    const long long firstSerial = first - (early ? kDays18991231 : kDays18991230);
    const double days = static_cast<double>(firstSerial) + (static_cast<double>(day) - 1.0);
    const double secs = static_cast<double>(hour) * 3600.0 + minute * 60.0 + second;
    return days + secs / 86400.0;
}

void dateParts(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    const SplitSerial p = splitSerial(serial);
    hour = static_cast<int>(p.seconds / 3600);
    minute = static_cast<int>(p.seconds / 60 % 60);
    second = static_cast<int>(p.seconds % 60);
    if (p.day == 60) {
        year = 1900, month = 2, day = 29;
    } else if (p.day < 60) {
        civilFromDays(kDays18991231 + p.day, year, month, day);
    } else {
        civilFromDays(kDays18991230 + p.day, year, month, day);
    }
}

}  // namespace lorvane::convert
