#include "ui/qt/forms/form_catalog.h"

#include "core/cp1250.h"
#include "script/registry.h"
#include "ui/qt/forms/bar_controls.h"
#include "ui/qt/forms/common_dialogs.h"
#include "ui/qt/forms/container_controls.h"
#include "ui/qt/forms/data_controls.h"
#include "ui/qt/forms/data_grid.h"
#include "ui/qt/forms/file_controls.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/forms/image_list.h"
#include "ui/qt/forms/list_controls.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/forms/paint_box.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/forms/range_controls.h"
#include "ui/qt/forms/rich_edit.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/tab_controls.h"
#include "ui/qt/forms/timer.h"
#include "ui/qt/forms/tree_controls.h"

#include <cctype>
#include <map>
#include <string>

namespace vorlan::forms {

const std::vector<const FormClass*>& formClassCatalog() {
    // A family comes after the families its classes derive from.
    static const std::vector<const FormClass*> catalog = [] {
        std::vector<const FormClass*> all;
        for (std::span<const FormClass> family :
             {standardControlClasses(), formClasses(),       menuClasses(),
              timerClasses(),           gridClasses(),       pictureClasses(),
              containerClasses(),       fileDialogClasses(), commonDialogClasses(),
              dataControlClasses(),     dataGridClasses(),   rangeControlClasses(),
              barControlClasses(),      tabControlClasses(), treeControlClasses(),
              listControlClasses(),     richEditClasses(),   fileControlClasses(),
              paintBoxClasses(),        imageListClasses()})
            for (const FormClass& c : family)
                all.push_back(&c);
        return all;
    }();
    return catalog;
}

const FormClass* findFormClass(std::string_view name) {
    static const std::map<std::string_view, const FormClass*, script::NoCaseLess> byName = [] {
        std::map<std::string_view, const FormClass*, script::NoCaseLess> map;
        for (const FormClass* c : formClassCatalog())
            map.emplace(c->name, c);
        return map;
    }();
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

bool classFiresEvent(std::string_view className, std::string_view event) {
    for (const FormClass* c = findFormClass(className); c;
         c = c->parent ? findFormClass(c->parent) : nullptr) {
        std::string_view names = c->events ? c->events : "";
        while (!names.empty()) {
            const std::size_t blank = names.find(' ');
            if (equalsNoCase(names.substr(0, blank), event)) return true;
            names = blank == std::string_view::npos ? std::string_view() : names.substr(blank + 1);
        }
    }
    return false;
}

bool classKeeps(std::string_view className, std::string_view property, script::Value* initial) {
    for (const FormClass* c = findFormClass(className); c;
         c = c->parent ? findFormClass(c->parent) : nullptr) {
        std::string_view entries = c->kept ? c->kept : "";
        while (!entries.empty()) {
            const std::size_t blank = entries.find(' ');
            const std::string_view entry = entries.substr(0, blank);
            entries =
                blank == std::string_view::npos ? std::string_view() : entries.substr(blank + 1);
            const std::size_t equals = entry.find('=');
            if (!equalsNoCase(entry.substr(0, equals), property)) continue;
            if (!initial) return true;
            const std::string text(equals == std::string_view::npos ? std::string_view()
                                                                    : entry.substr(equals + 1));
            if (equalsNoCase(text, "True") || equalsNoCase(text, "False"))
                *initial = script::Value(equalsNoCase(text, "True"));
            else if (!text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) ||
                                       (text[0] == '-' && text.size() > 1)))
                *initial = script::Value(static_cast<std::int32_t>(std::stol(text)));
            else
                *initial = script::Value(text);
            return true;
        }
    }
    return false;
}

std::unique_ptr<script::Component> makeControl(std::string_view className) {
    const FormClass* c = findFormClass(className);
    if (!c || !c->make) return nullptr;
    std::unique_ptr<script::Component> made = c->make(std::string(className));
    if (auto* control = dynamic_cast<Control*>(made.get())) {
        control->setEnterAsTab(c->enterAsTab);
        if (!c->size.isEmpty()) {
            control->setPublished("Width", script::Value(c->size.width()));
            control->setPublished("Height", script::Value(c->size.height()));
        }
    }
    return made;
}

} // namespace vorlan::forms
