#pragma once
// The procedures by which scripts drive the graphics canvas: the 36 names that begin with
// "Image".

namespace vorlan::script {
class Registry;
}

namespace vorlan::windows {

class Canvas;

// Registers the procedures acting on `canvas`. A registry that already has them keeps the first
// registration, so a second call does nothing.
void registerCanvas(script::Registry& registry, Canvas& canvas);

} // namespace vorlan::windows
