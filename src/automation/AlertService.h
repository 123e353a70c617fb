#pragma once
// The questions the object model asks while DisplayAlerts is on. The desktop program answers
// them with message boxes; tests with scripted answers; headless use with the defaults here.
#include <string>

namespace lorvane {

class AlertService {
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~AlertService() = default;
    // Closing a modified workbook: save it first?
    virtual Answer askSaveChanges(const std::string& workbookName) { return Answer::No; }
    // Deleting a sheet: really delete it?
    virtual bool confirmDeleteSheet(const std::string& sheetName) { return true; }
    // SaveAs over an existing file: replace it?
    virtual bool confirmReplaceFile(const std::string& path) { return true; }
    // Saving a workbook that has no file yet: where to? Empty = cancelled.
    virtual std::string askSaveAsPath(const std::string& suggestedName) { return {}; }
};

}  // namespace lorvane
