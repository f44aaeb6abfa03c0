#include "script/basic/basic_objects.h"

#include "core/cp1250.h"

namespace vorlan::script::basic {

// ---- Err

DispId ErrObject::idOfName(std::string_view name) {
    static const char* const names[] = {"Number", "Description", "Source", "Clear", "Raise"};
    for (int i = 0; i < 5; ++i)
        if (equalsNoCase(name, names[i])) return i;
    return kUnknownDispId;
}

DispStatus ErrObject::invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                             ExceptionInfo&) {
    result = Value();
    const bool put = flags & InvokePut;
    switch (id) {
    case 0:
        if (put)
            number = args.empty() ? 0 : args.back().toInt();
        else
            result = Value(number);
        return DispStatus::Ok;
    case 1:
        if (put)
            description = args.empty() ? std::string() : args.back().toString();
        else
            result = Value(description);
        return DispStatus::Ok;
    case 2:
        if (put)
            source = args.empty() ? std::string() : args.back().toString();
        else
            result = Value(source);
        return DispStatus::Ok;
    case 3:
        clear();
        return DispStatus::Ok;
    case 4: {
        if (args.empty()) return DispStatus::BadParamCount;
        BasicError e;
        e.number = args[0].toInt();
        e.source = args.size() > 1 && !args[1].isEmpty() ? args[1].toString() : std::string();
        e.description =
            args.size() > 2 && !args[2].isEmpty() ? args[2].toString() : errorText(e.number);
        throw e;
    }
    default:
        return DispStatus::UnknownName;
    }
}

void ErrObject::clear() {
    number = 0;
    description.clear();
    source.clear();
}

void ErrObject::set(const BasicError& e) {
    number = e.number;
    description = e.description;
    source = e.source;
}

// ---- instances of script classes

ScriptObject::~ScriptObject() {
    // The object is going in the middle of some statement; its Class_Terminate runs after
    // that statement, on a stand-in holding its fields.
    if (terminated_ || alive_.expired() || interp_->closing_) return;
    const auto& rt = interp_->classes_[static_cast<std::size_t>(classIndex_)];
    if (!rt.terminate) return;
    try {
        auto standIn = std::make_shared<ScriptObject>(*interp_, classIndex_);
        standIn->terminated_ = true;
        standIn->fields = std::move(fields);
        interp_->pendingTerminates_.push_back(std::move(standIn));
        interp_->attention_ = true;
    } catch (...) {
    }
}

DispId ScriptObject::idOfName(std::string_view name) {
    if (alive_.expired()) return kUnknownDispId;
    const auto& members = interp_->classes_[static_cast<std::size_t>(classIndex_)].memberIndex;
    auto it = members.find(name);
    return it == members.end() ? kUnknownDispId : it->second;
}

DispStatus ScriptObject::invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                                ExceptionInfo& error) {
    result = Value();
    if (alive_.expired()) {
        error.description = czech("Modul už byl zavřen");
        return DispStatus::Exception;
    }
    if (interp_->running()) { // from the script: its errors go on up the script
        result = interp_->invokeObject(*this, id, flags, args);
        return DispStatus::Ok;
    }
    try {
        result = interp_->invokeObject(*this, id, flags, args);
    } catch (const BasicError& e) {
        error.description = e.description;
        error.source = e.source;
        return DispStatus::Exception;
    } catch (const Interpreter::Abort&) {
        error.description = czech("Skript byl zastaven");
        return DispStatus::Exception;
    }
    return DispStatus::Ok;
}

std::string ScriptObject::dispatchClassName() const {
    if (alive_.expired()) return "Object";
    return interp_->classes_[static_cast<std::size_t>(classIndex_)].def->name;
}

Value Interpreter::newObject(Expr& e) {
    if (e.slot < 0) {
        for (std::size_t c = 0; c < classes_.size(); ++c)
            if (equalsNoCase(classes_[c].def->name, e.name)) e.slot = static_cast<int>(c);
        if (e.slot < 0) raise(429, czech("Třída není definována: '") + e.name + "'");
    }
    auto object = std::make_shared<ScriptObject>(*this, e.slot);
    if (objects_.size() >= 64 && objects_.size() == objects_.capacity())
        std::erase_if(objects_, [](const std::weak_ptr<ScriptObject>& w) { return w.expired(); });
    objects_.push_back(object);
    const ClassRuntime& rt = classes_[static_cast<std::size_t>(e.slot)];
    {
        // Field sizes are read at module level, wherever New happens to run.
        const ModuleLevel moduleLevel(*this, true);
        for (const DimItem& field : rt.def->fields) {
            if (!field.isArray) {
                object->fields.emplace_back();
                continue;
            }
            std::vector<VarArray::Bound> bounds;
            std::size_t total = 1;
            for (const auto& b : field.bounds) {
                const std::int32_t high = eval(*b).toInt();
                if (high < -1) raise(9);
                bounds.push_back({0, high});
                total *= static_cast<std::size_t>(high) + 1;
                if (total > kMaxElements) raise(7);
            }
            object->fields.emplace_back(std::make_shared<VarArray>(std::move(bounds)));
        }
    }
    if (rt.initialize) callProcedure(*rt.initialize, nullptr, {}, object.get());
    return Value(ObjectRef(object));
}

Value Interpreter::invokeObject(ScriptObject& object, int member, unsigned flags,
                                std::span<Value> args) {
    const ClassRuntime& rt = classes_[static_cast<std::size_t>(object.classIndex())];
    if (member < 0 || static_cast<std::size_t>(member) >= rt.members.size()) raise(438);
    const ClassMember& m = rt.members[static_cast<std::size_t>(member)];
    const bool put = flags & InvokePut;
    if (m.field >= 0) {
        Value& slot = object.fields[static_cast<std::size_t>(m.field)];
        if (put) {
            if (args.empty()) raise(450);
            if (args.size() == 1)
                slot = args.back();
            else if (slot.isArray())
                elementOf(slot, args.first(args.size() - 1)) = args.back();
            else
                raise(13);
            return {};
        }
        if (args.empty()) return slot;
        if (slot.isArray()) return indexArray(slot, args);
        raise(450);
    }
    auto keep = object.shared_from_this(); // the call may drop the last other reference
    if (put) {
        const ProcInfo* target = !args.empty() && args.back().isObject() && m.set ? m.set
                                 : m.let                                          ? m.let
                                                                                  : m.set;
        if (!target) raise(438, errorText(438) + ": '" + m.name + "'");
        callProcedure(*target, nullptr, args, &object);
        return {};
    }
    const ProcInfo* target = m.get ? m.get : m.method;
    if (!target) raise(438, errorText(438) + ": '" + m.name + "'");
    return callProcedure(*target, nullptr, args, &object);
}

// ---- GetRef references

DispStatus ProcRef::invoke(DispId id, unsigned, std::span<Value> args, Value& result,
                           ExceptionInfo& error) {
    if (id != 0) return DispStatus::MemberNotFound;
    if (alive_.expired()) {
        error.description = czech("Modul už byl zavřen");
        return DispStatus::Exception;
    }
    result = interp_->callReference(index_, args);
    return DispStatus::Ok;
}

Value Interpreter::procedureReference(const std::string& name) {
    auto it = procIndex_.find(name);
    if (it == procIndex_.end()) raise(5, errorText(5) + ": 'GetRef'");
    return Value(ObjectRef(std::make_shared<ProcRef>(this, alive_, it->second)));
}

Value Interpreter::callReference(int index, std::span<Value> args) {
    const ProcInfo& info = procs_[static_cast<std::size_t>(index)];
    if (!running()) return call(info.proc->name, args);
    return callProcedure(info, nullptr, args);
}

} // namespace vorlan::script::basic
