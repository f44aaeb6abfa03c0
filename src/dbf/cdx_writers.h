#pragma once
// The marks of the processes that have changed records of a table but not yet written the key
// changes into its compound index. Records reach the table file before their keys reach the
// index (at the next commit or close), so a process killed in between leaves keys that no longer
// match its records, with the same number of keys: nothing else tells that apart from a sound
// index. Each such writer therefore holds a slot while its changes are pending: a bit in the
// index header (bytes 17..19, beside the busy byte) and a lock on the slot's byte far beyond the
// file's end. A bit whose lock nobody holds is the mark of a writer that died, and the next
// process to read the file rebuilds its tags from the table.

#include "dbf/file.h"

#include <cstdint>

namespace vorlan::dbf {

constexpr std::uint64_t kCdxWriterBitsOffset = 17;
constexpr int kCdxWriterSlots = 24;

// A slot claimed in the index file; `leftover` when its bit was already set, i.e. by a writer
// that died. The caller holds the index file's lock exclusively.
struct WriterSlot {
    int slot = -1;
    bool leftover = false;
};
// `bitsOffset` is where the file's kind keeps the 3 bytes of marks in its header.
WriterSlot claimWriterSlot(File& index, std::uint64_t bitsOffset = kCdxWriterBitsOffset);

// Clears the slot's bit in the header bytes the caller writes (`bits`, 3 bytes) and releases its
// lock. The caller holds the index file's lock exclusively.
void releaseWriterSlot(File& index, int slot, unsigned char* bits);

// Whether a bit of the 3 header bytes `bits` belongs to a writer that died (its lock is held by
// nobody); `ownSlot` (or -1) is the caller's own. Reliable only under the index file's lock.
bool deadWriterIn(const File& index, const unsigned char* bits, int ownSlot);

} // namespace vorlan::dbf
