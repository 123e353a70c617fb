#include "split/KeyRows.h"

#include "automation/Conversions.h"
#include "automation/CreateObject.h"
#include "automation/KeyedCollection.h"
#include "automation/Worksheet.h"

namespace lorvane::split {

std::vector<KeyRows> collectKeyRows(Worksheet& master, int column, int firstRow, int lastRow) {
    // KeyRowMap: key -> position of its entry in `out`.
    auto keyRowMap = CreateObjectAs<KeyedCollection>("scripting.dictionary");
    std::vector<KeyRows> out;
    for (int r = firstRow; r <= lastRow; ++r) {
        Variant key = master.Cells(r, column).Value();
        if (key.isEmpty() || (key.isText() && key.text().empty())) key = Variant(kEmptyKey);
        if (const Variant* at = keyRowMap->Find(key)) {
            out[static_cast<std::size_t>(at->number())].rows.push_back(r);
            continue;
        }
        keyRowMap->Add(key, Variant(static_cast<double>(out.size())));
        out.push_back({key, convert::toText(key), {r}});
    }
    return out;
}

}  // namespace lorvane::split
