#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "automation/Conversions.h"

namespace lorvane::convert {
namespace {

struct TextCase {
    const char* text;
    bool numeric;
    double value;  // leadingValue
};

// The numeric test and the leading value side by side: they disagree on purpose for
// texts such as "3,5,6" (numeric, value 3) and " 1 2" (not numeric, value 12).
const TextCase kTexts[] = {
    {"0", true, 0}, {"42", true, 42}, {"007", true, 7},
    {"-3", true, -3}, {"+3", true, 3}, {"2.5", true, 2.5},
    {"-.5", true, -0.5}, {".5", true, 0.5}, {"5.", true, 5},
    {"  7  ", true, 7}, {"\t8\n", true, 8}, {"1e3", true, 1000},
    {"1E+3", true, 1000}, {"-2.5e-1", true, -0.25}, {"3,5,6", true, 3},
    {"1,234.5", true, 1}, {"1,234,567", true, 1}, {"&H1F", true, 31},
    {"&h1f", true, 31}, {" &O17 ", true, 15},
    {"&HFFFF", true, -1},  // 16-bit, as the radix literals read
    {"&H10000", true, 65536}, {"&HFFFFFFFF", true, -1},
    {"&H100000000", false, 0},  // beyond 32 bits
    {"&H1Fzz", false, 31}, {"&O8", false, 0}, {"&H", false, 0},
    {"&", false, 0}, {"&X1", false, 0}, {"", false, 0},
    {"   ", false, 0}, {".", false, 0}, {"-", false, 0},
    {"+", false, 0}, {"1e", false, 1}, {"1e+", false, 1},
    {"1e5e", false, 100000}, {"1,,2", false, 1}, {"1,", false, 1},
    {",1", false, 0}, {"1.2,3", false, 1.2}, {"1.2.3", false, 1.2},
    {"12abc", false, 12}, {"abc12", false, 0}, {" 1 2", false, 12},
    {"1\t2\n3", false, 123}, {"- 1", false, -1}, {"+-1", false, 0},
    {"--1", false, 0},
    {"1\r2", false, 1},  // a carriage return is no blank to the leading value
    {"1D2", false, 1},
    {"1e999", false, 0},  // out of range
    {"1e-999", true, 0}, {"nan", false, 0}, {"inf", false, 0},
    {"\xEF\xBC\x91", false, 0},  // full-width 1
};

TEST(ConversionsTest, NumericTestAndLeadingValue) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(isNumeric(c.text), c.numeric);
        EXPECT_EQ(leadingValue(c.text), c.value);
    }
}

TEST(ConversionsTest, NumericTestOfValues) {
    EXPECT_TRUE(isNumeric(Variant()));
    EXPECT_TRUE(isNumeric(Variant(1.5)));
    EXPECT_TRUE(isNumeric(Variant(false)));
    EXPECT_TRUE(isNumeric(Variant::date(45296)));
    EXPECT_TRUE(isNumeric(Variant("3,5,6")));
    EXPECT_FALSE(isNumeric(Variant("")));
    EXPECT_FALSE(isNumeric(Variant(ErrorValue::NA)));
    EXPECT_TRUE(isNumeric(std::string(" 12 ")));
}

TEST(ConversionsTest, RoundHalfEven) {
    const std::pair<double, double> cases[] = {
        {2.5, 2},   {3.5, 4},     {-2.5, -2},   {-3.5, -4}, {0.5, 0},   {1.5, 2},
        {2.4, 2},   {2.6, 3},     {-2.6, -3},   {-0.4, 0},  {7, 7},     {0, 0},
        {1e300, 1e300}, {4503599627370497.0, 4503599627370497.0},
    };
    for (auto [in, out] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(roundHalfEven(in), out);
    }
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.4)));
}

TEST(ConversionsTest, ToNumber) {
    EXPECT_EQ(toNumber(Variant()), 0);
    EXPECT_EQ(toNumber(Variant(2.5)), 2.5);
    EXPECT_EQ(toNumber(Variant(true)), -1);
    EXPECT_EQ(toNumber(Variant(false)), 0);
    EXPECT_EQ(toNumber(Variant::date(45296.5)), 45296.5);
    EXPECT_EQ(toNumber(Variant(" 12abc")), 12);
    EXPECT_EQ(toNumber(Variant(ErrorValue::Div0)), 0);
}

TEST(ConversionsTest, NumberTextShowsFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {-0.0, "0"}, {1, "1"},
        {-1, "-1"}, {100, "100"}, {2.5, "2.5"},
        {-2.5, "-2.5"}, {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {1001, "1001"}, {123456789012345.0, "123456789012345"},
        {99999999999999.99, "100000000000000"}, {1e15, "1E+15"}, {1234567890123456.0, "1.23456789012346E+15"},
        {123456789012345678.0, "1.23456789012346E+17"}, {1e20, "1E+20"}, {-1e20, "-1E+20"},
        {1e100, "1E+100"}, {0.0001, "0.0001"}, {0.00012345, "0.00012345"},
        {0.00001, "1E-05"}, {1.5e-7, "1.5E-07"}, {-1.5e-7, "-1.5E-07"},
        {45296.5, "45296.5"},
    };
    for (auto [d, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(numberText(d), text);
    }
}

TEST(ConversionsTest, DateSerialsInThe1900System) {
    struct Case {
        int y, m, d;
        double serial;
    };
    const Case cases[] = {
        {1900, 1, 1, 1},    {1900, 2, 28, 59},  {1900, 2, 29, 60},   {1900, 3, 1, 61},
        {1900, 12, 31, 366}, {1904, 1, 1, 1462}, {2000, 2, 29, 36585}, {2024, 1, 5, 45296},
        {9999, 12, 31, 2958465},
        // Months and days beyond their range roll over.
        {2023, 13, 1, 45292}, {2024, 3, 0, 45351}, {1900, 3, 0, 60}, {2024, 0, 1, 45261},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        EXPECT_EQ(dateSerial(c.y, c.m, c.d), c.serial);
        if (c.m >= 1 && c.m <= 12 && c.d >= 1) {
            int y, m, d, h, mi, s;
            dateParts(c.serial, y, m, d, h, mi, s);
            EXPECT_EQ(y, c.y);
            EXPECT_EQ(m, c.m);
            EXPECT_EQ(d, c.d);
            EXPECT_EQ(h + mi + s, 0);
        }
    }
    EXPECT_DOUBLE_EQ(dateSerial(2024, 1, 5, 13, 45, 0), 45296 + (13 * 60 + 45) / 1440.0);
}

TEST(ConversionsTest, DateText) {
    EXPECT_EQ(dateText(45296), "2024/1/5");
    EXPECT_EQ(dateText(dateSerial(2024, 1, 5, 13, 45, 0)), "2024/1/5 13:45:00");
    EXPECT_EQ(dateText(dateSerial(2024, 12, 25, 9, 5, 7)), "2024/12/25 9:05:07");
    EXPECT_EQ(dateText(60), "1900/2/29");
    EXPECT_EQ(dateText(61), "1900/3/1");
    EXPECT_EQ(dateText(0.5), "12:00:00");  // a time of day alone
    EXPECT_EQ(dateText(45296.9999999), "2024/1/6");  // rounds to the second, into the next day
    EXPECT_EQ(dateText(-1), "-1");
}

TEST(ConversionsTest, TextOfValues) {
    EXPECT_EQ(toText(Variant()), "");
    EXPECT_EQ(toText(Variant(1001)), "1001");
    EXPECT_EQ(toText(Variant("A01")), "A01");
    EXPECT_EQ(toText(Variant(true)), "True");
    EXPECT_EQ(toText(Variant(false)), "False");
    EXPECT_EQ(toText(Variant::date(2024, 1, 5)), "2024/1/5");
    EXPECT_EQ(toText(Variant(ErrorValue::NA)), "#N/A");
    EXPECT_EQ(toText(Variant(ErrorValue::Div0)), "#DIV/0!");
}

TEST(ConversionsTest, ErrorLiterals) {
    const ErrorValue all[] = {ErrorValue::Null, ErrorValue::Div0, ErrorValue::Value, ErrorValue::Ref,
                              ErrorValue::Name, ErrorValue::Num,  ErrorValue::NA};
    for (ErrorValue e : all) {
        ErrorValue back{};
        ASSERT_TRUE(parseErrorText(errorText(e), back));
        EXPECT_EQ(back, e);
    }
    ErrorValue e{};
    EXPECT_TRUE(parseErrorText("#n/a", e));
    EXPECT_EQ(e, ErrorValue::NA);
    EXPECT_FALSE(parseErrorText("#N/A ", e));
    EXPECT_FALSE(parseErrorText("N/A", e));
    EXPECT_FALSE(parseErrorText("", e));
}

}  // namespace
}  // namespace lorvane::convert
