#pragma once
// Registers the script table class TDataTable: its methods, its Filter property and the
// class-level engine settings.

namespace vorlan::script {
class Registry;
}

namespace vorlan::data {

void registerDataTable(script::Registry& registry);

} // namespace vorlan::data
