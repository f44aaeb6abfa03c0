#pragma once
// The readable text form of a component stream, as form files hold it:
//
//   object Form1: TForm1
//     Caption = 'Dobrý den'#13#10'x'
//     Items.Strings = (
//       'a'
//       'b')
//     object Button1: TButton
//     end
//   end
//
// Text is UTF-8. 8-bit strings (Windows-1250 in the tree) are converted on the way out and back.
//
// Round trips: the text this writer produces reads back to a tree that writes the same text
// again. A binary stream survives binary -> text -> binary byte for byte only when it was stored
// the way this reader stores values, because the text does not record how a value was stored:
//  - integers in the smallest kind that holds them (Int8, Int16, Int32), child positions and
//    collection order values too;
//  - String for Windows-1250 text up to 255 bytes, LString for longer Windows-1250 text, and
//    WString only for text with a character outside Windows-1250;
//  - collection items with a list marker;
//  - names and identifier values that are identifiers (letters, digits, '_' and '.'), and
//    identifier values other than True, False, nil and Null;
//  - object prefixes that are inherited, inline or a child position (inline wins over
//    inherited when both are set, other flag bits are lost);
//  - finite floats (NaN and infinities have no text; writing them throws).

#include "script/stream/stream_error.h"
#include "script/stream/stream_object.h"

#include <string>
#include <string_view>

namespace vorlan::stream {

// Throws StreamError when the tree holds something the text cannot express.
std::string componentToText(const StreamObject& object);
// Throws StreamError with the line number ("Line 12: expected '=' after property name").
StreamObject componentFromText(std::string_view text);

} // namespace vorlan::stream
