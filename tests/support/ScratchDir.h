#pragma once
// A folder of its own for each test, named after the test and the process, removed afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace lorvane::testing {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
        : dir_(std::filesystem::temp_directory_path() /
               (prefix + "-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

}  // namespace lorvane::testing
