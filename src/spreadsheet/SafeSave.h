#pragma once
// Saving without risking the file already on disk: the bytes go to a temporary file in the
// target's folder, which is flushed and then renamed over the target.
#include <functional>
#include <string>
#include <string_view>

namespace lorvane::sheet {

enum class SaveStage { CreateTemp, Write, Flush, Rename };

// For tests: called before each stage; a non-zero errno makes that stage fail as if the system
// had refused it (ENOSPC, EACCES ...). Pass an empty function to remove the hook.
void setSaveFailureHook(std::function<int(SaveStage)> hook);

// Receives the bytes of the file being saved, in order.
using ByteSink = std::function<void(std::string_view)>;

// Writes what `produce` hands to its sink into `target` atomically; throws AutomationError with
// a Chinese description and leaves any existing target untouched on failure (also when
// `produce` throws, whose exception passes on).
void saveFileAtomically(const std::string& target, const std::function<void(const ByteSink&)>& produce);
void saveFileAtomically(const std::string& target, std::string_view bytes);

// The file a save of `requested` writes (a symbolic link's target), checked as far as can be
// before writing: its folder exists, it is no folder, a file there may be replaced. Throws the
// AutomationError the save would.
std::string checkSaveTarget(const std::string& requested);

// Throws the AutomationError a failed save reports for `err` (an errno value).
[[noreturn]] void throwSaveError(const std::string& target, int err);

}  // namespace lorvane::sheet
