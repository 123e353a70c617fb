#include "automation/CreateObject.h"

#include <algorithm>
#include <map>

#include "automation/Application.h"
#include "automation/KeyedCollection.h"

namespace lorvane {

struct ObjectRegistry::Impl {
    std::map<std::string, ObjectFactory> factories;  // keys in lower case
};

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

void addBuiltins(std::map<std::string, ObjectFactory>& f) {
    auto app = [] { return std::static_pointer_cast<AutomationObject>(std::make_shared<Application>()); };
    f["excel.application"] = app;
    f["ket.application"] = app;
    f["et.application"] = app;
    f["scripting.dictionary"] = [] { return std::static_pointer_cast<AutomationObject>(std::make_shared<KeyedCollection>()); };
}

}  // namespace

ObjectRegistry::ObjectRegistry() : impl_(std::make_shared<Impl>()) { addBuiltins(impl_->factories); }

ObjectRegistry& ObjectRegistry::instance() {
    static ObjectRegistry registry;
    return registry;
}

void ObjectRegistry::setFactory(std::string_view identifier, ObjectFactory factory) {
    impl_->factories[lower(identifier)] = std::move(factory);
}

void ObjectRegistry::refuse(std::string_view identifier) { impl_->factories.erase(lower(identifier)); }

void ObjectRegistry::reset() {
    impl_->factories.clear();
    addBuiltins(impl_->factories);
}

std::shared_ptr<AutomationObject> ObjectRegistry::create(std::string_view identifier) const {
    auto it = impl_->factories.find(lower(identifier));
    if (it == impl_->factories.end())
        throw AutomationError(errc::kCannotCreate, "ActiveX 部件不能创建对象：“" + std::string(identifier) + "”。");
    return it->second();
}

std::shared_ptr<AutomationObject> CreateObject(std::string_view identifier) {
    return ObjectRegistry::instance().create(identifier);
}

}  // namespace lorvane
