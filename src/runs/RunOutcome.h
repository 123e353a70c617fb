#pragma once
// How a run ended, what it made, and the texts its messages are built from.
#include <exception>
#include <string>
#include <vector>

namespace lorvane::runs {

struct RunOutcome {
    enum class Status { Done, Refused, Failed, Cancelled };
    Status status = Status::Done;
    std::string message;             // for Refused, Failed and Cancelled: what the user is told
    std::vector<std::string> made;   // sheets added, or files written (full paths)
    std::string folder;              // a folder the run wrote into, with a trailing '/'
    bool ok() const { return status == Status::Done; }

    static RunOutcome refused(std::string message);
};

// What an exception says: an automation error's description, else a Chinese text for the kind.
std::string errorText(const std::exception& e);

// Joins names for a message: “a”、“b”, and “……等共 n 个” past `limit`.
std::string nameList(const std::vector<std::string>& names, std::size_t limit = 20);

}  // namespace lorvane::runs
