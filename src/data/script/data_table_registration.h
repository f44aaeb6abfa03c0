#pragma once
// Registers the script table class TDataTable: its methods, its Filter property and the
// class-level engine settings.

namespace vorlan::script {
class Registry;
}

namespace vorlan::data {

void registerDataTable(script::Registry& registry);
// The table class descends from TTable when the form classes register it, also when they are
// registered after the table class.
void placeDataTableUnderFormTable(script::Registry& registry);

} // namespace vorlan::data
