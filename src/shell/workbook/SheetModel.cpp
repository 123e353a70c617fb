#include "shell/workbook/SheetModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <cmath>
#include <cstring>

#include "base/CellAddress.h"
#include "automation/Conversions.h"
#include "automation/Variant.h"
#include "automation/Workbook.h"
#include "spreadsheet/BookData.h"

namespace lorvane::window {

using sheet::CellKind;

// Rows and columns the grid shows beyond the used cells, and at least.
constexpr int kSpareRows = 50, kSpareColumns = 5, kMinRows = 100, kMinColumns = 26;

void SheetModel::setSheet(Worksheet* sheet) {
    beginResetModel();
    ws_ = sheet;
    measure(rows_, cols_);
    endResetModel();
}

const sheet::SheetData* SheetModel::sheet() const { return ws_ ? ws_->dataOrNull() : nullptr; }

const sheet::BookData* SheetModel::book() const { return ws_ && ws_->alive() ? &ws_->Parent()->data() : nullptr; }

void SheetModel::measure(int& rows, int& cols) const {
    int usedRows = 0, usedCols = 0;
    CellRect bounds;
    const sheet::SheetData* s = sheet();
    if (s && s->usedBounds(bounds)) {
        usedRows = bounds.row2;
        usedCols = bounds.col2;
    }
    for (const auto& m : s ? s->merges : std::vector<CellRect>{}) {
        usedRows = std::max(usedRows, m.row2);
        usedCols = std::max(usedCols, m.col2);
    }
    rows = std::min(kMaxRows, std::max(usedRows + kSpareRows, kMinRows));
    cols = std::min(kMaxColumns, std::max(usedCols + kSpareColumns, kMinColumns));
}

void SheetModel::remeasure() {
    int rows, cols;
    measure(rows, cols);
    resizeTo(rows, cols);
}

void SheetModel::resizeTo(int rows, int cols) {
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (cols > cols_) {
        beginInsertColumns({}, cols_, cols - 1);
        cols_ = cols;
        endInsertColumns();
    } else if (cols < cols_) {
        beginRemoveColumns({}, cols, cols_ - 1);
        cols_ = cols;
        endRemoveColumns();
    }
}

void SheetModel::cellsChanged(const CellRect& area) {
    const sheet::SheetData* s = sheet();
    if (!s) return;
    // Only rows with a record can hold something, and a row's last cell is its widest: the
    // cost follows the rows of the change, not the size of the sheet.
    const int lastRow = std::min(area.row2, s->rowCount());
    int widest = 0, deepest = 0;
    for (int r = area.row1; r <= lastRow; ++r) {
        const auto& cells = s->row(r)->cells;
        if (cells.empty() || cells.front().col > area.col2) continue;
        deepest = r;
        widest = std::max(widest, std::min<int>(cells.back().col, area.col2));
    }
    // Growing by half at least keeps a run writing row after row from growing the grid (and
    // its headers) once a row; remeasure() trims the spare rows again.
    auto grown = [](int now, int needed, int most) { return needed <= now ? now : std::min(most, std::max(needed, now + now / 2)); };
    if (deepest > 0)
        resizeTo(grown(rows_, deepest + kSpareRows, kMaxRows), grown(cols_, widest + kSpareColumns, kMaxColumns));
    const int r2 = std::min(area.row2, rows_), c2 = std::min(area.col2, cols_);
    if (area.row1 <= r2 && area.col1 <= c2) emit dataChanged(index(area.row1 - 1, area.col1 - 1), index(r2 - 1, c2 - 1));
}

int SheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int SheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

namespace {

// The default theme colours of the file format (dk1, lt1, dk2, lt2, accent1..6).
const QRgb kTheme[] = {0x000000, 0xFFFFFF, 0x44546A, 0xE7E6E6, 0x4472C4, 0xED7D31,
                       0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};
// The first entries of the legacy palette.
const QRgb kIndexed[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
                         0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
                         0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080};

QColor applyTint(QColor c, double tint) {
    if (tint == 0.0) return c;
    float h, s, l, a;
    c.getHslF(&h, &s, &l, &a);
    l = tint < 0 ? l * (1.0 + tint) : l * (1.0 - tint) + tint;
    return QColor::fromHslF(h, s, std::clamp(l, 0.0f, 1.0f), a);
}

}  // namespace

QColor toQColor(const sheet::Color& c) {
    switch (c.kind) {
    case sheet::Color::Kind::Rgb: return applyTint(QColor::fromRgb(c.value & 0xFFFFFF), c.tint);
    case sheet::Color::Kind::Theme:
        if (c.value < std::size(kTheme)) return applyTint(QColor::fromRgb(kTheme[c.value]), c.tint);
        return {};
    case sheet::Color::Kind::Indexed:
        if (c.value < std::size(kIndexed)) return applyTint(QColor::fromRgb(kIndexed[c.value]), c.tint);
        return {};
    default: return {};
    }
}

namespace {

// Splits a format code into its sections, honouring quotes and escapes.
std::vector<std::string> sections(const std::string& code) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            out.emplace_back();
            continue;
        }
        out.back() += c;
        if (c == '\\' && i + 1 < code.size()) out.back() += code[++i];
    }
    return out;
}

// Removes [..] parts (colours, locales, conditions), keeps literals, marks quotes/escapes.
std::string clean(const std::string& s) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        if (c == '[') {
            auto close = s.find(']', i);
            if (close == std::string::npos) break;
            i = close;
            continue;
        }
        if (c == '\\' && i + 1 < s.size()) {
            out += s[++i];
            continue;
        }
        if (c == '_' && i + 1 < s.size()) {  // a space as wide as the next character
            ++i;
            out += ' ';
            continue;
        }
        if (c == '*') {
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}

QString formatDate(double value, const std::string& code, bool date1904) {
    if (date1904) value += 1462;
    int y, mo, d, h, mi, s;
    convert::dateParts(value, y, mo, d, h, mi, s);
    std::string f = clean(code);
    QString out;
    bool afterHour = false;
    for (std::size_t i = 0; i < f.size();) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
        std::size_t n = 1;
        while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
        auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QChar('0')); };
        if (c == 'y') {
            out += n <= 2 ? two(y % 100) : QString::number(y);
        } else if (c == 'm') {
            bool minutes = afterHour;
            if (!minutes) {
                auto pos = f.find_first_not_of(": ", i + n);
                minutes = pos != std::string::npos && std::tolower(static_cast<unsigned char>(f[pos])) == 's';
            }
            int v = minutes ? mi : mo;
            out += n >= 2 ? two(v) : QString::number(v);
            afterHour = false;
        } else if (c == 'd') {
            out += n >= 2 ? two(d) : QString::number(d);
        } else if (c == 'h') {
            out += n >= 2 ? two(h) : QString::number(h);
            afterHour = true;
        } else if (c == 's') {
            out += n >= 2 ? two(s) : QString::number(s);
        } else {
            // A literal run, up to the next date or time code.
            n = 0;
            while (i + n < f.size() && !std::strchr("yYmMdDhHsS", f[i + n])) ++n;
            out += QString::fromUtf8(f.substr(i, n));
        }
        i += n;
    }
    return out;
}

QString group(const QString& digits) {
    QString out;
    int count = 0;
    for (int i = digits.size() - 1; i >= 0; --i) {
        out.prepend(digits[i]);
        if (++count % 3 == 0 && i > 0) out.prepend(',');
    }
    return out;
}

}  // namespace

QString formatNumber(double value, const std::string& code, bool date1904) {
    if (code.empty() || code == "General" || code == "@") return QString::fromStdString(convert::numberText(value));
    if (sheet::isDateFormat(code)) return formatDate(value, code, date1904);
    auto parts = sections(code);
    std::string section = parts[0];
    bool negativeSection = value < 0 && parts.size() > 1 && !parts[1].empty();
    if (negativeSection) section = parts[1];
    else if (value == 0 && parts.size() > 2) section = parts[2];
    std::string f = clean(section);
    if (f == "General" || f.empty()) return QString::fromStdString(convert::numberText(value));
    auto first = f.find_first_of("0#?");
    if (first == std::string::npos) return QString::fromUtf8(f);  // a literal only
    auto last = f.find_last_of("0#?,.");
    std::string prefix = f.substr(0, first), number = f.substr(first, last - first + 1), suffix = f.substr(last + 1);
    bool percent = f.find('%') != std::string::npos;
    bool grouping = number.find(',') != std::string::npos;
    int decimals = 0;
    if (auto dot = number.find('.'); dot != std::string::npos)
        for (std::size_t i = dot + 1; i < number.size() && (number[i] == '0' || number[i] == '#' || number[i] == '?'); ++i)
            ++decimals;
    double v = std::fabs(value) * (percent ? 100.0 : 1.0);
    QString text = QString::number(v, 'f', decimals);
    QString whole = text.section('.', 0, 0), frac = text.section('.', 1);
    if (grouping) whole = group(whole);
    QString out = QString::fromUtf8(prefix) + whole + (decimals ? "." + frac : QString()) + QString::fromUtf8(suffix);
    if (value < 0 && !negativeSection) out.prepend('-');
    return out;
}

QString displayText(const sheet::BookData& book, const sheet::Cell& cell, std::uint32_t style) {
    switch (cell.kind) {
    case CellKind::Blank: return {};
    case CellKind::Text: return QString::fromStdString(book.strings.at(cell.text));
    case CellKind::Boolean: return cell.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellKind::Error: return QString::fromUtf8(errorText(static_cast<ErrorValue>(cell.error)).data());
    case CellKind::Number: return formatNumber(cell.number, book.styles.at(style).numberFormat, book.date1904);
    }
    return {};
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    const sheet::SheetData* s = sheet();
    const sheet::BookData* book = this->book();
    if (!s || !book || !index.isValid()) return {};
    const int r = index.row() + 1, c = index.column() + 1;
    const sheet::Cell* cell = s->find(r, c);
    const std::uint32_t style = cell ? cell->style : s->styleAt(r, c);
    switch (role) {
    case Qt::DisplayRole:
        return cell ? displayText(*book, *cell, style) : QVariant();
    case StyleRole:
        return style;
    case Qt::FontRole: {
        if (style == 0) return {};
        const auto& f = book->styles.at(style).font;
        QFont font(QString::fromStdString(f.name));
        // The grid's fonts are a little smaller than the sheet's, as the CJK fallback fonts run wide.
        font.setPointSizeF((f.size > 0 ? f.size : 11.0) * 0.82);
        font.setBold(f.bold);
        font.setItalic(f.italic);
        font.setStrikeOut(f.strike);
        font.setUnderline(!f.underline.empty() && f.underline != "none");
        return font;
    }
    case Qt::ForegroundRole: {
        if (style == 0) return {};
        QColor color = toQColor(book->styles.at(style).font.color);
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    case Qt::BackgroundRole: {
        if (style == 0) return {};
        const auto& fill = book->styles.at(style).fill;
        if (fill.pattern == "none" || fill.pattern.empty()) return {};
        QColor color = toQColor(fill.pattern == "solid" ? fill.fg : fill.bg);
        if (!color.isValid()) color = toQColor(fill.fg);
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    case Qt::TextAlignmentRole: {
        const auto& a = book->styles.at(style).alignment;
        int h = Qt::AlignLeft;
        if (a.horizontal == "center" || a.horizontal == "centerContinuous") h = Qt::AlignHCenter;
        else if (a.horizontal == "right") h = Qt::AlignRight;
        else if (a.horizontal == "justify" || a.horizontal == "distributed") h = Qt::AlignJustify;
        else if (a.horizontal.empty() || a.horizontal == "general")
            h = cell && (cell->kind == CellKind::Number) ? Qt::AlignRight
                : cell && (cell->kind == CellKind::Boolean || cell->kind == CellKind::Error) ? Qt::AlignHCenter
                                                                                            : Qt::AlignLeft;
        int v = Qt::AlignBottom;
        if (a.vertical == "center") v = Qt::AlignVCenter;
        else if (a.vertical == "top") v = Qt::AlignTop;
        return h | v;
    }
    default:
        return {};
    }
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return QString::fromStdString(columnLetters(section + 1));
    return section + 1;
}

}  // namespace lorvane::window
