#include "script/component.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"

#include <algorithm>

namespace vorlan::script {

bool isEventPropertyName(std::string_view name) {
    return name.size() > 2 && (name[0] == 'O' || name[0] == 'o') &&
           (name[1] == 'n' || name[1] == 'N') && name.find('.') == std::string_view::npos;
}

namespace {

struct RunningSink {
    EventSink* sink = nullptr;
    std::weak_ptr<void> alive;
};

RunningSink& runningSink() {
    static RunningSink running;
    return running;
}

} // namespace

RunningEventSink::RunningEventSink(EventSink* sink, std::weak_ptr<void> alive)
    : previousSink_(runningSink().sink), previousAlive_(std::move(runningSink().alive)) {
    runningSink() = {sink, std::move(alive)};
}

RunningEventSink::~RunningEventSink() {
    runningSink() = {previousSink_, std::move(previousAlive_)};
}

Component::Component(std::string className, std::string name)
    : NativeObject(std::move(className)), name_(std::move(name)) {}

Component::~Component() {
    // Children go first, newest first, like the platform frees owned components.
    while (!components_.empty())
        components_.pop_back();
}

Component* Component::root() {
    Component* c = this;
    while (c->owner_)
        c = c->owner_;
    return c;
}

Component* Component::adopt(std::unique_ptr<Component> child) {
    if (!child) return nullptr;
    if (child->owner_) child = child->owner_->release(child.get());
    child->owner_ = this;
    components_.push_back(std::move(child));
    return components_.back().get();
}

std::unique_ptr<Component> Component::release(Component* child) {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [&](const auto& c) { return c.get() == child; });
    if (it == components_.end()) return nullptr;
    std::unique_ptr<Component> out = std::move(*it);
    components_.erase(it);
    out->owner_ = nullptr;
    return out;
}

Component* Component::findComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (const auto& c : components_)
        if (equalsNoCase(c->name(), name)) return c.get();
    return nullptr;
}

bool Component::getPublished(std::string_view name, Value& out) const {
    if (equalsNoCase(name, "Name")) {
        out = Value(name_);
        return true;
    }
    for (const auto& [key, value] : properties_)
        if (equalsNoCase(key, name)) {
            out = value;
            return true;
        }
    if (isEventPropertyName(name)) {
        const std::string* handler = handlerOf(name);
        out = Value(handler ? *handler : std::string());
        return true;
    }
    return false;
}

bool Component::setPublished(std::string_view name, const Value& value) {
    if (equalsNoCase(name, "Name")) {
        name_ = value.toString();
        return true;
    }
    // A procedure's name binds the event; nil, Null and Empty unbind it.
    const bool unbind =
        value.isNull() || value.isEmpty() || (value.isObject() && !value.asObject());
    if (isEventPropertyName(name) && (value.isString() || unbind)) {
        bindEvent(std::string(name), unbind ? std::string() : value.asString());
        // A handler named by a running script belongs to that script, whatever owns this.
        if (const RunningSink& running = runningSink(); running.sink && !running.alive.expired()) {
            bindingSink_ = running.sink;
            bindingSinkAlive_ = running.alive;
        }
        return true;
    }
    for (auto& [key, stored] : properties_)
        if (equalsNoCase(key, name)) {
            stored = value;
            return true;
        }
    properties_.emplace_back(std::string(name), value);
    return true;
}

bool Component::hasPublished(std::string_view name) const {
    Value ignored;
    return getPublished(name, ignored);
}

std::vector<std::string> Component::publishedNames() const {
    std::vector<std::string> names{"Name"};
    for (const auto& p : properties_)
        names.push_back(p.first);
    return names;
}

void Component::bindEvent(std::string eventName, std::string handler) {
    for (auto& [event, bound] : events_)
        if (equalsNoCase(event, eventName)) {
            bound = std::move(handler);
            return;
        }
    events_.emplace_back(std::move(eventName), std::move(handler));
}

const std::string* Component::handlerOf(std::string_view eventName) const {
    for (const auto& [event, bound] : events_)
        if (equalsNoCase(event, eventName)) return bound.empty() ? nullptr : &bound;
    return nullptr;
}

EventSink* Component::eventSink() {
    for (Component* c = this; c; c = c->owner_)
        if (c->sink_) return c->sink_;
    return bindingSinkAlive_.expired() ? nullptr : bindingSink_;
}

Value Component::fireEvent(std::string_view eventName, std::span<Value> args) {
    const std::string* handler = handlerOf(eventName);
    if (!handler) return {};
    EventSink* sink = eventSink();
    if (!sink) return {};
    // The handler may free this component; copy what is needed first.
    const std::string procedure = *handler;
    return sink->callHandler(procedure, args);
}

Value Component::fireNotify(std::string_view eventName) {
    Value sender(wrapObject(this));
    return fireEvent(eventName, std::span<Value>(&sender, 1));
}

bool Component::isForm() const {
    return registry().isClassOrDescendant(className(), "TForm");
}

bool Component::isDataModule() const {
    return registry().isClassOrDescendant(className(), "TDataModule");
}

} // namespace vorlan::script
