#pragma once
// The generator behind the new-template wizard: from the fields the user chose it lays out a
// complete template (title, date, column titles, the fields, page numbers) into a report.
//
// Column widths: a field's column is as wide as the longer of its display width and its title,
// counted in characters of the new-element font; one character is taken as 0.8 of the font's
// point size in hundredths of an inch (10 points: 8 hundredths, an average letter of the fonts
// reports use), at least 1 character, and columns stand kColumnSpace apart. A row is twice
// the point size high (20 for 10 points), never less than the new-element height of the
// settings. Columns that run past the printable width are kept: the user sees them in the
// designer and narrows them.

#include "report/design/designer_settings.h"
#include "report/model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::report {

struct WizardField {
    int index = 0;         // 0-based field of the report's data side
    std::string name;      // Windows-1250
    std::string label;     // the field's display label; the name when empty
    int displayWidth = 10; // characters
    Alignment alignment = kAlignLeft;
};

enum class WizardStyle { Columns, Rows };

struct WizardOptions {
    bool fieldTitles = true;   // "Popisy položek": put a title to every field
    bool fieldsByName = false; // "Pol. podle názvu": elements refer to their field by name
    bool titlesAsText = false; // "Popisy textem": titles as fixed text of the label
};

// Space between two columns, and between a title and its value in the row style.
constexpr std::int32_t kColumnSpace = 8;
// Space under the line that closes a band of titles or fields.
constexpr std::int32_t kBandSpace = 5;

// Width of `characters` characters of a `pointSize` font, hundredths of an inch.
std::int32_t wizardTextWidth(int characters, int pointSize);
// Height of one row of a `pointSize` font (at least `minimum`).
std::int32_t wizardRowHeight(int pointSize, int minimum);

// Replaces the definition of `report` by the generated one (the description and parameters
// stay). `printableWidth` is the paper's printable width. A detail report gets its titles in Z
// and no page head or foot. With no fields the definition is just cleared.
void generateTemplate(TSestavaTyp& report, const std::vector<WizardField>& fields,
                      WizardStyle style, const WizardOptions& options, std::int32_t printableWidth,
                      const DesignerSettings& settings);

} // namespace vorlan::report
