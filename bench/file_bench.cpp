// Reading and writing a large workbook: seconds, MB/s of sheet XML, peak memory.
//
//   bench/gen_file_bench.py bench/data/mixed_100k.xlsx      (once; 100,000 x 20 mixed cells)
//   file_bench [FILE]                                       (default: that file)
//   bench/openpyxl_file_bench.py FILE /tmp/out.xlsx          (the same with openpyxl)
//
// Each phase runs in its own child process so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/AutomationError.h"
#include "spreadsheet/BookData.h"
#include "spreadsheet/WorkbookFile.h"
#include "spreadsheet/ZipArchive.h"

namespace fs = std::filesystem;
using namespace lorvane;
using namespace lorvane::sheet;

namespace {

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Inflated size of the parts the engine parses (sheets and shared strings).
double xmlMegabytes(const std::string& path) {
    ZipReader zip(path, path);
    std::uint64_t total = 0;
    for (const std::string& name : zip.names())
        if (name.rfind("xl/worksheets/", 0) == 0 || name == "xl/sharedStrings.xml")
            zip.stream(name, [&](const char*, std::size_t n) { total += n; });
    return static_cast<double>(total) / 1e6;
}

template <typename F>
void inChild(F&& body) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        try {
            body();
        } catch (const AutomationError& e) {
            std::fprintf(stderr, "%s\n", e.description().c_str());
            _exit(1);
        }
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
    std::string in = argc > 1 ? argv[1] : (fs::path(LORVANE_BENCH_DIR) / "data/mixed_100k.xlsx").string();
    if (!fs::exists(in)) {
        std::fprintf(stderr, "missing %s: run bench/gen_file_bench.py %s first\n", in.c_str(), in.c_str());
        return 1;
    }
    std::string out = (fs::temp_directory_path() / "lorvane-file-bench.xlsx").string();
    std::printf("input %s: %.1f MB file\n", in.c_str(), static_cast<double>(fs::file_size(in)) / 1e6);

    inChild([&] {
        double xml = xmlMegabytes(in);
        auto t = std::chrono::steady_clock::now();
        auto book = readWorkbookFile(in);
        double s = seconds(t);
        std::printf("read : %.2f s  %.1f MB XML  %.0f MB/s  peak %.0f MB  (%zu cells)\n", s, xml, xml / s, peakMb(),
                    book->sheets[0]->cellCount());
    });
    inChild([&] {
        auto book = readWorkbookFile(in);
        double afterRead = peakMb();
        auto t = std::chrono::steady_clock::now();
        writeWorkbookFile(*book, out, FileFormat::Xlsx);
        double s = seconds(t);
        double xml = xmlMegabytes(out);
        std::printf("write: %.2f s  %.1f MB XML  %.0f MB/s  peak %.0f MB (%.0f MB after reading)  file %.1f MB\n", s, xml,
                    xml / s, peakMb(), afterRead, static_cast<double>(fs::file_size(out)) / 1e6);
    });
    // The file just written keeps its texts in the shared-string table, as office programs do;
    // the generated input has inline strings.
    inChild([&] {
        double xml = xmlMegabytes(out);
        auto t = std::chrono::steady_clock::now();
        auto book = readWorkbookFile(out);
        double s = seconds(t);
        std::printf("read of the written file (shared strings): %.2f s  %.1f MB XML  %.0f MB/s  peak %.0f MB\n", s, xml,
                    xml / s, peakMb());
    });
    fs::remove(out);
    return 0;
}
