#pragma once
// String lists as scripts hand them over: a list of this library, or any other object that
// answers Count and Strings[i] (the lines and items of controls), reached through its dispatch
// interface. Routines that take a TStrings argument read and fill lists through these.

#include "script/value.h"

#include <string>
#include <utility>
#include <vector>

namespace vorlan::script {
class NativeObject;
}

namespace vorlan::stdlib {

class Strings;

// The texts and objects of a list; raises an error when the value is no list.
std::vector<std::pair<std::string, script::Value>> itemsOfScriptList(const script::Value& list);
// Assign, AddStrings and Equals of a list with any list a script passes.
void assignScriptList(Strings& to, const script::Value& from);
void addScriptList(Strings& to, const script::Value& from);
bool equalsScriptList(Strings& list, const script::Value& other);
// Clears the list and adds the texts.
void fillScriptList(const script::Value& list, const std::vector<std::string>& texts);

} // namespace vorlan::stdlib
