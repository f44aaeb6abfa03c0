#include "ui/qt/stdlib/form_tracker.h"

#include "script/registry.h"
#include "script/scripter.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"

#include <QApplication>

#include <algorithm>
#include <memory>

namespace vorlan::stdlib {

namespace {

struct Entry {
    forms::Form* form;
    std::weak_ptr<void> alive;
};

std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}

void prune() {
    auto& list = entries();
    list.erase(
        std::remove_if(list.begin(), list.end(), [](const Entry& e) { return e.alive.expired(); }),
        list.end());
}

// The registered factory with a note of every form it makes.
struct NotingFactory {
    script::ClassFactory inner;
    std::unique_ptr<script::NativeObject> operator()(script::Component* owner) const {
        std::unique_ptr<script::NativeObject> made = inner(owner);
        if (auto* form = dynamic_cast<forms::Form*>(made.get())) {
            prune();
            entries().push_back({form, form->aliveToken()});
        }
        return made;
    }
};

} // namespace

void trackProgramForms(script::Registry& registry) {
    for (const char* name : {"TForm", "TMessageForm"}) {
        script::ClassInfo* cls = registry.findClass(name);
        if (!cls || !cls->factory || cls->factory.target<NotingFactory>()) continue;
        cls->factory = NotingFactory{std::move(cls->factory)};
    }
}

std::vector<forms::Form*> programForms() {
    prune();
    std::vector<forms::Form*> out;
    for (const Entry& e : entries())
        out.push_back(e.form);
    return out;
}

forms::Form* mainProgramForm() {
    const std::vector<forms::Form*> forms = programForms();
    for (forms::Form* form : forms) {
        auto* scripter = dynamic_cast<script::Scripter*>(form->eventSink());
        if (scripter && scripter->module() == form && script::scripterIsLive(scripter)) return form;
    }
    return nullptr;
}

forms::Form* activeProgramForm() {
    const QWidget* active = QApplication::activeWindow();
    if (!active) return nullptr;
    for (forms::Form* form : programForms())
        if (form->widget() == active) return form;
    return nullptr;
}

} // namespace vorlan::stdlib
