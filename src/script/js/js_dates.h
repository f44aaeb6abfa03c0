#pragma once
// Dates: the variant's local day count against the script's UTC milliseconds.

namespace vorlan::script::js {

// NaN beyond the script's range of dates.
double localDaysToUtcMs(double days);
double utcMsToLocalDays(double ms);

} // namespace vorlan::script::js
