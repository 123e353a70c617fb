#pragma once
// Legacy .xls through LibreOffice in headless mode: converted to .xlsx in a private temporary
// folder for reading, and back to .xls for saving.
#include <string>
#include <vector>

namespace lorvane::sheet {

// The soffice program, or empty when LibreOffice is not installed.
std::string findLibreOffice();

// A private temporary folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Converts `inputs` in one LibreOffice start into `outDir`, to "xlsx", "xls", "ods" or "csv". Returns, per input,
// the converted file, or an empty string where LibreOffice produced nothing. Throws
// AutomationError when LibreOffice is missing or does not finish in time.
std::vector<std::string> convertWithLibreOffice(const std::vector<std::string>& inputs, const std::string& outDir,
                                                const std::string& targetExtension);

// The message for a missing LibreOffice, naming the package to install.
std::string libreOfficeMissingMessage(const std::string& fileName);

}  // namespace lorvane::sheet
