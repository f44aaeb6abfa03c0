#pragma once
// Units that are costly to start can be registered only when a program first uses one of their
// names: a handler asked when a lookup of the registry finds nothing.

#include <functional>
#include <string_view>

namespace vorlan::script {

class Registry;

// Asked with the global name (`className` empty) or the member of a class and its ancestors that
// a lookup of `registry` did not find, or with a class and no name before an instance of it is
// made (the units may bring the class's own way of making them). A handler that registers more
// and answers true has the lookup repeated; it is not asked again while it runs. An empty
// handler removes it.
using MissHandler = std::function<bool(std::string_view className, std::string_view name)>;
void setMissHandler(const Registry& registry, MissHandler handler);

// Asks the handler before an instance of `className` is made; true when it registered more.
bool missedFactory(const Registry& registry, std::string_view className);

} // namespace vorlan::script
