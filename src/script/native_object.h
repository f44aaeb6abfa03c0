#pragma once
// The base of every native object that scripts can reach. Scripts hold objects through dispatch
// wrappers that must never outlive what they wrap unnoticed: each object carries a liveness token
// that its wrappers watch, so a call on a freed object fails cleanly instead of crashing.

#include <memory>
#include <string>
#include <string_view>

namespace vorlan::script {

class NativeObject {
public:
    explicit NativeObject(std::string className) : className_(std::move(className)) {}
    virtual ~NativeObject();
    NativeObject(const NativeObject&) = delete;
    NativeObject& operator=(const NativeObject&) = delete;

    // The registered class whose members scripts reach (with its ancestors).
    const std::string& className() const { return className_; }
    std::weak_ptr<void> aliveToken() const { return alive_; }

protected:
    void setClassName(std::string className) { className_ = std::move(className); }

private:
    std::string className_;
    std::shared_ptr<char> alive_ = std::make_shared<char>(0);
};

} // namespace vorlan::script
