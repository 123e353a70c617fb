#pragma once
// Cell formats and the per-workbook table that interns them. A cell, a row, a column
// refers to a format by its index in its workbook's table; index 0 is the default format.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lorvane::sheet {

// A colour as the file format writes it: an ARGB value, a theme slot, an indexed palette
// entry or "automatic", each with an optional tint.
struct Color {
    enum class Kind : std::uint8_t { None, Rgb, Theme, Indexed, Auto };
    Kind kind = Kind::None;
    std::uint32_t value = 0;  // ARGB, theme slot or palette index
    double tint = 0.0;
    friend bool operator==(const Color&, const Color&) = default;
};

struct Font {
    std::string name = "等线";
    double size = 11.0;
    bool bold = false, italic = false, strike = false;
    bool outline = false, shadow = false, condense = false, extend = false;
    std::string underline;   // "", "single", "double", ...
    std::string vertAlign;   // "", "superscript", "subscript"
    Color color;
    int family = 0;          // 0 = not written
    int charset = -1;        // -1 = not written
    std::string scheme;      // "", "minor", "major"
    friend bool operator==(const Font&, const Font&) = default;
};

struct Fill {
    std::string pattern = "none";  // "none", "solid", "gray125", ...
    Color fg, bg;
    std::string gradientXml;       // a gradient fill, kept as written
    friend bool operator==(const Fill&, const Fill&) = default;
};

struct BorderEdge {
    std::string style;  // "" = none, "thin", "medium", ...
    Color color;
    friend bool operator==(const BorderEdge&, const BorderEdge&) = default;
};

struct Border {
    BorderEdge left, right, top, bottom, diagonal, vertical, horizontal;
    bool diagonalUp = false, diagonalDown = false, outline = false;
    friend bool operator==(const Border&, const Border&) = default;
};

struct Alignment {
    std::string horizontal;  // "", "left", "center", "right", "fill", "justify", "centerContinuous", "distributed", "general"
    std::string vertical;    // "", "top", "center", "bottom", "justify", "distributed"
    int textRotation = 0;
    bool wrapText = false;
    bool shrinkToFit = false;
    int indent = 0;
    int relativeIndent = 0;
    bool justifyLastLine = false;
    int readingOrder = 0;
    friend bool operator==(const Alignment&, const Alignment&) = default;
};

struct Protection {
    bool locked = true;
    bool hidden = false;
    friend bool operator==(const Protection&, const Protection&) = default;
};

// One cell format (an "xf" of the file format), held by value so that it can be
// compared and carried into another workbook's table.
struct CellFormat {
    std::string numberFormat = "General";
    Font font;
    Fill fill;
    Border border;
    Alignment alignment;
    Protection protection;
    int parentStyle = 0;          // index of the named cell style it builds on
    std::uint8_t applyFlags = 0;  // the file's apply* attributes, kept for writing back
    bool quotePrefix = false;
    friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

enum ApplyFlag : std::uint8_t {
    ApplyNumberFormat = 1, ApplyFont = 2, ApplyFill = 4, ApplyBorder = 8,
    ApplyAlignment = 16, ApplyProtection = 32,
};

// True when a number format code shows its number as a date or time.
bool isDateFormat(const std::string& code);
// The code of a built-in number format id (0 "General", 14 "m/d/yyyy", ...); empty when unknown.
std::string builtinNumberFormat(int id);

class StyleTable {
public:
    StyleTable();
    // The index of a format equal to f, added when the table has none.
    std::uint32_t intern(const CellFormat& f);
    // Adds f at the end even when an equal format exists (file reading keeps indices as written).
    std::uint32_t append(const CellFormat& f);
    const CellFormat& at(std::uint32_t index) const { return formats_[index]; }
    bool isDate(std::uint32_t index) const { return isDate_[index] != 0; }
    bool isText(std::uint32_t index) const { return isText_[index] != 0; }
    std::size_t size() const { return formats_.size(); }
    // Replaces the default format (index 0) as read from a file.
    void setDefault(const CellFormat& f);
    // Starts an empty table for a file reader; the first append becomes index 0.
    void clear();

private:
    struct Hash {
        std::size_t operator()(const CellFormat& f) const;
    };
    void note(std::uint32_t index);
    std::vector<CellFormat> formats_;
    std::vector<std::uint8_t> isDate_, isText_;
    std::unordered_map<CellFormat, std::uint32_t, Hash> lookup_;
};

}  // namespace lorvane::sheet
