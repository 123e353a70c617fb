// Every input kept under tests/fuzz/<target>/ once crashed, hung or broke a round trip in that
// fuzz target; each must now give an expected outcome. The harness tests check that the targets
// reach the engine: the fixed package the XML targets build must open and save, or the fuzzers
// would spend their time on a package the reader refuses anyway.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace fs = std::filesystem;
using namespace lorvane::fuzz;

namespace {

using Target = Outcome (*)(std::string_view);

struct Input {
    std::string target;
    fs::path file;
};

const std::vector<std::pair<std::string, Target>>& targets() {
    static const std::vector<std::pair<std::string, Target>> all = {
        {"package", runPackage},
        {"sheet_xml", runSheetXml},
        {"styles_xml", runStylesXml},
        {"shared_strings_xml", runSharedStringsXml},
    };
    return all;
}

std::vector<Input> keptInputs() {
    std::vector<Input> out;
    for (const auto& [name, run] : targets()) {
        fs::path dir = fs::path(LORVANE_FUZZ_INPUTS) / name;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) continue;
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file() && e.path().extension() != ".md") files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (auto& f : files) out.push_back({name, f});
    }
    return out;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzReplay : public testing::TestWithParam<Input> {};

TEST_P(FuzzReplay, GivesAnExpectedOutcome) {
    const Input& input = GetParam();
    Target run = nullptr;
    for (const auto& [name, t] : targets())
        if (name == input.target) run = t;
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(fs::is_regular_file(input.file)) << input.file << " is gone: rebuild to list the inputs again";
    std::string bytes = slurp(input.file);
    EXPECT_NO_THROW(run(bytes)) << input.file;
}

std::string testName(const testing::TestParamInfo<Input>& info) {
    std::string name = info.param.target + "_" + info.param.file.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzReplay, testing::ValuesIn(keptInputs()), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FuzzReplay);

TEST(FuzzHarness, FixedPackageOpensSavesAndReadsBack) {
    EXPECT_EQ(runSheetXml(kSheetXml), Outcome::RoundTripped);
    EXPECT_EQ(runStylesXml(kStylesXml), Outcome::RoundTripped);
    EXPECT_EQ(runSharedStringsXml(kSharedStringsXml), Outcome::RoundTripped);
    EXPECT_EQ(runPackage(buildPackage(kSheetXml, kStylesXml, kSharedStringsXml)), Outcome::RoundTripped);
}

TEST(FuzzHarness, DamagedInputsAreRejectedNotFaults) {
    auto half = [](std::string_view xml) { return xml.substr(0, xml.size() / 2); };
    EXPECT_EQ(runSheetXml(half(kSheetXml)), Outcome::Rejected);
    EXPECT_EQ(runStylesXml(half(kStylesXml)), Outcome::Rejected);
    EXPECT_EQ(runSharedStringsXml(half(kSharedStringsXml)), Outcome::Rejected);
    std::string package = buildPackage(kSheetXml, kStylesXml, kSharedStringsXml);
    EXPECT_EQ(runPackage(std::string_view(package).substr(0, package.size() - 30)), Outcome::Rejected);
    EXPECT_EQ(runPackage(""), Outcome::Rejected);
    EXPECT_EQ(runPackage("PK\x03\x04 not really a zip"), Outcome::Rejected);
    // A compound file would go to LibreOffice; the package target leaves it alone.
    EXPECT_EQ(runPackage(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0')), Outcome::Skipped);
}

}  // namespace
