#pragma once
// A component: a named native object that owns other components and carries published
// properties and events. Module forms read from component streams become trees of these; the
// windows layer derives real controls from it.

#include "script/native_object.h"
#include "script/value.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlan::script {

// Receives the events of a module form: calls the named script procedure (the scripter).
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual Value callHandler(const std::string& procedureName, std::span<Value> args) = 0;
};

// Event properties are named "On…" (OnClick, OnTimer): they hold the name of the script
// procedure that handles the event.
bool isEventPropertyName(std::string_view name);

// Marks the sink whose script code runs for the life of the scope (the scripter sets it around
// the calls it makes). A script that binds an event by name on a component without a sink of
// its own (made with no owner) binds it to that sink, as a stored handler is bound to its form's.
class RunningEventSink {
public:
    RunningEventSink(EventSink* sink, std::weak_ptr<void> alive);
    ~RunningEventSink();
    RunningEventSink(const RunningEventSink&) = delete;
    RunningEventSink& operator=(const RunningEventSink&) = delete;

private:
    EventSink* previousSink_;
    std::weak_ptr<void> previousAlive_;
};

class Component : public NativeObject {
public:
    explicit Component(std::string className, std::string name = {});
    ~Component() override;

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // The class a module form declares (TForm1) once its registered base has made it: scripts
    // asking ClassName get the declared name, members still come from the base.
    void setDeclaredClass(std::string className) { setClassName(std::move(className)); }

    // The component that frees this one; null for a top-level component.
    Component* owner() const { return owner_; }
    // The component this one sits in on screen (a panel for its buttons); null when none.
    Component* parent() const { return parent_; }
    void setParent(Component* parent) { parent_ = parent; }
    Component* root();

    // Takes ownership and returns the adopted component.
    Component* adopt(std::unique_ptr<Component> child);
    // Gives up ownership; null when `child` is not owned here.
    std::unique_ptr<Component> release(Component* child);
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }
    // A directly owned component by name, case-insensitive.
    Component* findComponent(std::string_view name) const;

    // Published properties. The base class keeps them in a bag; derived controls answer their
    // own first and fall back to it. getPublished answers false for an unknown name. Event
    // properties read as the name of their handler and are bound when a name is assigned.
    virtual bool getPublished(std::string_view name, Value& out) const;
    virtual bool setPublished(std::string_view name, const Value& value);
    // Whether the name is a published property, including those that can only be written.
    virtual bool hasPublished(std::string_view name) const;
    std::vector<std::string> publishedNames() const;

    // Events: the script procedure named for an event (OnClick -> Button1Click).
    void bindEvent(std::string eventName, std::string handler);
    const std::string* handlerOf(std::string_view eventName) const;
    // Calls the bound handler through the sink of the component tree (the root's), else through
    // the sink of the script that bound it; an unbound event, or one without a sink, does
    // nothing and gives an empty result.
    Value fireEvent(std::string_view eventName, std::span<Value> args);
    Value fireEvent(std::string_view eventName) { return fireEvent(eventName, {}); }
    // Fires with this component as the single Sender argument (notification events).
    Value fireNotify(std::string_view eventName);
    void setEventSink(EventSink* sink) { sink_ = sink; }
    EventSink* eventSink();

    // True for forms and data modules: what a module must have to keep its program running.
    virtual bool isForm() const;
    virtual bool isDataModule() const;

    // Called when the whole tree has been read from a stream (to lay out controls and the like).
    virtual void loaded() {}

private:
    std::string name_;
    Component* owner_ = nullptr;
    Component* parent_ = nullptr;
    EventSink* sink_ = nullptr;
    // The sink of the script that bound an event at run time, while that script lives.
    EventSink* bindingSink_ = nullptr;
    std::weak_ptr<void> bindingSinkAlive_;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<std::pair<std::string, Value>> properties_;
    std::vector<std::pair<std::string, std::string>> events_;
};

} // namespace vorlan::script
