#pragma once
// CreateObject(identifier): resolves an identifier through a registry of factories.
// By default "Excel.Application", "KET.Application" and "ET.Application" create the embedded
// engine's Application, and "scripting.dictionary" a KeyedCollection. Identifiers ignore case.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/AutomationError.h"
#include "automation/AutomationObject.h"

namespace lorvane {

using ObjectFactory = std::function<std::shared_ptr<AutomationObject>()>;

class ObjectRegistry {
public:
    static ObjectRegistry& instance();
    void setFactory(std::string_view identifier, ObjectFactory factory);
    // Creation of this identifier fails with error 429, as for an application not installed.
    void refuse(std::string_view identifier);
    // Back to the built-in identifiers.
    void reset();
    std::shared_ptr<AutomationObject> create(std::string_view identifier) const;

private:
    ObjectRegistry();
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

std::shared_ptr<AutomationObject> CreateObject(std::string_view identifier);

// CreateObject, then the object as T; a different kind of object is error 13.
template <class T>
std::shared_ptr<T> CreateObjectAs(std::string_view identifier) {
    auto obj = std::dynamic_pointer_cast<T>(CreateObject(identifier));
    if (!obj) throw AutomationError(errc::kTypeMismatch, "类型不匹配：“" + std::string(identifier) + "”不是所需的对象。");
    return obj;
}

}  // namespace lorvane
