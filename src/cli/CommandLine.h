#pragma once
// What the headless commands share: reading `--name value`, `--name=value` and `--flag`
// arguments, and where an output file lands.
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runs/RunOutcome.h"

namespace lorvane {
class Application;
class Workbook;
namespace runs {
class UiService;
}
}  // namespace lorvane

namespace lorvane::cli {

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // by option name, "--sheet"
    std::set<std::string> flags;

    bool has(const std::string& option) const { return values.count(option) || flags.count(option); }
    // The option's value into `into` when given; whether it was.
    bool take(const std::string& option, std::string& into) const;
};

// Reads argv[1..argc-1] (argv[0] is the command): options of `valueOptions` take a value,
// those of `flagOptions` none. On a mistake returns what is wrong, in Chinese.
std::optional<std::string> parseArguments(int argc, char** argv, const std::set<std::string>& valueOptions,
                                          const std::set<std::string>& flagOptions, Arguments& out,
                                          std::size_t maxPositional = 1);

// Whether --help or -h is among the arguments.
bool wantsHelp(int argc, char** argv);

// The path SaveAs writes for `output` in the .xlsx format.
std::filesystem::path savedXlsxPath(const std::string& output);

// Whether two paths name the same file (or would, once written).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// What a command's work hands back: how the run ended, and the workbook to save as the output
// (nullptr when the run wrote its files itself).
struct CommandResult {
    runs::RunOutcome outcome;
    Workbook* toSave = nullptr;
};

// The end of every headless command, once: `work` runs on a fresh application; a refusal or
// failure prints its message (status 1); otherwise the workbook to save is saved as `output`,
// every written path goes to standard output and the time report "<operation>完成，运行总时间："
// to standard error (status 0). Any error on the way is "<operation>没有完成：…" (status 1).
// A run stopped by Ctrl+C ends with its message and status 130, as shells expect.
inline constexpr int kCancelledStatus = 130;
int finishCommand(runs::UiService& ui, const std::string& operation, const std::string& output,
                  const std::function<CommandResult(Application&)>& work);

}  // namespace lorvane::cli
