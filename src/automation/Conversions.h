#pragma once
// The text/number conversions every operation uses, written once:
// the numeric test, the leading value of a text, whole-number rounding, and the text of a value.
#include <string>
#include <string_view>

#include "automation/Variant.h"

namespace lorvane::convert {

// True when the whole text (blanks around it allowed) reads as one number: optional sign,
// digits with digit-group commas between them ("3,5,6"), one decimal point, optional exponent.
// "&H1F" and "&O17" read as numbers too. An empty or blank text is not numeric.
bool isNumeric(std::string_view text);
// Numbers, dates and booleans are numeric; empty is numeric; a text by the rule above; errors are not.
bool isNumeric(const Variant& v);
// Texts of every kind go to the text rule (a Variant could be built from them too).
inline bool isNumeric(const std::string& text) { return isNumeric(std::string_view(text)); }
inline bool isNumeric(const char* text) { return isNumeric(std::string_view(text)); }

// The number at the start of a text: blanks, tabs and line feeds are skipped wherever they
// stand; sign, digits, one decimal point, exponent; "&H"/"&O" prefixes; nothing numeric gives 0.
// "12abc" -> 12, "3,5,6" -> 3, "" -> 0, " 1 2" -> 12.
double leadingValue(std::string_view text);

// Rounds to a whole number, a half going to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfEven(double x);

// A value read as a number the way the operations take numbers from controls and cells:
// numbers, dates and booleans as they are (true = -1), texts by leadingValue, empty 0.
double toNumber(const Variant& v);

// The text of a number as a spreadsheet's General format shows it in a cell text conversion:
// at most 15 significant digits, no trailing zeros, exponent form for very large/small values
// ("1E+20", "1.5E-07").
std::string numberText(double d);

// "2024/1/5", or "2024/1/5 13:45:00" when the serial has a time part.
std::string dateText(double serial);

// The text of a value: numbers by numberText, dates by dateText, booleans "True"/"False",
// errors as their literal ("#N/A"), empty as "".
std::string toText(const Variant& v);

// The key text of a cell value: its value turned into text, compared exactly later.
inline std::string keyText(const Variant& v) { return toText(v); }

// Date serials (1900 system, serial 60 is the fictitious 1900-02-29).
double dateSerial(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
void dateParts(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second);

}  // namespace lorvane::convert
