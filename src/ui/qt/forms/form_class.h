#pragma once
// One line per form class: its script name, its parent class, how a component of it is made,
// the size a new control starts with and whether Enter moves on as Tab does. Each family of
// controls lists its classes in one table (standardControlClasses(), dataControlClasses() ...);
// the catalog (form_catalog.h) registers them and makes components by name from them.

#include "script/component.h"

#include <QSize>

#include <memory>
#include <string>
#include <type_traits>

namespace vorlan::forms {

// Makes a component of the class named (as the caller spelt it).
using FormFactory = std::unique_ptr<script::Component> (*)(const std::string& className);

struct FormClass {
    const char* name;
    const char* parent;
    // Null for classes scripts and forms cannot create (ancestors, parts of controls).
    FormFactory make = nullptr;
    // The size a new control has until its form or the script gives it one; empty for
    // components without a window (timers, menus, dialogs).
    QSize size = {};
    // Enter moves the focus to the next control, Shift+Enter to the previous one.
    bool enterAsTab = false;
    // The events the class fires, blank-separated, besides its ancestors' and those every
    // control fires (Control::eventsOfEveryControl): a handler of any other event is kept and
    // never called.
    const char* events = "";
    // Published properties the class keeps as given because nothing here shows them, each with
    // the value a new component has: "Name=Value" (True, False, a number or a name), blank-
    // separated. A program reads back what it set.
    const char* kept = "";
};

// The factory of a class whose constructor takes the class name (or nothing).
template <class T> std::unique_ptr<script::Component> create(const std::string& className) {
    if constexpr (std::is_constructible_v<T, std::string>)
        return std::make_unique<T>(className);
    else
        return std::make_unique<T>();
}

} // namespace vorlan::forms
