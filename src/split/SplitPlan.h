#pragma once
// What both splits share: reading the master sheet (used range, last column, last data row,
// footer, keys), the checks made before anything changes, and the writing of one key's sheet.
#include <optional>
#include <string>
#include <vector>

#include "automation/Variant.h"
#include "split/KeyRows.h"
#include "split/SplitChecks.h"
#include "split/SplitRequest.h"
#include "runs/RunOutcome.h"
#include "runs/TableLayout.h"

namespace lorvane {
class Workbook;
class Worksheet;
}

namespace lorvane::split {

// The master measured by the table layout (the last data row is the last row whose key is
// collected), and its keys.
struct SplitPlan : runs::MeasuredTable {
    Worksheet* master = nullptr;
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

}  // namespace lorvane::split
