#pragma once
// The engine's heap, optionally limited in size so that a runaway allocation fails inside the
// script; an engine failure outside every protected call jumps back to the entry that was
// running.

#include <cstddef>

struct duk_hthread;

namespace vorlan::script::js {

class JsEngine;

// Null when the engine cannot start.
duk_hthread* createHeap(JsEngine& engine, std::size_t limit);

} // namespace vorlan::script::js
