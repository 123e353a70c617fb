#pragma once
// A cell value as the object model hands it out: empty, number, text, boolean, date or error.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorvane {

// Error values keep the numbers the established object model uses (CVErr codes).
enum class ErrorValue : std::uint16_t {
    Null = 2000,   // #NULL!
    Div0 = 2007,   // #DIV/0!
    Value = 2015,  // #VALUE!
    Ref = 2023,    // #REF!
    Name = 2029,   // #NAME?
    Num = 2036,    // #NUM!
    NA = 2042,     // #N/A
};

std::string_view errorText(ErrorValue e);
// "#N/A" -> NA; returns false for texts that are no error literal.
bool parseErrorText(std::string_view text, ErrorValue& out);

class Variant {
public:
    enum class Type : std::uint8_t { Empty, Number, Text, Boolean, Date, Error };

    Variant() = default;
    Variant(double d) : type_(Type::Number), num_(d) {}
    Variant(int i) : type_(Type::Number), num_(i) {}
    Variant(long i) : type_(Type::Number), num_(static_cast<double>(i)) {}
    Variant(long long i) : type_(Type::Number), num_(static_cast<double>(i)) {}
    Variant(bool b) : type_(Type::Boolean), num_(b ? 1.0 : 0.0) {}
    Variant(std::string s) : type_(Type::Text), text_(std::move(s)) {}
    Variant(std::string_view s) : type_(Type::Text), text_(s) {}
    Variant(const char* s) : type_(Type::Text), text_(s) {}
    Variant(ErrorValue e) : type_(Type::Error), num_(static_cast<double>(e)) {}

    // A date is a serial day number in the 1900 system (1 = 1900-01-01, with the 1900 leap-day quirk).
    static Variant date(double serial) { Variant v; v.type_ = Type::Date; v.num_ = serial; return v; }
    static Variant date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    Type type() const { return type_; }
    bool isEmpty() const { return type_ == Type::Empty; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isText() const { return type_ == Type::Text; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isDate() const { return type_ == Type::Date; }
    bool isError() const { return type_ == Type::Error; }

    double number() const { return num_; }            // number, date serial, boolean as 1/0
    const std::string& text() const { return text_; } // only meaningful for Text
    bool boolean() const { return num_ != 0.0; }
    ErrorValue error() const { return static_cast<ErrorValue>(static_cast<int>(num_)); }

    // A text read from a workbook's string pool remembers where it stood there (the pool's tag
    // and the index), so that writing it back into the same workbook need not look it up again.
    // Only a hint: the engine checks it before use. Not part of the value.
    static Variant pooledText(std::string_view s, std::uint16_t poolTag, std::uint32_t index) {
        Variant v(s);
        v.poolTag_ = poolTag;
        v.poolIndex_ = index;
        return v;
    }
    bool pooledIn(std::uint16_t poolTag, std::uint32_t& index) const {
        index = poolIndex_;
        return type_ == Type::Text && poolTag_ != 0 && poolTag_ == poolTag;
    }

    // Same type and same value; texts compare exactly.
    friend bool operator==(const Variant& a, const Variant& b) {
        return a.type_ == b.type_ && a.num_ == b.num_ && a.text_ == b.text_;
    }

private:
    Type type_ = Type::Empty;
    std::uint16_t poolTag_ = 0;    // 0: no hint (fits in the padding before num_)
    std::uint32_t poolIndex_ = 0;
    double num_ = 0.0;
    std::string text_;
};

// A 2-D block of values, indexed from 1 as the object model's arrays are.
class VariantArray {
public:
    VariantArray() = default;
    VariantArray(int rows, int cols) : rows_(rows), cols_(cols), data_(static_cast<size_t>(rows) * cols) {}
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    Variant& operator()(int r, int c) { return data_[static_cast<size_t>(r - 1) * cols_ + (c - 1)]; }
    const Variant& operator()(int r, int c) const { return data_[static_cast<size_t>(r - 1) * cols_ + (c - 1)]; }
private:
    int rows_ = 0, cols_ = 0;
    std::vector<Variant> data_;
};

}  // namespace lorvane
