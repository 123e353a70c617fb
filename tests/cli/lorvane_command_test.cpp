// The `lorvane` executable's command line, run as a user runs it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string output;
};

// Runs the program with `args`, capturing standard output or standard error; `prefix` (environment
// settings, a wrapper) goes before the program.
Result runLorvane(const std::string& args, bool standardError, const std::string& prefix = "") {
    std::string cmd = prefix + " '" + LORVANE_EXECUTABLE + "' " + args + (standardError ? " 2>&1 >/dev/null" : " 2>/dev/null");
    Result r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buf{};
    while (std::size_t n = fread(buf.data(), 1, buf.size(), pipe)) r.output.append(buf.data(), n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(LorvaneCommandLine, UnknownSubcommandListsEveryCommandAsHelpDoes) {
    Result help = runLorvane("--help", false);
    ASSERT_EQ(help.status, 0);
    for (const char* command : {"lorvane convert", "lorvane summarize-sheets", "lorvane summarize-books", "lorvane total-books", "lorvane split-sheets",
                                "lorvane split-books", "lorvane extract", "lorvane compare", "lorvane fill"})
        EXPECT_NE(help.output.find(command), std::string::npos) << command;

    Result unknown = runLorvane("splitt-sheets a.xlsx", true);
    EXPECT_NE(unknown.status, 0);
    EXPECT_EQ(unknown.output, "未知的子命令：splitt-sheets\n" + help.output);
}

// The commands are for scripts: none of them may pull in the GUI libraries (the dynamic loader
// reports every library it maps under LD_DEBUG).
TEST(LorvaneCommandLine, CommandsLoadNoGuiLibraryAndTheDesktopStartsWithoutOne) {
    Result loaded = runLorvane("--help", true, "LD_DEBUG=libs");
    ASSERT_EQ(loaded.status, 0);
    ASSERT_NE(loaded.output.find("calling init"), std::string::npos) << "LD_DEBUG gave nothing to check";
    EXPECT_EQ(loaded.output.find("libQt6"), std::string::npos) << loaded.output;

    // Without a command the desktop program takes over the process and keeps running.
    Result desktop = runLorvane("", true, "QT_QPA_PLATFORM=offscreen timeout 3");
    EXPECT_EQ(desktop.status, 124) << desktop.output;
}

}  // namespace
