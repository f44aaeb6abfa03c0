#pragma once
// The one lock of the engine: it guards the list of live scripters and the list of object
// wrappers, the only structures read while they may change.

#include <shared_mutex>

namespace vorlan::script {

std::shared_mutex& liveLock();

} // namespace vorlan::script
