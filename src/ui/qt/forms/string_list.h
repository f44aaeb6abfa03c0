#pragma once
// Strings of a control as scripts see them (TStrings: Items, Lines, Tabs). The list semantics
// (names and values, comma text, files, Assign ...) are the standard library's TStrings; a
// control supplies only how its widget's texts are read and replaced, so every change lands in
// the widget at once. Between BeginUpdate and EndUpdate the texts are kept here and the widget
// gets them once, when the last EndUpdate ends.

#include "stdlib/strings_base.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::forms {

class StringList : public stdlib::Strings {
public:
    struct Access {
        std::function<std::vector<std::string>()> read;
        std::function<void(const std::vector<std::string>&)> write;
    };
    // `className` names the members scripts reach (a control's own kind of lines).
    explicit StringList(Access access, std::string className = "TStrings")
        : Strings(std::move(className)), access_(std::move(access)) {}

    // Every text, and all of them replaced at once.
    std::vector<std::string> lines() const;
    void setLines(const std::vector<std::string>& lines);

    int count() const override;
    std::string get(int index) const override;
    void insertItem(int index, std::string text, script::Value object) override;
    void remove(int index) override;
    void put(int index, std::string text) override;
    void clear() override;
    void setTexts(std::vector<std::string> texts) override;

protected:
    void setUpdateState(bool updating) override;

private:
    std::optional<std::vector<std::string>> pending_;
    Access access_;
};

} // namespace vorlan::forms
