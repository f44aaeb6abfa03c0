#pragma once
// Every form class of this layer, gathered from the class tables of the control families: what
// registration declares to scripts and what form files and scripts make by name.

#include "script/component.h"
#include "ui/qt/forms/form_class.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vorlan::forms {

// Every class, ancestors before their descendants.
const std::vector<const FormClass*>& formClassCatalog();
// A class by name, case-insensitive; null for a name no family has.
const FormClass* findFormClass(std::string_view name);

// Whether the class's line, or a line of an ancestor, names the event among those it fires.
bool classFiresEvent(std::string_view className, std::string_view event);

// The value a new component of the class (or an ancestor's line) keeps for a property it keeps
// as given; false when its line names no such property.
bool classKeeps(std::string_view className, std::string_view property, script::Value* initial);

// Makes the component of a class name, with its default size and Enter key; null for a name
// this layer has no component for.
std::unique_ptr<script::Component> makeControl(std::string_view className);

} // namespace vorlan::forms
