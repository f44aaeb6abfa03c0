#pragma once
// The objects a Basic run makes itself: the Err object, instances of the classes a script
// defines, and GetRef references to its procedures. All reach the interpreter's state as its
// friends.

#include "script/basic/basic_interp.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script::basic {

// The Err object: the last error caught under On Error Resume Next.
class ErrObject : public Dispatch {
public:
    DispId idOfName(std::string_view name) override;
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo&) override;
    std::string dispatchClassName() const override { return "ErrObject"; }
    void clear();
    void set(const BasicError& e);

    std::int32_t number = 0;
    std::string description;
    std::string source;
};

// An instance of a class the script defines.
class ScriptObject : public Dispatch, public std::enable_shared_from_this<ScriptObject> {
public:
    ScriptObject(Interpreter& interp, int classIndex)
        : interp_(&interp), alive_(interp.alive_), classIndex_(classIndex) {}
    ScriptObject(const ScriptObject&) = delete;
    ScriptObject& operator=(const ScriptObject&) = delete;
    ~ScriptObject() override;

    DispId idOfName(std::string_view name) override;
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override;
    std::string dispatchClassName() const override;
    int classIndex() const { return classIndex_; }
    bool terminated() const { return terminated_; }

    std::vector<Value> fields;

private:
    Interpreter* interp_;
    std::weak_ptr<char> alive_;
    int classIndex_;
    bool terminated_ = false;
};

// GetRef("Name"): a reference to one of the module's procedures; calling its default member
// calls the procedure. It does not keep the module alive.
class ProcRef : public Dispatch {
public:
    ProcRef(Interpreter* interp, std::weak_ptr<char> alive, int index)
        : interp_(interp), alive_(std::move(alive)), index_(index) {}
    DispId idOfName(std::string_view name) override { return name.empty() ? 0 : kUnknownDispId; }
    DispStatus invoke(DispId id, unsigned, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override;
    std::string dispatchClassName() const override { return "Object"; }

private:
    Interpreter* interp_;
    std::weak_ptr<char> alive_;
    int index_;
};

} // namespace vorlan::script::basic
