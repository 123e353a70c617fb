#pragma once
// What both splits share: reading the master sheet (used range, last column, last data row,
// footer, keys), the checks made before anything changes, and the writing of one key's sheet.
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "automation/Variant.h"
#include "split/KeyRows.h"
#include "split/SplitChecks.h"
#include "split/SplitRequest.h"

namespace lorvane {
class Workbook;
class Worksheet;
}

namespace lorvane::split {

struct SplitPlan {
    Worksheet* master = nullptr;
    SplitLayout layout;     // maxColumns as found when it was 0
    int usedRows = 0;       // last row of the master's used range (a sheet row)
    int lastDataRow = 0;    // last row whose key is collected
    VariantArray titles;    // titleRows x maxColumns from A1, as far as the used range reaches
    bool footerTaken = false;
    VariantArray footer;    // footerRows x maxColumns from the bottom of the used range
    std::vector<KeyRows> keys;
};

// Reads the master sheet named in the request and checks everything that can be checked
// before a change: the layout texts, the master's existence, the key column, every key's text
// as a name of `use`, keys that coincide (ignoring case), and for sheets the master's own name
// among the keys and a visible sheet left after the deletions. Never throws. Returns the message of the first refusal, or nothing with `plan` filled.
std::optional<std::string> planSplit(const SplitRequest& request, Workbook& source, NameUse use, SplitPlan& plan);

// Where the text number format goes relative to the master's formats: before them (split into
// sheets: the formats replace it) or after them (split into workbooks: it stays).
enum class FormatOrder { TextFirst, FormatsFirst };

// The master's formats, row for row, as each key's sheet receives them: pasted from the whole
// master sheet and then cut below the key's rows. With many keys, pasting the whole master for
// each one costs (keys x master rows); a hidden copy of the master's formats without the middle
// rows that no key reaches makes each paste cost only the rows it keeps, with the same result.
// The copy itself is made without the rows it leaves out.
class MasterFormats {
public:
    explicit MasterFormats(const SplitPlan& plan) : plan_(plan) {}
    // Prepares the hidden copy after the last sheet of the master's workbook (when it pays).
    void prepare();
    // Removes the hidden copy again (alerts off for the deletion); safe to call twice.
    void remove();
    // Pastes the formats into `target` from A1 and removes the formatted rows below the key's
    // `k` rows (leaving the footer rows when the footer was taken).
    void pasteInto(Worksheet& target, int k) const;

private:
    // A name for the hidden copy that neither a key nor a sheet of the workbook has.
    std::string helperSheetName() const;
    const SplitPlan& plan_;
    Worksheet* copy_ = nullptr;
    int cut_ = 0;  // rows already taken out of the copy
};

// Fills `target` (a new, empty sheet) for one key: the title rows, the key's rows, the master's
// formats row for row, then the footer when taken, and removes the formatted rows below.
void writeKeySheet(const SplitPlan& plan, const KeyRows& key, Worksheet& target, FormatOrder order,
                   const MasterFormats& formats);

// How a split run ended.
struct SplitOutcome {
    enum class Status { Done, Refused, Failed };
    Status status = Status::Done;
    std::string message;             // for Refused and Failed: what the user is told
    std::vector<std::string> made;   // sheets added, or files written (full paths)
    std::string outFolder;           // split into workbooks: the folder 分表, with a trailing '/'
    bool ok() const { return status == Status::Done; }
};

// What an exception says: an automation error's description, else its text.
std::string errorText(const std::exception& e);

// Joins names for a message: “a”、“b”, and “…等共 n 个” past `limit`.
std::string nameList(const std::vector<std::string>& names, std::size_t limit = 20);

}  // namespace lorvane::split
