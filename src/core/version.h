#pragma once
// The version of this runtime as it announces itself. Program archives carry the version text of
// the development environment that wrote them; the two are compared when an archive is opened.

#include <string_view>

namespace vorlan {

inline constexpr std::string_view kRuntimeVersion = "2.04 - 31/12/2000 (X)";

} // namespace vorlan
