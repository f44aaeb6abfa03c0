#pragma once
// Memo text as the memo window's editor shows it: lines end at line breaks and where the editor
// wraps a line that is wider than its text area. Scripts count and read memo lines this way, so
// "line 3" of a memo is the third line a user sees in the memo window.

#include "core/text_measure.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::data {

// The memo editor's text area and font. The defaults are those of the memo window as designed
// (its memo beside the button panel, less the border and the scroll bar); the window updates
// them when it is resized or its font changes.
struct MemoEditorView {
    int textWidth = 242; // pixels
    std::string fontName = "System";
    int fontSize = 13; // pixels
};

MemoEditorView& memoEditorView();

// The editor's lines of `text`. CR LF, a lone CR and a lone LF each end a line; a line break at
// the very end does not start another line. A line too wide for the text area breaks after the
// last blank that fits (the blanks stay at the end of the line), or inside a word that is wider
// than the whole area.
std::vector<std::string> editorLines(std::string_view text, const MemoEditorView& view,
                                     const TextMeasure& measure);

// The memo whole with every line feed removed (carriage returns stay).
std::string withoutLineFeeds(std::string_view text);

} // namespace vorlan::data
