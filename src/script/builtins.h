#pragma once
// The names the script engine itself offers every script: InSet, MkSet, chr/Chr, RunApp, the
// base object members (Free, ClassName, Name, Owner) and the six script runner classes.

namespace vorlan::script {

class Registry;

void registerEngineBuiltins(Registry& registry);
// The runners of the three dialects; a dialect whose engine is not built yet fails to start
// with "#Scripting engine can't be started".
void registerScriptRunners(Registry& registry);

} // namespace vorlan::script
