#pragma once
// Finds and loads the front end library: beside the runtime in a build, in the library folder
// of an installed runtime. Loaded once; a runtime without it says so in Czech and ends.

#include "app/vorlan/front_end.h"

namespace vorlan::app {

FrontEnd& loadFrontEnd();

} // namespace vorlan::app
