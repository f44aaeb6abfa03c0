#include "window_models/console/console.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"

#include <fstream>
#include <stdexcept>

namespace vorlan::windows {

Console::Console() {
    model_.setListener(this);
}

Console::~Console() {
    model_.setListener(nullptr);
    finishEcho();
}

std::string Console::caption() {
    return utf8ToCp1250("Výstup - text");
}

bool Console::hasText() const {
    const auto& lines = model_.lines();
    return lines.size() > 1 || (!lines.empty() && !lines.front().empty());
}

void Console::write(std::string_view text) {
    model_.write(text);
}
void Console::writeln(std::string_view text) {
    model_.writeln(text);
}

void Console::clear() {
    // What was on the screen stays in the transcript even if the program wipes it.
    if (echo_) {
        if (!model_.lines()[static_cast<std::size_t>(model_.currentLine())].empty())
            echoLine(model_.currentLine());
    }
    model_.clear();
}

void Console::attachView(ConsoleView* view) {
    view_ = view;
    if (!view_) return;
    view_->cleared();
    const auto& lines = model_.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) view_->lineAdded();
        if (!lines[i].empty()) view_->textAppended(static_cast<std::int32_t>(i), lines[i]);
    }
}

void Console::show() {
    visible_ = true;
    if (view_) view_->showConsole();
}

void Console::hide() {
    visible_ = false;
    if (view_) view_->hideConsole();
}

bool Console::visible() const {
    return view_ ? view_->consoleVisible() : visible_;
}

void Console::setGeometry(int left, int top, int width, int height) {
    geometry_ = {left, top, width, height};
    if (view_) view_->setConsoleGeometry(left, top, width, height);
}

bool Console::save(const std::string& fileName) {
    try {
        const auto host = pathMapper().toHost(fileName);
        std::ofstream out(host, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error(czech("soubor nelze vytvořit"));
        for (const auto& line : model_.contentLines())
            out << line << "\r\n";
        out.close();
        if (out.fail()) throw std::runtime_error(czech("soubor nelze zapsat"));
        return true;
    } catch (...) {
        MessageBoxRequest request;
        request.caption = applicationTitle();
        request.text = utf8ToCp1250("Nelze uložit textový výstup do souboru ") + fileName;
        request.icon = MessageIcon::Error;
        request.buttons = ButtonOk;
        ui().messageBox(request);
        return false;
    }
}

void Console::print(const std::string& fontName, int pointSize) {
    auto job = ui().startTextPrint(caption(), fontName, pointSize);
    for (const auto& line : model_.contentLines())
        job->writeLine(line);
    job->finish();
}

void Console::printWithConfiguredFont() {
    std::string name = printFontName;
    int size = printFontSize;
    if (view_) {
        if (name.empty()) name = view_->consoleFontName();
        if (size <= 0) size = view_->consoleFontSize();
    }
    print(name, size);
}

void Console::finishEcho() {
    if (!echo_) return;
    if (!model_.lines()[static_cast<std::size_t>(model_.currentLine())].empty())
        echoLine(model_.currentLine());
    echo_ = nullptr;
}

void Console::echoLine(std::int32_t line) {
    std::string_view text = model_.lines()[static_cast<std::size_t>(line)];
    // The line feed of a CR LF pair stays in the console's line, but on standard output the
    // carriage return has already ended the line: it must not end it twice.
    if (model_.beganAtCarriageReturn(line) && text.starts_with('\n')) text.remove_prefix(1);
    *echo_ << cp1250ToUtf8(text) << '\n' << std::flush;
}

void Console::textAppended(std::int32_t line, std::string_view text) {
    if (view_) view_->textAppended(line, text);
}

void Console::lineAdded() {
    if (echo_) echoLine(model_.currentLine() - 1);
    if (view_) view_->lineAdded();
}

void Console::cleared() {
    if (view_) view_->cleared();
}

} // namespace vorlan::windows
