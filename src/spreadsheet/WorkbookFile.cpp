#include "spreadsheet/WorkbookFile.h"

#include <algorithm>
#include <filesystem>

#include "automation/AutomationError.h"

namespace lorvane::sheet {

FileFormat formatForPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".xls") return FileFormat::Xls;
    if (ext == ".xlsm") return FileFormat::Xlsm;
    return FileFormat::Xlsx;
}

std::unique_ptr<BookData> readWorkbookFile(const std::string& path) {
    throw AutomationError(errc::kNotSupported, "尚不支持打开工作簿文件：" + path);
}

void writeWorkbookFile(const BookData&, const std::string& path, FileFormat) {
    throw AutomationError(errc::kNotSupported, "尚不支持保存工作簿文件：" + path);
}

std::shared_ptr<SheetPackage> copiedSheetPackage(const SheetData&, const BookData&, BookData&) { return nullptr; }

}  // namespace lorvane::sheet
