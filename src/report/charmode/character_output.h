#pragma once
// A run's pages in character mode: written to a text file, or turned into the bytes a text-only
// printer is sent. Both go through the print range page by page: every element of the page is
// placed on one character page, which is then written out and cleared.

#include "report/charmode/character_page.h"
#include "report/output/output_model.h"

#include <functional>
#include <string>

namespace vorlan::report {

// Called between elements so the user interface stays alive; the output's cancel flag is read
// after each call.
using ProcessEvents = std::function<void()>;

// Places the elements of page `index` (from 0). False when the run was cancelled meanwhile.
bool placePage(TZnakovePole& page, const TSestVystup& output, int index,
               const ProcessEvents& processEvents);

// Writes the print range of `output` to a text file (a program path): every page with its full
// number of rows, pages one after another without a separator. Answers kSestOk, or
// kSestCancelled (nothing is written then). Throws std::runtime_error when the file cannot be
// written.
int writeCharacterFile(const TSestVystup& output, std::int32_t paperHeight, int lineSpacing,
                       const std::string& programPath, const ProcessEvents& processEvents = {});

// Control sequences a text-only printer may be given around the text. All empty by default:
// the printer gets plain text in its own font, as a text-only driver sends it.
struct TextPrinterCodes {
    std::string pitch[3]; // before a layer of 10, 12 or 17 characters per inch
    std::string boldOn;   // before a bold layer
    std::string boldOff;  // after it
    std::string pageEnd = "\f";
};

// The bytes for a text-only printer: per page the rows down to the last one with text, each
// row's layers separated by carriage returns so that they overprint, the row ended by a line
// feed, and the page ended by `codes.pageEnd`. False in `completed` when the run was cancelled.
std::string characterPrintBytes(const TSestVystup& output, std::int32_t paperHeight,
                                int lineSpacing, const TextPrinterCodes& codes,
                                const ProcessEvents& processEvents, bool& completed);

// The character raster's line spacing of the report whose elements fill `output` (0 when it has
// no elements). A detail report prints with its master's spacing.
int lineSpacingOf(const TSestVystup& output);

} // namespace vorlan::report
