#pragma once
// Marks this engine writes into the bytes the index formats leave reserved, so that it tells its
// own change log and free pages from what another program may have left there.

#include <cstdint>

namespace vorlan::dbf {

inline constexpr std::uint32_t kLogMark = 0x474F4C56;  // "VLOG": the change log's region
inline constexpr std::uint32_t kFreeMark = 0x45524656; // "VFRE": a page on a free list

} // namespace vorlan::dbf
