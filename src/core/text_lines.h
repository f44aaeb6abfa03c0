#pragma once
// Text split into lines the way old Windows files and controls mean it: CR LF, a lone CR or a
// lone LF each end a line; a last line without an ending still counts, an empty tail does not.

#include <string>
#include <string_view>
#include <vector>

namespace vorlan {

std::vector<std::string> splitLines(std::string_view text);

} // namespace vorlan
