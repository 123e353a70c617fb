#pragma once
// Base of every object CreateObject can hand out.
namespace lorvane {
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
};
}  // namespace lorvane
