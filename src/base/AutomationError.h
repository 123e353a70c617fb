#pragma once
// Every failing object-model call throws an AutomationError: a number and a Chinese description.
#include <stdexcept>
#include <string>

namespace lorvane {

namespace errc {
constexpr int kCannotCreate = 429;        // CreateObject refused
constexpr int kKeyExists = 457;           // keyed collection: key already there
constexpr int kSubscript = 9;             // no such item (sheet, workbook)
constexpr int kInvalidCall = 5;           // invalid argument
constexpr int kTypeMismatch = 13;
constexpr int kObjectGone = 424;          // object deleted or closed
constexpr int kMethodFailed = 1004;       // the object model's general failure
constexpr int kFileNotFound = 53;
constexpr int kPermission = 70;
constexpr int kPathNotFound = 76;
constexpr int kBadFile = 1005;            // not a workbook, damaged, encrypted
constexpr int kNotSupported = 438;
}  // namespace errc

class AutomationError : public std::runtime_error {
public:
    AutomationError(int number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    int number() const { return number_; }
    const std::string& description() const { return description_; }
private:
    int number_;
    std::string description_;
};

}  // namespace lorvane
