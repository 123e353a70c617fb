#include "spreadsheet/ZipArchive.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zip.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "base/AutomationError.h"
#include "base/Utf8.h"

namespace lorvane::sheet {

namespace {

constexpr std::size_t kChunk = 256 * 1024;
using Sink = std::function<void(const char*, std::size_t)>;

std::string zipErrorText(int code) {
    switch (code) {
    case ZIP_ER_NOZIP: return "不是有效的压缩包";
    case ZIP_ER_INCONS: return "压缩包结构不一致";
    case ZIP_ER_CRC: return "数据校验失败";
    case ZIP_ER_EOF: case ZIP_ER_READ: case ZIP_ER_SEEK: return "文件被截断或无法读取";
    case ZIP_ER_ENCRNOTSUPP: case ZIP_ER_NOPASSWD: case ZIP_ER_WRONGPASSWD: return "压缩包已加密";
    case ZIP_ER_COMPNOTSUPP: return "使用了不支持的压缩方式";
    case ZIP_ER_MEMORY: return "内存不足";
    default: return "压缩包已损坏";
    }
}

// Raw deflate through ISA-L, about three times as fast as zlib on sheet XML; the CRC is
// computed on the way and checked at the end, as libzip would.
class Inflater {
public:
    // `expected`: the inflated size the directory gives, so that a small part gets a small buffer.
    // isal_inflate_init sets every field the inflater reads: the 40 KB state is not zeroed first.
    explicit Inflater(std::uint64_t expected)
        : state_(std::make_unique_for_overwrite<inflate_state>()),
          outSize_(static_cast<std::size_t>(std::clamp<std::uint64_t>(expected, 4096, kChunk))),
          out_(std::make_unique_for_overwrite<std::uint8_t[]>(outSize_)) {
        isal_inflate_init(state_.get());
        state_->crc_flag = ISAL_GZIP_NO_HDR;
    }

    // Inflates one piece of input; false when the data is damaged.
    template <typename Emit>
    bool feed(const std::uint8_t* data, std::size_t size, Emit&& emit) {
        while (size > 0 && !finished()) {
            const std::size_t slice = std::min<std::size_t>(size, 1u << 30);  // ISA-L counts in 32 bits
            state_->next_in = const_cast<std::uint8_t*>(data);
            state_->avail_in = static_cast<std::uint32_t>(slice);
            data += slice;
            size -= slice;
            do {
                state_->next_out = out_.get();
                state_->avail_out = static_cast<std::uint32_t>(outSize_);
                if (isal_inflate(state_.get()) < 0) return false;
                const std::size_t got = outSize_ - state_->avail_out;
                if (got) emit(reinterpret_cast<const char*>(out_.get()), got);
            } while (!finished() && (state_->avail_in > 0 || state_->avail_out == 0));
        }
        return true;
    }
    bool finished() const { return state_->block_state == ISAL_BLOCK_FINISH; }
    std::uint32_t crc() const { return state_->crc; }
    std::uint64_t produced() const { return state_->total_out; }

private:
    std::unique_ptr<inflate_state> state_;
    std::size_t outSize_;
    std::unique_ptr<std::uint8_t[]> out_;
};

// Checks what an inflater produced against the directory's size and CRC.
bool inflatedIntact(const Inflater& in, std::uint64_t size, std::uint32_t crc) {
    return in.finished() && in.produced() == size && in.crc() == crc;
}

// Runs `produce` on a helper thread and hands its chunks to `sink` here: inflating and
// parsing take about the time of the slower one instead of the sum. A few chunks in flight
// bound the memory.
void pipeThroughHelperThread(const std::function<void(const Sink&)>& produce, const Sink& sink) {
    struct Stopped {};
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> ready;
    bool done = false, stop = false;
    std::exception_ptr failure;
    std::thread producer([&] {
        try {
            produce([&](const char* p, std::size_t n) {
                std::string chunk(p, n);
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return ready.size() < 4 || stop; });
                if (stop) throw Stopped{};
                ready.push_back(std::move(chunk));
                changed.notify_all();
            });
        } catch (const Stopped&) {
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex);
        done = true;
        changed.notify_all();
    });
    try {
        for (;;) {
            std::string chunk;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !ready.empty() || done; });
                if (ready.empty()) break;
                chunk = std::move(ready.front());
                ready.pop_front();
                changed.notify_all();
            }
            sink(chunk.data(), chunk.size());
        }
    } catch (...) {
        {
            std::lock_guard lock(mutex);
            stop = true;
            changed.notify_all();
        }
        producer.join();
        throw;
    }
    producer.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

void inflateStoredEntry(const StoredEntry& entry, std::uint64_t cap, const std::string& name, const std::string& display,
                        const std::function<void(const char*, std::size_t)>& sink) {
    auto fail = [&](const std::string& what) {
        throw AutomationError(errc::kBadFile, "文件“" + display + "”已损坏或不是正常的工作簿：部件“" + name + "”" + what);
    };
    if (entry.size > cap) fail("解压后的大小异常（疑似压缩炸弹）。");
    if (!entry.deflated) {
        sink(entry.bytes.data(), entry.bytes.size());
        return;
    }
    Inflater in(entry.size);
    std::uint64_t inflated = 0;
    bool ok = in.feed(reinterpret_cast<const std::uint8_t*>(entry.bytes.data()), entry.bytes.size(), [&](const char* p, std::size_t n) {
        inflated += n;
        if (inflated > entry.size) fail("的数据无法解压（数据校验失败）。");
        sink(p, n);
    });
    if (!ok || !inflatedIntact(in, entry.size, entry.crc)) fail("的数据无法解压（数据校验失败）。");
}

InflateLimits InflateLimits::forThisProcess() {
    std::uint64_t memory = ~0ull;
    long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) memory = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit rl{};
        if (getrlimit(resource, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
            memory = std::min<std::uint64_t>(memory, rl.rlim_cur);
    }
    InflateLimits limits;
    limits.perWholeEntry = std::min(limits.perWholeEntry, memory / 16);
    limits.perEntry = std::min(limits.perEntry, memory / 2);
    limits.total = std::min(limits.total, memory / 2);
    return limits;
}

ZipReader::ZipReader(const std::string& path, const std::string& displayName, InflateLimits limits)
    : display_(displayName), limits_(limits) {
    int err = 0;
    archive_ = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!archive_) {
        if (err == ZIP_ER_OPEN || err == ZIP_ER_READ)
            throw AutomationError(errc::kPermission, "无法读取文件“" + display_ + "”。");
        throw AutomationError(errc::kBadFile,
                              "文件“" + display_ + "”不是有效的工作簿或已损坏（" + zipErrorText(err) + "）。");
    }
    zip_int64_t n = zip_get_num_entries(archive_, 0);
    if (n < 0 || static_cast<std::uint64_t>(n) > limits_.maxEntries) {
        zip_discard(archive_);
        archive_ = nullptr;
        throw AutomationError(errc::kBadFile, "文件“" + display_ + "”包含的条目过多，不是正常的工作簿。");
    }
    std::unordered_set<std::string> seen;
    names_.reserve(static_cast<std::size_t>(n));
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (!name || zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
            zip_discard(archive_);
            archive_ = nullptr;
            throw AutomationError(errc::kBadFile, "文件“" + display_ + "”已损坏（压缩包目录无法读取）。");
        }
        // Two entries of one name could be read differently by different programs: refuse.
        if (!seen.insert(name).second) {
            std::string duplicate = name;  // the archive owns `name`
            zip_discard(archive_);
            archive_ = nullptr;
            throw AutomationError(errc::kBadFile, "文件“" + display_ + "”已损坏：压缩包中有重复的条目“" + duplicate + "”。");
        }
        names_.emplace_back(name);
        EntryInfo info;
        info.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        info.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        info.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
        const zip_uint64_t needed = ZIP_STAT_COMP_SIZE | ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        info.rawDeflate = (st.valid & needed) == needed && st.comp_method == ZIP_CM_DEFLATE && st.encryption_method == ZIP_EM_NONE;
        entries_.push_back(info);
    }
}

ZipReader::~ZipReader() {
    if (archive_) zip_discard(archive_);
}

void ZipReader::fail(const std::string& what) const {
    throw AutomationError(errc::kBadFile, "文件“" + display_ + "”已损坏或不是正常的工作簿：" + what);
}

std::int64_t ZipReader::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return static_cast<std::int64_t>(i);
    // Package part names compare without regard to case.
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const std::string& n = names_[i];
        if (n.size() != name.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < n.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(n[k])) == std::tolower(static_cast<unsigned char>(name[k]));
        if (same) return static_cast<std::int64_t>(i);
    }
    return -1;
}

bool ZipReader::has(std::string_view name) const { return indexOf(name) >= 0; }

void ZipReader::pump(std::string_view name, std::uint64_t cap, const std::function<void(const char*, std::size_t)>& sink) {
    std::int64_t index = indexOf(name);
    if (index < 0) fail("缺少部件“" + std::string(name) + "”。");
    const EntryInfo& info = entries_[static_cast<std::size_t>(index)];
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), info.rawDeflate ? ZIP_FL_COMPRESSED : 0);
    if (!file) fail("部件“" + std::string(name) + "”无法打开（" + zipErrorText(zip_error_code_zip(zip_get_error(archive_))) + "）。");
    struct Closer {
        zip_file_t* f;
        ~Closer() { zip_fclose(f); }
    } closer{file};
    std::uint64_t compressed = std::max<std::uint64_t>(info.compressedSize, 1);
    std::uint64_t inflated = 0;
    auto deliver = [&](const char* p, std::size_t n) {
        inflated += n;
        inflatedSoFar_ += n;
        if (inflated > cap || inflatedSoFar_ > limits_.total ||
            (inflated > limits_.ratioFloor && inflated / compressed > limits_.maxRatio))
            fail("部件“" + std::string(name) + "”解压后的大小异常（疑似压缩炸弹）。");
        sink(p, n);
    };
    auto damaged = [&](int code) { fail("部件“" + std::string(name) + "”的数据无法解压（" + zipErrorText(code) + "）。"); };
    // Sized from the directory (one more byte, so that the end is seen in one read); not zeroed:
    // a workbook's small parts would otherwise cost a 256 KB memset each.
    const std::uint64_t toRead = info.rawDeflate ? info.compressedSize : info.size;
    const auto bufferSize = static_cast<std::size_t>(std::min<std::uint64_t>(toRead + 1, kChunk));
    auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    std::optional<Inflater> inflater;
    if (info.rawDeflate) inflater.emplace(info.size);
    for (;;) {
        zip_int64_t got = zip_fread(file, buffer.get(), bufferSize);
        if (got < 0) damaged(zip_error_code_zip(zip_file_get_error(file)));
        if (got == 0) break;
        if (!inflater) {
            deliver(buffer.get(), static_cast<std::size_t>(got));
        } else if (!inflater->feed(reinterpret_cast<const std::uint8_t*>(buffer.get()), static_cast<std::size_t>(got), deliver)) {
            damaged(ZIP_ER_INCONS);
        }
    }
    if (inflater && !inflatedIntact(*inflater, info.size, info.crc)) damaged(ZIP_ER_CRC);
}

StoredEntry ZipReader::readStored(std::string_view name) {
    std::int64_t index = indexOf(name);
    if (index < 0) fail("缺少部件“" + std::string(name) + "”。");
    const EntryInfo& info = entries_[static_cast<std::size_t>(index)];
    if (!info.rawDeflate) {
        StoredEntry whole;
        whole.bytes = read(name);
        whole.size = whole.bytes.size();
        return whole;
    }
    if (info.size > limits_.perEntry || (info.size > limits_.ratioFloor && info.size / std::max<std::uint64_t>(info.compressedSize, 1) > limits_.maxRatio))
        fail("部件“" + std::string(name) + "”解压后的大小异常（疑似压缩炸弹）。");
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), ZIP_FL_COMPRESSED);
    if (!file) fail("部件“" + std::string(name) + "”无法打开（" + zipErrorText(zip_error_code_zip(zip_get_error(archive_))) + "）。");
    struct Closer {
        zip_file_t* f;
        ~Closer() { zip_fclose(f); }
    } closer{file};
    StoredEntry out;
    out.deflated = true;
    out.crc = info.crc;
    out.size = info.size;
    out.bytes.resize(info.compressedSize);
    std::size_t at = 0;
    while (at < out.bytes.size()) {
        zip_int64_t got = zip_fread(file, out.bytes.data() + at, out.bytes.size() - at);
        if (got <= 0) fail("部件“" + std::string(name) + "”的数据无法读取（" + zipErrorText(ZIP_ER_READ) + "）。");
        at += static_cast<std::size_t>(got);
    }
    return out;
}

std::string ZipReader::read(std::string_view name) {
    std::string out;
    pump(name, limits_.perWholeEntry, [&](const char* p, std::size_t n) { out.append(p, n); });
    return out;
}

void ZipReader::stream(std::string_view name, const std::function<void(const char*, std::size_t)>& sink) {
    pipeThroughHelperThread([&](const Sink& out) { pump(name, limits_.perEntry, out); }, sink);
}

void streamStoredEntry(const StoredEntry& entry, std::uint64_t cap, const std::string& name, const std::string& display,
                       const std::function<void(const char*, std::size_t)>& sink) {
    if (!entry.deflated || entry.size < kChunk) {
        inflateStoredEntry(entry, cap, name, display, sink);
        return;
    }
    pipeThroughHelperThread([&](const Sink& out) { inflateStoredEntry(entry, cap, name, display, out); }, sink);
}

std::uint64_t DeflatedPart::compressedSize() const {
    std::uint64_t n = 0;
    for (const Block& b : blocks) n += b.size;
    return n;
}

struct PartDeflater::State {
    static constexpr std::size_t kBlock = 256 * 1024;
    isal_zstream stream;
    std::unique_ptr<std::uint8_t[]> levelBuffer;
    std::size_t firstBlock;
    DeflatedPart part;
    bool finished = false;

    // A small part gets small buffers: a workbook has a dozen parts, most of a few hundred
    // bytes, and a split may write hundreds of workbooks.
    explicit State(std::size_t sizeHint) {
        const bool small = sizeHint > 0 && sizeHint < kBlock;
        const std::size_t levelSize = small ? ISAL_DEF_LVL1_SMALL : ISAL_DEF_LVL1_DEFAULT;
        levelBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(levelSize);
        firstBlock = small ? sizeHint + 1024 : kBlock;
        isal_deflate_init(&stream);
        stream.level = 1;
        stream.level_buf = levelBuffer.get();
        stream.level_buf_size = static_cast<std::uint32_t>(levelSize);
        stream.gzip_flag = IGZIP_DEFLATE;
        stream.flush = NO_FLUSH;
    }

    void run(const char* data, std::size_t size, bool last) {
        if (finished) throw AutomationError(errc::kMethodFailed, "压缩数据时出错（数据流已结束）。");
        part.crc = crc32_gzip_refl(part.crc, reinterpret_cast<const std::uint8_t*>(data), size);
        part.size += size;
        // ISA-L counts in 32 bits: hand big pieces over in slices.
        constexpr std::size_t kSlice = 1u << 30;
        do {
            std::size_t slice = std::min(size, kSlice);
            stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(data));
            stream.avail_in = static_cast<std::uint32_t>(slice);
            data += slice;
            size -= slice;
            stream.end_of_stream = last && size == 0;
            do {
                if (part.blocks.empty() || part.blocks.back().size == part.blocks.back().capacity) {
                    std::size_t room = part.blocks.empty() ? firstBlock : kBlock;
                    part.blocks.push_back({std::make_unique_for_overwrite<char[]>(room), 0, room});
                }
                DeflatedPart::Block& block = part.blocks.back();
                stream.next_out = reinterpret_cast<std::uint8_t*>(block.bytes.get() + block.size);
                stream.avail_out = static_cast<std::uint32_t>(block.capacity - block.size);
                int rc = isal_deflate(&stream);
                block.size = block.capacity - stream.avail_out;
                if (rc != COMP_OK) throw AutomationError(errc::kMethodFailed, "压缩数据时出错（代码 " + std::to_string(rc) + "）。");
            } while (stream.avail_in > 0 || (stream.end_of_stream && stream.internal_state.state != ZSTATE_END));
        } while (size > 0);
        finished = last;
    }
};

PartDeflater::PartDeflater(std::size_t sizeHint) : state_(std::make_unique<State>(sizeHint)) {}
PartDeflater::~PartDeflater() = default;

void PartDeflater::write(std::string_view bytes) {
    if (!bytes.empty()) state_->run(bytes.data(), bytes.size(), false);
}

DeflatedPart PartDeflater::finish() {
    state_->run("", 0, true);
    // A small part should not hold a whole block.
    if (!state_->part.blocks.empty()) {
        DeflatedPart::Block& last = state_->part.blocks.back();
        if (last.size < last.capacity / 2) {
            auto fitted = std::make_unique_for_overwrite<char[]>(last.size);
            std::memcpy(fitted.get(), last.bytes.get(), last.size);
            last.bytes = std::move(fitted);
            last.capacity = last.size;
        }
    }
    return std::move(state_->part);
}

DeflatedPart deflatePart(std::string_view bytes) {
    PartDeflater deflater(bytes.size());
    deflater.write(bytes);
    return deflater.finish();
}

namespace {

// A zip source that hands libzip a stream already deflated: its stat names the method, sizes
// and CRC, so libzip copies the bytes instead of compressing again.
struct DeflatedSource {
    DeflatedPart part;
    std::size_t block = 0, pos = 0;  // the read position: block and offset in it
    std::uint64_t compressedSize = 0;
    bool released = false;  // the bytes are gone once libzip has copied them
    zip_error_t error;
};

zip_int64_t readDeflatedSource(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<DeflatedSource*>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        if (s->released) {
            zip_error_set(&s->error, ZIP_ER_INTERNAL, 0);
            return -1;
        }
        s->block = s->pos = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        auto* out = static_cast<char*>(data);
        std::size_t n = 0;
        while (n < len && s->block < s->part.blocks.size()) {
            const DeflatedPart::Block& b = s->part.blocks[s->block];
            std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(len) - n, b.size - s->pos);
            std::memcpy(out + n, b.bytes.get() + s->pos, take);
            n += take;
            s->pos += take;
            if (s->pos == b.size) ++s->block, s->pos = 0;
        }
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
        // Copied into the archive once read to the end: free it now, not when the archive closes.
        if (s->block == s->part.blocks.size()) {
            std::vector<DeflatedPart::Block>().swap(s->part.blocks);
            s->block = s->pos = 0;
            s->released = true;
        }
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &s->error);
        if (!st) return -1;
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        st->size = s->part.size;
        st->comp_size = s->compressedSize;
        st->comp_method = ZIP_CM_DEFLATE;
        st->crc = s->part.crc;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&s->error, data, len);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&s->error);
        delete s;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
}

}  // namespace

ZipWriter::ZipWriter() {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!src) throw AutomationError(errc::kMethodFailed, "无法创建压缩包（内存不足）。");
    zip_source_keep(src);  // the bytes are read back after zip_close
    archive_ = zip_open_from_source(src, ZIP_TRUNCATE, &error);
    if (!archive_) {
        zip_source_free(src);
        zip_source_free(src);
        zip_error_fini(&error);
        throw AutomationError(errc::kMethodFailed, "无法创建压缩包。");
    }
    source_ = src;
    zip_error_fini(&error);
}

ZipWriter::~ZipWriter() {
    if (archive_) zip_discard(archive_);
    if (source_) zip_source_free(static_cast<zip_source_t*>(source_));
}

void ZipWriter::add(const std::string& name, std::string_view data) { add(name, deflatePart(data)); }

void ZipWriter::add(const std::string& name, DeflatedPart part) {
    auto* state = new DeflatedSource{};
    state->compressedSize = part.compressedSize();
    state->part = std::move(part);
    zip_error_init(&state->error);
    zip_source_t* src = zip_source_function(archive_, readDeflatedSource, state);
    if (!src) {
        zip_error_fini(&state->error);
        delete state;
        throw AutomationError(errc::kMethodFailed, "无法写入部件“" + name + "”。");
    }
    // A name read in another encoding (some zip tools write GBK names) goes back as the same bytes;
    // so does one with control characters, which libzip refuses to take as UTF-8.
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    const zip_flags_t encoding = isValidUtf8(name) && !control ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_RAW;
    if (zip_file_add(archive_, name.c_str(), src, encoding | ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(src);  // frees `state` too
        throw AutomationError(errc::kMethodFailed, "无法写入部件“" + name + "”。");
    }
}

std::string ZipWriter::finish() {
    std::string out;
    finish([&](std::string_view piece) { out.append(piece); });
    return out;
}

void ZipWriter::finish(const std::function<void(std::string_view)>& sink) {
    if (zip_close(archive_) != 0) {
        std::string why = zip_strerror(archive_);
        zip_discard(archive_);
        archive_ = nullptr;
        throw AutomationError(errc::kMethodFailed, "无法生成工作簿压缩包：" + why);
    }
    archive_ = nullptr;
    auto* src = static_cast<zip_source_t*>(source_);
    if (zip_source_open(src) < 0) throw AutomationError(errc::kMethodFailed, "无法读取生成的压缩包。");
    std::string chunk(kChunk * 4, '\0');
    for (;;) {
        zip_int64_t got = zip_source_read(src, chunk.data(), chunk.size());
        if (got < 0) {
            zip_source_close(src);
            throw AutomationError(errc::kMethodFailed, "无法读取生成的压缩包。");
        }
        if (got == 0) break;
        try {
            sink(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
        } catch (...) {
            zip_source_close(src);
            throw;
        }
    }
    zip_source_close(src);
}

}  // namespace lorvane::sheet
