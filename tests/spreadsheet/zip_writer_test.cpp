// Parts deflated by us and stored by libzip as they are must read back byte for byte (the
// reader checks every CRC), whether written whole or in pieces, empty or large; the parallel
// writing of parts runs each piece once and reports a failing one.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "spreadsheet/ParallelFor.h"
#include "spreadsheet/ZipArchive.h"

using namespace lorvane::sheet;

namespace {

std::string sampleXml(std::size_t rows) {
    std::string s = "<sheetData>";
    std::mt19937 rng(7);
    for (std::size_t r = 1; r <= rows; ++r)
        s += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" +
             std::to_string(rng() % 100000) + "</v></c><c t=\"s\"><v>" + std::to_string(rng() % 50) + "</v></c></row>";
    return s + "</sheetData>";
}

std::string noise(std::size_t n) {
    std::string s(n, '\0');
    std::mt19937 rng(11);
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

TEST(ZipWriter, DeflatedPartsReadBackExactly) {
    const std::string big = sampleXml(200000);  // several MB, many pieces
    const std::string random = noise(3 << 20);  // does not compress
    PartDeflater pieces;
    for (std::size_t at = 0; at < big.size(); at += 777777) pieces.write(std::string_view(big).substr(at, 777777));
    DeflatedPart piecewise = pieces.finish();
    EXPECT_EQ(piecewise.size, big.size());
    EXPECT_LT(piecewise.compressedSize(), big.size() / 3);

    ZipWriter zip;
    zip.add("a/pieces.xml", std::move(piecewise));
    zip.add("a/whole.xml", big);
    zip.add("empty.xml", std::string_view());
    zip.add("random.bin", random);
    zip.add("[Content_Types].xml", std::string_view("<Types/>"));
    // Names as damaged or foreign files have them go back as the same bytes.
    const std::string control = "\x0f" "Content_Types].xml", gbk = "\xd6\xd0\xce\xc4.xml";
    zip.add(control, std::string_view("c"));
    zip.add(gbk, std::string_view("g"));
    std::string bytes = zip.finish();

    auto path = std::filesystem::temp_directory_path() / "lorvane_zip_writer_test.zip";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ZipReader reader(path.string(), "test.zip");
    EXPECT_EQ(reader.names(), (std::vector<std::string>{"a/pieces.xml", "a/whole.xml", "empty.xml", "random.bin",
                                                         "[Content_Types].xml", control, gbk}));
    EXPECT_EQ(reader.read(control), "c");
    EXPECT_EQ(reader.read(gbk), "g");
    EXPECT_EQ(reader.read("a/pieces.xml"), big);
    EXPECT_EQ(reader.read("a/whole.xml"), big);
    EXPECT_EQ(reader.read("empty.xml"), "");
    EXPECT_EQ(reader.read("random.bin"), random);
    EXPECT_EQ(reader.read("[Content_Types].xml"), "<Types/>");
    std::filesystem::remove(path);
}

TEST(ZipWriter, FinishedDeflaterRefusesMore) {
    PartDeflater d;
    d.write("abc");
    DeflatedPart p = d.finish();
    EXPECT_EQ(p.size, 3u);
    EXPECT_THROW(d.write("more"), std::exception);
}

TEST(ParallelFor, RunsEveryIndexOnceAndRethrowsAFailure) {
    for (unsigned threads : {1u, 2u, 4u}) {
        std::vector<std::atomic<int>> runs(1000);
        parallelFor(runs.size(), [&](std::size_t i) { ++runs[i]; }, threads);
        for (auto& r : runs) ASSERT_EQ(r.load(), 1) << threads;
    }
    std::atomic<int> after{0};
    EXPECT_THROW(parallelFor(
                     100,
                     [&](std::size_t i) {
                         if (i == 3) throw std::runtime_error("part failed");
                         ++after;
                     },
                     2),
                 std::runtime_error);
    EXPECT_LT(after.load(), 100);
    parallelFor(0, [](std::size_t) { FAIL(); }, 2);
}

}  // namespace
