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

    // The limits above, lowered to what this process can hold: a part read whole may take a
    // sixteenth of the memory, a streamed part and the whole package half of it. The memory is
    // the machine's, or less where the process runs under an address-space or data limit.
    static InflateLimits forThisProcess();
};

// An entry's bytes as the archive stores them, to be inflated later (after the archive is closed).
struct StoredEntry {
    std::string bytes;
    bool deflated = false;  // false: stored as it is
    std::uint32_t crc = 0;
    std::uint64_t size = 0;  // inflated size from the directory
};

// Inflates a stored entry with ISA-L, feeding `sink` in chunks; checks size and CRC. `cap`
// bounds the inflated size; `name` and `display` go into the messages.
void inflateStoredEntry(const StoredEntry& entry, std::uint64_t cap, const std::string& name, const std::string& display,
                        const std::function<void(const char*, std::size_t)>& sink);

// The same, inflating on a helper thread while `sink` works (for big parts).
void streamStoredEntry(const StoredEntry& entry, std::uint64_t cap, const std::string& name, const std::string& display,
                       const std::function<void(const char*, std::size_t)>& sink);

class ZipReader {
public:
    // Opens the archive; throws AutomationError (kBadFile) when it is no readable zip.
    ZipReader(const std::string& path, const std::string& displayName,
              InflateLimits limits = InflateLimits::forThisProcess());
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
    // The entry's bytes as stored, not inflated; its own limits apply when it is inflated.
    StoredEntry readStored(std::string_view name);
    const InflateLimits& limits() const { return limits_; }

private:
    std::int64_t indexOf(std::string_view name) const;
    void pump(std::string_view name, std::uint64_t cap, const std::function<void(const char*, std::size_t)>& sink);
    [[noreturn]] void fail(const std::string& what) const;

    zip_t* archive_ = nullptr;
    std::string display_;
    InflateLimits limits_;
    std::vector<std::string> names_;
    struct EntryInfo {
        std::uint64_t compressedSize = 0, size = 0;
        std::uint32_t crc = 0;
        bool rawDeflate = false;  // plain deflate, not encrypted: inflated here with ISA-L
    };
    std::vector<EntryInfo> entries_;
    std::uint64_t inflatedSoFar_ = 0;
};

// A part's bytes as a zip entry stores them: a raw deflate stream, kept in blocks so that it
// grows without copies, with the inflated size and CRC.
struct DeflatedPart {
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0, capacity = 0;
    };
    std::vector<Block> blocks;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t compressedSize() const;
};

// Deflates a part piece by piece as it is produced, so a big generated part never sits in
// memory whole. ISA-L's fastest level: on sheet XML it compresses a little better than zlib's
// level 1 in about a quarter of the time.
class PartDeflater {
public:
    // `sizeHint`: the part's size when known (0: unknown, maybe large).
    explicit PartDeflater(std::size_t sizeHint = 0);
    ~PartDeflater();
    PartDeflater(const PartDeflater&) = delete;
    PartDeflater& operator=(const PartDeflater&) = delete;

    void write(std::string_view bytes);
    // Ends the stream; the deflater is spent afterwards.
    DeflatedPart finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Deflates `bytes` whole.
DeflatedPart deflatePart(std::string_view bytes);

// Collects entries and produces the archive bytes.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds an entry from its bytes (deflated here).
    void add(const std::string& name, std::string_view data);
    // Adds an entry already deflated; libzip stores its stream as it is.
    void add(const std::string& name, DeflatedPart part);
    // Builds the archive and hands its bytes to `sink` in order.
    void finish(const std::function<void(std::string_view)>& sink);
    std::string finish();

private:
    zip_t* archive_ = nullptr;
    void* source_ = nullptr;  // the in-memory zip_source_t the archive is written into
};

}  // namespace lorvane::sheet
