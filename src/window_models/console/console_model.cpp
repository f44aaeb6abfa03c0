#include "window_models/console/console_model.h"

namespace vorlan::windows {

ConsoleModel::ConsoleModel() : lines_(1), beganAtCarriageReturn_(1, false) {}

bool ConsoleModel::beganAtCarriageReturn(std::int32_t line) const {
    return line >= 0 && static_cast<std::size_t>(line) < beganAtCarriageReturn_.size() &&
           beganAtCarriageReturn_[static_cast<std::size_t>(line)];
}

void ConsoleModel::appendToCurrent(std::string_view text) {
    if (text.empty()) return;
    lines_[static_cast<std::size_t>(current_)].append(text);
    if (listener_) listener_->textAppended(current_, text);
}

void ConsoleModel::newLine(bool atCarriageReturn) {
    // Marked before the listener hears of the line, so an echo of it can tell.
    lines_.emplace_back();
    beganAtCarriageReturn_.push_back(atCarriageReturn);
    ++current_;
    if (listener_) listener_->lineAdded();
}

void ConsoleModel::write(std::string_view text) {
    for (auto p = text.find('\r'); p != std::string_view::npos; p = text.find('\r')) {
        appendToCurrent(text.substr(0, p));
        newLine(true);
        // Everything after the break is kept: a memo of CR LF lines written at once must not
        // lose its tail.
        text = text.substr(p + 1);
    }
    appendToCurrent(text);
}

void ConsoleModel::writeln(std::string_view text) {
    write(text);
    newLine();
}

void ConsoleModel::clear() {
    lines_.assign(1, std::string());
    beganAtCarriageReturn_.assign(1, false);
    current_ = 0;
    if (listener_) listener_->cleared();
}

std::vector<std::string> ConsoleModel::contentLines() const {
    std::vector<std::string> out(lines_.begin(), lines_.end());
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

} // namespace vorlan::windows
