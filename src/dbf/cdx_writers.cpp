#include "dbf/cdx_writers.h"

#include "dbf/cdx_pages.h"

namespace vorlan::dbf {
namespace {

std::uint64_t slotLockByte(int slot) {
    return kIndexFileLock - 1 - static_cast<std::uint64_t>(slot);
}

bool bitSet(const unsigned char* bits, int slot) {
    return (bits[slot / 8] >> (slot % 8)) & 1;
}

} // namespace

WriterSlot claimWriterSlot(File& index, std::uint64_t bitsOffset) {
    unsigned char bits[3] = {0, 0, 0};
    if (index.readAt(bitsOffset, bits, sizeof bits) != sizeof bits) return {};
    for (int s = 0; s < kCdxWriterSlots; ++s) {
        // Slots of live writers are locked; a set bit whose lock we get was left by a dead one.
        if (!index.lockRange(slotLockByte(s), 1, 0)) continue;
        const bool leftover = bitSet(bits, s);
        if (!leftover) {
            bits[s / 8] = static_cast<unsigned char>(bits[s / 8] | (1u << (s % 8)));
            index.writeAt(bitsOffset, bits, sizeof bits);
        }
        return {s, leftover};
    }
    return {};
}

void releaseWriterSlot(File& index, int slot, unsigned char* bits) {
    if (slot < 0) return;
    bits[slot / 8] = static_cast<unsigned char>(bits[slot / 8] & ~(1u << (slot % 8)));
    index.unlockRange(slotLockByte(slot), 1);
}

bool deadWriterIn(const File& index, const unsigned char* bits, int ownSlot) {
    for (int s = 0; s < kCdxWriterSlots; ++s)
        if (s != ownSlot && bitSet(bits, s) && !index.rangeLockedByOther(slotLockByte(s), 1))
            return true;
    return false;
}

} // namespace vorlan::dbf
