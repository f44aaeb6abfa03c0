#include "report/design/template_wizard.h"

#include "core/cp1250.h"

#include <algorithm>
#include <cmath>

namespace vorlan::report {

namespace {

// The decorations of a generated report (title, date, page number) use one serif font,
// whatever the new-element font is.
constexpr const char* kDecorationFont = "Times New Roman CE";
constexpr std::int32_t kDateWidth = 72;
constexpr std::int32_t kDateLabelWidth = 56;
constexpr std::int32_t kPageLabelWidth = 96;
constexpr std::int32_t kPageNumberWidth = 32;
constexpr std::int32_t kDecorationHeight = 20;
constexpr std::int32_t kLineHeight = 3;

ReportFont newElementFont(const DesignerSettings& settings) {
    ReportFont font;
    font.name = settings.newFontName;
    font.size = settings.newFontSize > 0 ? settings.newFontSize : 10;
    font.colour = settings.newFontColor >= 0 && settings.newFontColor < 16
                      ? kReportColours[settings.newFontColor]
                      : 0;
    font.style =
        settings.newFontStyle & (kFontBold | kFontItalic | kFontUnderline | kFontStrikeOut);
    font.charset = settings.newFontCharset >= 0 && settings.newFontCharset <= 255
                       ? settings.newFontCharset
                       : 1;
    return font;
}

ReportFont decorationFont(int size, int style) {
    ReportFont font;
    font.name = kDecorationFont;
    font.size = size;
    font.style = style;
    return font;
}

TPrvekSestavy& place(TSestavaTyp& report, std::int32_t section, std::int32_t kind,
                     std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    TPrvekSestavy& e = report.section(section)->addElement(&report);
    e.kind = kind;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    return e;
}

void placeText(TSestavaTyp& report, std::int32_t section, const std::string& text,
               std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               const ReportFont& font, std::uint8_t alignment) {
    TPrvekSestavy& e = place(report, section, kKindText, left, top, width, height);
    e.text = text.substr(0, TPrvekSestavy::kMaxText);
    e.font = font;
    e.alignment = alignment;
}

void placeVariable(TSestavaTyp& report, std::int32_t section, std::int32_t variable,
                   std::int32_t left, std::int32_t top, std::int32_t width,
                   const ReportFont& font) {
    TPrvekSestavy& e = place(report, section, kKindVariable, left, top, width, kDecorationHeight);
    e.parameter = variable;
    e.font = font;
}

// A line element that draws only its bottom edge.
void placeLine(TSestavaTyp& report, std::int32_t section, std::int32_t top, std::int32_t width) {
    TPrvekSestavy& e = place(report, section, kKindLine, 0, top, width, kLineHeight);
    e.lineFlags = kLineBottom;
}

// A field (kind 2) or its title (kind 3, or fixed text of the label).
void placeField(TSestavaTyp& report, std::int32_t section, const WizardField& field, bool title,
                const WizardOptions& options, std::int32_t left, std::int32_t top,
                std::int32_t width, std::int32_t height, const ReportFont& font) {
    if (title && options.titlesAsText) {
        placeText(report, section, field.label.empty() ? field.name : field.label, left, top, width,
                  height, font, field.alignment);
        return;
    }
    TPrvekSestavy& e =
        place(report, section, title ? kKindFieldTitle : kKindField, left, top, width, height);
    e.parameter = field.index;
    if (options.fieldsByName) e.name = field.name.substr(0, TPrvekSestavy::kMaxName);
    e.font = font;
    e.alignment = field.alignment;
}

int titleLength(const WizardField& field) {
    return static_cast<int>((field.label.empty() ? field.name : field.label).size());
}

void placeHeading(TSestavaTyp& report, std::int32_t printableWidth) {
    placeText(report, kSectionStart, czech("Nadpis sestavy"), 0, 40, printableWidth, 40,
              decorationFont(24, kFontBold), kAlignCenter);
    const std::int32_t dateLeft = printableWidth - kDateWidth;
    placeVariable(report, kSectionStart, kVarPrintDate, dateLeft, 0, kDateWidth,
                  decorationFont(10, kFontItalic));
    placeText(report, kSectionStart, czech("Datum:"), dateLeft - kDateLabelWidth, 0,
              kDateLabelWidth, kDecorationHeight, decorationFont(10, kFontItalic), kAlignLeft);
}

void placePageNumber(TSestavaTyp& report, std::int32_t printableWidth) {
    const std::int32_t numberLeft = printableWidth - kPageNumberWidth;
    placeText(report, kSectionFoot, czech("Stránka číslo:"), numberLeft - kPageLabelWidth, 8,
              kPageLabelWidth, kDecorationHeight, decorationFont(10, kFontItalic), kAlignRight);
    placeVariable(report, kSectionFoot, kVarPageNumber, numberLeft, 8, kPageNumberWidth,
                  decorationFont(10, 0));
}

void setSection(TSestavaTyp& report, std::int32_t index, bool visible, std::int32_t height) {
    TOddilSestavy* s = report.section(index);
    s->visible = visible;
    s->height = height;
}

} // namespace

std::int32_t wizardTextWidth(int characters, int pointSize) {
    const int size = pointSize > 0 ? pointSize : 10;
    return static_cast<std::int32_t>(std::ceil(std::max(characters, 1) * size * 0.8));
}

std::int32_t wizardRowHeight(int pointSize, int minimum) {
    const int size = pointSize > 0 ? pointSize : 10;
    return std::max(2 * size, minimum);
}

void generateTemplate(TSestavaTyp& report, const std::vector<WizardField>& fields,
                      WizardStyle style, const WizardOptions& options, std::int32_t printableWidth,
                      const DesignerSettings& settings) {
    report.clearDefinition();
    if (fields.empty()) return;
    const bool detail = report.isDetail();
    const ReportFont font = newElementFont(settings);
    const std::int32_t row = wizardRowHeight(font.size, settings.newHeight);
    const std::int32_t bandWidth = std::max(printableWidth, 1);

    if (!detail) {
        placeHeading(report, bandWidth);
        placePageNumber(report, bandWidth);
        setSection(report, kSectionStart, true, 96);
        setSection(report, kSectionFoot, true, 32);
    }
    setSection(report, kSectionEnd, false, 16);
    const std::int32_t closedBand = row + kLineHeight + kBandSpace;

    if (style == WizardStyle::Columns) {
        // Titles in the page head (a detail report has none: its start), fields in the body,
        // both in the same columns.
        const std::int32_t titleSection = detail ? kSectionStart : kSectionHead;
        std::int32_t left = 0;
        for (const WizardField& f : fields) {
            int characters = f.displayWidth;
            if (options.fieldTitles) characters = std::max(characters, titleLength(f));
            const std::int32_t width = wizardTextWidth(characters, font.size);
            if (options.fieldTitles)
                placeField(report, titleSection, f, true, options, left, 0, width, row, font);
            placeField(report, kSectionBody, f, false, options, left, 0, width, row, font);
            left += width + kColumnSpace;
        }
        if (options.fieldTitles) {
            placeLine(report, titleSection, row, bandWidth);
            setSection(report, titleSection, true, closedBand);
        }
        placeLine(report, kSectionBody, row, bandWidth);
        setSection(report, kSectionBody, true, closedBand);
        return;
    }

    // Rows: every field on a line of its own, its title first.
    int longestTitle = 0;
    for (const WizardField& f : fields)
        longestTitle = std::max(longestTitle, titleLength(f));
    const std::int32_t titleWidth =
        options.fieldTitles ? wizardTextWidth(longestTitle, font.size) : 0;
    const std::int32_t valueLeft = options.fieldTitles ? titleWidth + kColumnSpace : 0;
    std::int32_t top = 0;
    for (const WizardField& f : fields) {
        // Titles stand in one column of their own, read from the left.
        WizardField title = f;
        title.alignment = kAlignLeft;
        if (options.fieldTitles)
            placeField(report, kSectionBody, title, true, options, 0, top, titleWidth, row, font);
        placeField(report, kSectionBody, f, false, options, valueLeft, top,
                   wizardTextWidth(f.displayWidth, font.size), row, font);
        top += row;
    }
    placeLine(report, kSectionBody, top, bandWidth);
    setSection(report, kSectionBody, true, top + kLineHeight + kBandSpace);
}

} // namespace vorlan::report
