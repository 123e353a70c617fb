#include "spreadsheet/WorkbookFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/AutomationError.h"
#include "spreadsheet/BadFileChecks.h"
#include "spreadsheet/CopiedFeatures.h"
#include "spreadsheet/CsvFile.h"
#include "spreadsheet/LegacyXls.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/SafeSave.h"

namespace lorvane::sheet {

namespace fs = std::filesystem;

namespace {

std::string displayNameOf(const std::string& path) { return fs::path(path).filename().string(); }

// Why a path cannot be read, before its contents are looked at; nullopt when it can be tried.
std::optional<AutomationError> checkReadable(const std::string& path) {
    std::error_code ec;
    fs::path p(path);
    if (!fs::exists(p, ec)) {
        fs::path folder = p.parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            return AutomationError(errc::kPathNotFound, "找不到文件夹“" + folder.string() + "”。");
        return AutomationError(errc::kFileNotFound, "找不到文件“" + path + "”。");
    }
    if (fs::is_directory(p, ec)) return AutomationError(errc::kBadFile, "“" + path + "”是一个文件夹，不是工作簿文件。");
    return std::nullopt;
}

// Rethrows the exception being handled as an AutomationError that names the file: messages
// from deep inside (one part's XML) name the part, and the user needs the file too.
[[noreturn]] void rethrowNamingFile(const std::string& display) {
    try {
        throw;
    } catch (const AutomationError& e) {
        if (e.description().find(display) != std::string::npos) throw;
        throw AutomationError(e.number(), "文件“" + display + "”无法打开：" + e.description());
    } catch (const std::bad_alloc&) {
        throw AutomationError(errc::kBadFile, "文件“" + display + "”太大，内存不足，无法打开。");
    } catch (const std::length_error&) {
        throw AutomationError(errc::kBadFile, "文件“" + display + "”太大，内存不足，无法打开。");
    }
}

std::unique_ptr<BookData> readPackageGuarded(const std::string& path, const std::string& display, FileFormat format,
                                             SheetParsing parsing = SheetParsing::AllNow) {
    try {
        return readXlsxPackage(path, display, format, parsing);
    } catch (...) {
        rethrowNamingFile(display);
    }
}

std::unique_ptr<BookData> readCsvGuarded(const std::string& path, const std::string& display) {
    try {
        return readCsvFile(path, display);
    } catch (const std::bad_alloc&) {
        throw AutomationError(errc::kBadFile, "文件“" + display + "”太大，内存不足，无法打开。");
    } catch (const std::length_error&) {
        throw AutomationError(errc::kBadFile, "文件“" + display + "”太大，内存不足，无法打开。");
    }
}

bool isLegacyKind(FileKind kind, const std::string& path) {
    if (kind == FileKind::Compound || kind == FileKind::BareBiff) return true;
    // Many systems export an HTML table under an .xls name; LibreOffice reads those too.
    return kind == FileKind::Html && formatForPath(path) == FileFormat::Xls;
}

}  // namespace

FileFormat formatForPath(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".xls") return FileFormat::Xls;
    if (ext == ".xlsm") return FileFormat::Xlsm;
    if (ext == ".ods") return FileFormat::Ods;
    if (ext == ".csv") return FileFormat::Csv;
    return FileFormat::Xlsx;
}

std::vector<WorkbookReadResult> readWorkbookFiles(const std::vector<std::string>& paths, SheetParsing parsing) {
    std::vector<WorkbookReadResult> results(paths.size());
    std::vector<std::size_t> legacy;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        std::string display = displayNameOf(path);
        try {
            if (auto error = checkReadable(path)) throw *error;
            const FileFormat format = formatForPath(path);
            if (format == FileFormat::Csv) {
                results[i].book = readCsvGuarded(path, display);
                continue;
            }
            FileKind kind = sniffFile(path, display);
            switch (kind) {
            case FileKind::Zip:
                if (format == FileFormat::Ods) {  // an OpenDocument spreadsheet: LibreOffice reads it
                    legacy.push_back(i);
                    break;
                }
                results[i].book = readPackageGuarded(path, display, format, parsing);
                break;
            case FileKind::EncryptedOoxml:
                throw AutomationError(errc::kBadFile, "文件“" + display +
                                                          "”设有打开密码（已加密），无法读取。请先在电子表格程序中取消密码后再处理。");
            case FileKind::Empty:
                throw AutomationError(errc::kBadFile, "文件“" + display + "”是空文件，不是有效的工作簿。");
            default:
                if (isLegacyKind(kind, path)) {
                    legacy.push_back(i);
                    break;
                }
                throw AutomationError(errc::kBadFile, "文件“" + display + "”不是工作簿文件（无法识别的文件格式）。");
            }
        } catch (const AutomationError& e) {
            results[i].error = e;
        }
    }
    if (legacy.empty()) return results;
    if (findLibreOffice().empty()) {
        for (std::size_t i : legacy) results[i].error = AutomationError(errc::kNotSupported, libreOfficeMissingMessage(displayNameOf(paths[i])));
        return results;
    }
    try {
        TempFolder out;
        std::vector<std::string> inputs;
        for (std::size_t i : legacy) inputs.push_back(paths[i]);
        std::vector<std::string> converted = convertWithLibreOffice(inputs, out.path(), "xlsx");
        for (std::size_t k = 0; k < legacy.size(); ++k) {
            std::size_t i = legacy[k];
            std::string display = displayNameOf(paths[i]);
            try {
                if (converted[k].empty())
                    throw AutomationError(errc::kBadFile, "文件“" + display +
                                                              "”无法读取：LibreOffice 不能转换它（文件可能已损坏、设有密码或不是工作簿）。");
                // A converted .ods is saved as .xlsx; a .xls goes back through LibreOffice.
                const FileFormat source = formatForPath(paths[i]) == FileFormat::Ods ? FileFormat::Xlsx : FileFormat::Xls;
                results[i].book = readPackageGuarded(converted[k], display, source, parsing);
            } catch (const AutomationError& e) {
                results[i].error = e;
            }
        }
    } catch (const AutomationError& e) {
        for (std::size_t i : legacy)
            if (!results[i].book && !results[i].error) results[i].error = e;
    }
    return results;
}

std::unique_ptr<BookData> readWorkbookFile(const std::string& path, SheetParsing parsing) {
    auto results = readWorkbookFiles({path}, parsing);
    if (results[0].error) throw *results[0].error;
    return std::move(results[0].book);
}

void writeWorkbookFile(const BookData& book, const std::string& path, FileFormat format) {
    std::string display = displayNameOf(path);
    if (format == FileFormat::Ods || format == FileFormat::Csv)
        throw AutomationError(errc::kInvalidCall, "不能保存为“" + display + "”：.ods 和 .csv 文件只能读取，请保存为 .xlsx。");
    fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec)) throwSaveError(path, ENOENT);
    auto outOfMemory = [&] {
        return AutomationError(errc::kMethodFailed, "内存不足，无法保存“" + display + "”。原文件未被改动。");
    };
    if (format != FileFormat::Xls) {
        // The package streams into the temporary file as it is built.
        saveFileAtomically(path, [&](const ByteSink& write) {
            try {
                writeXlsxPackage(book, format, write);
            } catch (const std::bad_alloc&) {
                throw outOfMemory();
            }
        });
        return;
    }
    std::string bytes;
    try {
        bytes = buildXlsxPackage(book, FileFormat::Xlsx);
    } catch (const std::bad_alloc&) {
        throw outOfMemory();
    }
    // .xls: LibreOffice turns the package into the legacy format; the result then replaces the
    // target like any other save.
    if (findLibreOffice().empty()) throw AutomationError(errc::kNotSupported, libreOfficeMissingMessage(display));
    TempFolder work;
    std::string xlsxPath = (fs::path(work.path()) / "book.xlsx").string();
    {
        std::ofstream out(xlsxPath, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) throw AutomationError(errc::kMethodFailed, "无法保存“" + display + "”：临时文件写入失败。原文件未被改动。");
    }
    std::string outDir = (fs::path(work.path()) / "out").string();
    auto converted = convertWithLibreOffice({xlsxPath}, outDir, "xls");
    if (converted[0].empty())
        throw AutomationError(errc::kMethodFailed, "无法保存“" + display + "”：LibreOffice 未能生成 .xls 文件。原文件未被改动。");
    std::ifstream in(converted[0], std::ios::binary);
    std::string xls((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    saveFileAtomically(path, xls);
}

bool isWorksheet(const SheetData& sheet) { return !sheet.package || sheet.package->kind == SheetPackage::Kind::Worksheet; }

std::shared_ptr<SheetPackage> copiedSheetPackage(const SheetData& source, const BookData& from, BookData& to) {
    if (!source.package) return nullptr;
    auto copy = std::make_shared<SheetPackage>(*source.package);
    // A copy is a new sheet: it gets its own part, relationship id and sheet id when written, and
    // the parts the original points at (drawings, tables, comments) stay with the original.
    copy->owner = 0;
    copy->partName.clear();
    copy->relId.clear();
    copy->sheetId = 0;
    copy->hasRels = false;
    copy->relsData.clear();
    copy->kind = SheetPackage::Kind::Worksheet;
    copy->rawPart.clear();
    // Its tables come along as tables of its own; conditional formats keep their looks.
    carryTables(source, from, to, *copy);
    if (&from != &to) {
        remapConditionalFormats(*copy, from, to);
        for (auto& [key, extra] : copy->cellExtras) extra.cellAttrs.clear();
    }
    return copy;
}

void ensureSheetParsed(const BookData& constBook, const SheetData& constSheet) {
    if (!constSheet.parsePending) return;
    // Parsing fills in what the workbook already holds in its bytes; nothing a caller sees as
    // a change.
    auto& book = const_cast<BookData&>(constBook);
    auto& sheet = const_cast<SheetData&>(constSheet);
    std::shared_ptr<SheetPackage> kept = sheet.package;
    std::shared_ptr<DeferredWorksheet> deferred = std::move(kept->deferred);
    sheet.parsePending = false;
    DeferredContext& shared = *deferred->context;
    SheetReadContext ctx{book, shared.sharedStrings, shared.displayName, shared.plainTwins};
    const SheetPackage before = *kept;
    try {
        readWorksheetFrom([&](const XmlChunkSink& sink) { streamStoredEntry(deferred->part, shared.cap, kept->partName, shared.displayName, sink); },
                          kept->partName, ctx, sheet, *kept);
    } catch (...) {
        // Left as it was, so that nothing half-read is ever taken for the sheet.
        SheetData fresh;
        fresh.name = std::move(sheet.name);
        fresh.visibility = sheet.visibility;
        fresh.package = kept;
        fresh.parsePending = true;
        sheet = std::move(fresh);
        *kept = before;
        kept->deferred = std::move(deferred);
        rethrowNamingFile(shared.displayName);
    }
}

void ensureAllSheetsParsed(const BookData& book) {
    for (const auto& s : book.sheets) ensureSheetParsed(book, *s);
}

}  // namespace lorvane::sheet
