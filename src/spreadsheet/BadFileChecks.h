#pragma once
// Telling what a file is from its first bytes, before any parser sees it.
#include <string>

namespace lorvane::sheet {

enum class FileKind {
    Zip,             // an Open XML package (or any zip)
    Compound,        // an OLE compound file: a legacy .xls ...
    EncryptedOoxml,  // ... or an encrypted Open XML workbook (EncryptedPackage stream)
    BareBiff,        // a BIFF2-4 worksheet stream without a container
    Html,            // an HTML or XML table saved under a spreadsheet name
    Empty,
    Unknown,
};

// Throws AutomationError when the file cannot be opened at all (missing, no permission).
FileKind sniffFile(const std::string& path, const std::string& displayName);

}  // namespace lorvane::sheet
