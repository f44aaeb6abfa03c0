#pragma once
// Whether the members a program names exist: on an object declared with a registered class, or
// on an object the check can reach by name (the module's form and its components, registered
// variables, registered classes themselves).

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::script {
class Component;
class NativeObject;
} // namespace vorlan::script

namespace vorlan::app {

struct MemberUse {
    // The owner: a name, then the names of components inside it (Form1.Panel1.Edit1).
    std::vector<std::string> path;
    bool ownerIsClass = false; // path[0] is the registered class the owner is declared with
    std::string member;
    int line = 0; // from 1
    int column = 0;
};

struct MemberVerdict {
    bool checked = false; // the owner was known well enough to tell
    bool exists = true;
    std::string className; // of the owner, when checked
};

class MemberJudge {
public:
    MemberJudge();
    ~MemberJudge();
    MemberJudge(const MemberJudge&) = delete;
    MemberJudge& operator=(const MemberJudge&) = delete;

    // `form` is the module's form, or null.
    MemberVerdict judge(const MemberUse& use, script::Component* form);

private:
    MemberVerdict ofClass(const std::string& className, const std::string& member);
    MemberVerdict ofClassReference(const std::string& className, const std::string& member);
    static MemberVerdict ofObject(script::NativeObject& object, const std::string& member);

    // One object of each class asked about, made the way a program makes it, so that members an
    // object answers beyond its registered ones (a control's published properties) count too.
    std::map<std::string, std::unique_ptr<script::NativeObject>> probes_;
};

} // namespace vorlan::app
