// The expander of packed (SZDD) files that FileCopy meets: any bytes must give either the
// expanded data with the size the header promised, or a failure with a reason.
#include "library/szdd.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = vorlan::library::expandSzdd(std::span<const std::uint8_t>(data, size));
    if (result.ok) {
        const std::uint32_t promised =
            static_cast<std::uint32_t>(data[10]) | static_cast<std::uint32_t>(data[11]) << 8 |
            static_cast<std::uint32_t>(data[12]) << 16 | static_cast<std::uint32_t>(data[13]) << 24;
        if (result.data.size() != promised || !result.error.empty()) std::abort();
    } else if (result.error.empty() || !result.data.empty()) {
        std::abort();
    }
    return 0;
}
