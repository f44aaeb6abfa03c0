#pragma once
// Strings of a control as scripts see them (TStrings: Items, Lines). The owner supplies how the
// widget's list is read and changed.

#include "script/native_object.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::forms {

class StringList : public script::NativeObject {
public:
    struct Access {
        std::function<std::vector<std::string>()> read;
        std::function<void(const std::vector<std::string>&)> write;
    };
    explicit StringList(Access access)
        : script::NativeObject("TStrings"), access_(std::move(access)) {}

    std::vector<std::string> lines() const { return access_.read(); }
    void setLines(const std::vector<std::string>& lines) { access_.write(lines); }
    int add(const std::string& line);
    void insert(int index, const std::string& line);
    void remove(int index);
    void set(int index, const std::string& line);
    std::string at(int index) const;
    int indexOf(std::string_view line) const;
    int count() const { return static_cast<int>(lines().size()); }
    // Lines joined with CR LF after each, as the Text property shows them.
    std::string text() const;
    void setText(std::string_view text);

private:
    void checkIndex(int index, int count) const;
    Access access_;
};

} // namespace vorlan::forms
