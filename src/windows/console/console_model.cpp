#include "windows/console/console_model.h"

namespace vorlan::windows {

ConsoleModel::ConsoleModel() : lines_(1) {}

void ConsoleModel::appendToCurrent(std::string_view text) {
    if (text.empty()) return;
    lines_[static_cast<std::size_t>(current_)].append(text);
    if (listener_) listener_->textAppended(current_, text);
}

void ConsoleModel::newLine() {
    lines_.emplace_back();
    ++current_;
    if (listener_) listener_->lineAdded();
}

void ConsoleModel::write(std::string_view text) {
    for (auto p = text.find('\r'); p != std::string_view::npos; p = text.find('\r')) {
        appendToCurrent(text.substr(0, p));
        newLine();
        // Only a bounded piece of what follows a break is kept; the rest is dropped, not
        // carried over to a later line.
        text = text.substr(p + 1, kMaxTextAfterBreak);
    }
    appendToCurrent(text);
}

void ConsoleModel::writeln(std::string_view text) {
    write(text);
    newLine();
}

void ConsoleModel::clear() {
    lines_.assign(1, std::string());
    current_ = 0;
    if (listener_) listener_->cleared();
}

std::vector<std::string> ConsoleModel::contentLines() const {
    std::vector<std::string> out(lines_.begin(), lines_.end());
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

} // namespace vorlan::windows
