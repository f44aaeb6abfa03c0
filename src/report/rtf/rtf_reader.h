#pragma once
// Reads RTF text (the memo texts that carry the RTF flag) into an RtfDocument.
//
// The reader keeps a stack of groups ("{" saves the character, paragraph and destination state,
// "}" restores it), knows the control words that matter for drawing a memo (character and
// paragraph properties, the font and colour tables, paragraph and tab marks, hexadecimal and
// Unicode characters, binary data) and ignores the rest. Destinations that hold no body text
// (headers, pictures, document information, any "\*" group) are skipped whole.
//
// Nothing in the input can make it crash or loop: groups nested deeper than kMaxRtfGroupDepth
// keep the state of the last level that was saved, every count in the input is checked against
// the bytes that are left, and the reader always returns what it could read together with the
// first problem it met.

#include "report/rtf/rtf_document.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlan::report {

constexpr std::size_t kMaxRtfGroupDepth = 128;

enum class RtfStatus {
    Ok,
    NotRtf,           // no "{\rtf" at the start: the text was taken as plain lines
    UnbalancedGroups, // the input ended inside a group
    TooDeep,          // groups nested deeper than kMaxRtfGroupDepth
    Truncated,        // the input ended inside a control word or binary data
};

struct RtfReadResult {
    RtfDocument document;
    RtfStatus status = RtfStatus::Ok;
    std::size_t errorOffset = 0; // where the first problem was found
    bool ok() const { return status == RtfStatus::Ok; }
    // A one-line English description of the status, with the offset.
    std::string message() const;
};

// True when the text starts (after blanks) with "{\rtf".
bool hasRtfSignature(std::string_view text);

RtfReadResult readRtf(std::string_view source);

} // namespace vorlan::report
