#include "spreadsheet/BadFileChecks.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

#include "base/AutomationError.h"

namespace lorvane::sheet {

namespace {

// The stream name "EncryptedPackage" as a compound file directory stores it (UTF-16LE).
bool holdsEncryptedPackage(std::ifstream& in) {
    static const std::string needle = [] {
        std::string s;
        for (char c : std::string_view("EncryptedPackage")) {
            s += c;
            s += '\0';
        }
        return s;
    }();
    in.clear();
    in.seekg(0);
    // Directory sectors can sit anywhere; encrypted workbooks are scanned up to a bound.
    constexpr std::size_t kChunk = 1 << 20, kLimit = 256u << 20;
    std::string buffer;
    std::size_t scanned = 0;
    std::vector<char> chunk(kChunk);
    while (in && scanned < kLimit) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        std::string keep = buffer.size() > needle.size() ? buffer.substr(buffer.size() - needle.size()) : buffer;
        buffer = keep + std::string(chunk.data(), got);
        if (buffer.find(needle) != std::string::npos) return true;
        scanned += got;
    }
    return false;
}

}  // namespace

FileKind sniffFile(const std::string& path, const std::string& displayName) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        int err = errno;
        if (err == EACCES || err == EPERM)
            throw AutomationError(errc::kPermission, "没有权限读取文件“" + displayName + "”。");
        throw AutomationError(errc::kFileNotFound, "找不到文件“" + displayName + "”。");
    }
    unsigned char head[512] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    std::size_t n = static_cast<std::size_t>(in.gcount());
    if (n == 0) return FileKind::Empty;
    if (n >= 4 && head[0] == 'P' && head[1] == 'K' && (head[2] == 3 || head[2] == 5 || head[2] == 7) &&
        (head[3] == 4 || head[3] == 6 || head[3] == 8))
        return FileKind::Zip;
    static const unsigned char kCfb[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (n >= 8 && std::memcmp(head, kCfb, 8) == 0)
        return holdsEncryptedPackage(in) ? FileKind::EncryptedOoxml : FileKind::Compound;
    // BIFF2/3/4 BOF records: 0x0009, 0x0209, 0x0409, 0x0809 with a plausible length.
    if (n >= 4 && head[0] == 0x09 && (head[1] == 0x00 || head[1] == 0x02 || head[1] == 0x04 || head[1] == 0x08) &&
        head[3] == 0x00 && head[2] >= 4 && head[2] <= 20)
        return FileKind::BareBiff;
    std::string_view text(reinterpret_cast<const char*>(head), n);
    std::size_t i = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '<') {
        std::string lowered;
        for (char c : text.substr(i, 200)) lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lowered.find("<html") != std::string::npos || lowered.find("<!doctype html") != std::string::npos ||
            lowered.find("<table") != std::string::npos || lowered.find("<?xml") != std::string::npos)
            return FileKind::Html;
    }
    return FileKind::Unknown;
}

}  // namespace lorvane::sheet
