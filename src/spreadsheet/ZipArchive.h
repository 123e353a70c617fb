#pragma once
// Zip packages through libzip: reading entries with caps on inflated size (zip bombs), and
// building a new archive in memory so that the caller decides where and how it reaches disk.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct zip;
typedef struct zip zip_t;

namespace lorvane::sheet {

// Limits on what one package may inflate to. A sheet is parsed as it streams, so its cap is
// about time, not memory; parts kept whole in memory have a lower cap.
struct InflateLimits {
    std::uint64_t perEntry = 1ull << 30;         // 1 GiB of XML in one part
    std::uint64_t perWholeEntry = 256ull << 20;  // a part read into memory
    std::uint64_t total = 2ull << 30;            // the whole package
    std::uint64_t ratioFloor = 32ull << 20;      // below this size any ratio is accepted
    std::uint64_t maxRatio = 500;                // inflated : compressed beyond the floor
    std::uint64_t maxEntries = 100000;
};

class ZipReader {
public:
    // Opens the archive; throws AutomationError (kBadFile) when it is no readable zip.
    ZipReader(const std::string& path, const std::string& displayName, InflateLimits limits = {});
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Entry names in the order of the central directory.
    const std::vector<std::string>& names() const { return names_; }
    bool has(std::string_view name) const;
    // The whole entry; throws when it is missing, damaged or beyond the limits.
    std::string read(std::string_view name);
    // Feeds the entry to `sink` in chunks as it inflates.
    void stream(std::string_view name, const std::function<void(const char*, std::size_t)>& sink);

private:
    std::int64_t indexOf(std::string_view name) const;
    void pump(std::string_view name, std::uint64_t cap, const std::function<void(const char*, std::size_t)>& sink);
    [[noreturn]] void fail(const std::string& what) const;

    zip_t* archive_ = nullptr;
    std::string display_;
    InflateLimits limits_;
    std::vector<std::string> names_;
    std::vector<std::uint64_t> compressedSizes_;
    std::uint64_t inflatedSoFar_ = 0;
};

// Collects entries and produces the archive bytes. Data handed in must stay alive until finish().
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds an entry that owns its bytes.
    void add(const std::string& name, std::string data);
    // Deflate level 1 for big generated XML (speed), default otherwise.
    void setFastCompression(bool fast) { fast_ = fast; }
    // Builds the archive and returns its bytes.
    std::string finish();

private:
    zip_t* archive_ = nullptr;
    void* source_ = nullptr;  // the in-memory zip_source_t the archive is written into
    std::vector<std::unique_ptr<std::string>> owned_;
    bool fast_ = true;
};

}  // namespace lorvane::sheet
