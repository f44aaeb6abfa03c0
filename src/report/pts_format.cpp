#include "report/pts_format.h"
#include "core/cp1250.h"

#include "report/model.h"
#include "report/template_records.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace vorlan::report {

std::string nextField(std::string_view& rest) {
    std::string field;
    if (rest.empty()) return field;
    std::size_t i = 0;
    bool quoting = false;
    if (rest[0] == '"') {
        quoting = true;
        i = 1;
    }
    for (; i < rest.size(); ++i) {
        const char c = rest[i];
        if (quoting) {
            if (c == '"')
                quoting = false;
            else
                field += c;
        } else if (c == ',') {
            rest.remove_prefix(i + 1);
            return field;
        } else {
            field += c;
        }
    }
    rest = {};
    return field;
}

std::int32_t intField(std::string_view field, std::int32_t fallback) {
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty()) return fallback;
    std::int32_t v = 0;
    const auto r = std::from_chars(field.data(), field.data() + field.size(), v);
    if (r.ec != std::errc() || r.ptr != field.data() + field.size()) return fallback;
    return v;
}

std::string quotedField(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

namespace {

// Names are written bare; one with a comma would shift every field after it, so it is quoted.
std::string bare(const std::string& text) {
    return text.find(',') == std::string::npos ? text : quotedField(text);
}

} // namespace

namespace {

// A template line split into its first field and the rest.
struct Record {
    std::string kind;
    std::string_view rest;
};

std::vector<Record> recordsOf(const std::vector<std::string>& lines) {
    std::vector<Record> records;
    for (const std::string& line : lines) {
        if (line.size() < 2) continue;
        Record r;
        r.rest = line;
        r.kind = nextField(r.rest);
        records.push_back(std::move(r));
    }
    return records;
}

bool isRecordKind(std::string_view kind) {
    if (kind == "I" || kind == "F" || kind == "Z" || kind == "H" || kind == "T" || kind == "K" ||
        kind == "P")
        return true;
    if (kind.size() < 2 || (kind[0] != 'S' && kind[0] != 'U' && kind[0] != 'D')) return false;
    for (const char c : kind.substr(1))
        if (c < '0' || c > '9') return false;
    return true;
}

// A group number beyond this is not a group of any real template; it would only overflow the
// section index.
constexpr std::int32_t kMaxGroupNumber = 10000;

bool startsWithDigit(std::string_view s) {
    return !s.empty() && s[0] >= '0' && s[0] <= '9';
}

std::string n(std::int64_t v) {
    return std::to_string(v);
}

std::string pictureFileName(const std::string& text) {
    // A single plain name is written without its folder; a list of names stays as it is.
    if (text.find_first_of("',\"#&@") != std::string::npos) return text;
    const std::size_t slash = text.find_last_of("\\/:");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::string elementLine(const std::string& letter, const TPrvekSestavy& e) {
    std::string line = letter + "," + n(e.kind) + "," +
                       (e.name.empty() ? n(e.parameter) : bare(e.name)) + "," + n(e.left) + "," +
                       n(e.top) + "," + n(e.width) + "," + n(e.height);
    if (isTextKind(e.kind)) {
        line += "," + bare(e.font.name) + "," + n(e.font.size) + "," +
                n(indexOfColour(e.font.colour)) + "," + n(e.font.style) + "," +
                n((e.alignment & 3) | (e.textFlags & 0xF8)) + "," + n(e.lineFlags) + "," +
                n(e.font.charset) + "," + quotedField(e.text) + "," + n(e.charSpacing);
    } else if (isGraphicKind(e.kind)) {
        line += ",," + n(e.lineWidth) + "," + n(indexOfColour(e.lineColour)) + "," +
                n(e.lineStyle) + "," + n(e.lineFlags) + "," + n(indexOfColour(e.fillColour)) + "," +
                n(e.fillStyle);
        if (e.kind == kKindPicture) line += "," + quotedField(pictureFileName(e.text));
    }
    return line;
}

} // namespace

bool holdsTemplateRecords(const std::vector<std::string>& lines) {
    for (const Record& r : recordsOf(lines))
        if (isRecordKind(r.kind)) return true;
    return false;
}

void TSestavaTyp::setPredloha(std::vector<std::string> lines) {
    predloha_ = std::move(lines);
    clearDefinition();
    const std::vector<Record> records = recordsOf(predloha_);

    // Settings, in file order.
    for (const Record& r : records) {
        if (r.kind != "I") continue;
        std::string_view rest = r.rest;
        const std::int32_t setting = intField(nextField(rest), -1);
        switch (setting) {
        case 0: {
            const std::string text = nextField(rest);
            if (!text.empty()) popis = text.substr(0, 64);
            break;
        }
        case 1:
            versionMajor = intField(nextField(rest));
            versionMiddle = intField(nextField(rest));
            versionMinor = intField(nextField(rest));
            break;
        case 2: {
            const PaperSettings defaults;
            PaperSettings paper = paperSettings();
            paper.orientation = intField(nextField(rest), defaults.orientation);
            if (versionMajor > 0) {
                paper.width = intField(nextField(rest), defaults.width);
                paper.height = intField(nextField(rest), defaults.height);
            }
            paper.leftMargin = intField(nextField(rest), defaults.leftMargin);
            paper.rightMargin = intField(nextField(rest), defaults.rightMargin);
            paper.topMargin = intField(nextField(rest), defaults.topMargin);
            paper.bottomMargin = intField(nextField(rest), defaults.bottomMargin);
            // A detail report prints on its master's paper.
            if (!isDetail()) paperSettings() = paper;
            // Labels are laid out by dividing the width by the columns: there is at least one.
            columns = std::max<std::int32_t>(1, intField(nextField(rest), 1));
            columnGap = intField(nextField(rest));
            layoutSpare = intField(nextField(rest));
            break;
        }
        case 3: {
            const std::int32_t index = intField(nextField(rest), -1);
            if (index < 0 || index > 4) break;
            TOddilSestavy* s = section(index);
            s->visible = intField(nextField(rest)) != 0;
            s->height = intField(nextField(rest));
            s->columns = columns;
            s->columnGap = columnGap;
            const bool flag = intField(nextField(rest)) != 0;
            switch (index) {
            case kSectionStart:
                pageBreakAfterStart = flag;
                break;
            case kSectionHead:
                noHeadOnFirstPage = flag;
                break;
            case kSectionBody:
                newBodyOnNewPage = flag;
                break;
            case kSectionEnd:
                pageBreakBeforeEnd = flag;
                break;
            default:
                break;
            }
            break;
        }
        case 4: {
            const std::int32_t g = intField(nextField(rest), -1);
            // Group sections are found by their number: a second group of the same number
            // would share them, so only the first counts.
            if (g < 0 || g > kMaxGroupNumber || groups_.byNumber(g)) break;
            TPolSkup& group = addGroup(g);
            group.field = intField(nextField(rest));
            group.start->visible = intField(nextField(rest)) != 0;
            group.start->height = intField(nextField(rest));
            group.end->visible = intField(nextField(rest)) != 0;
            group.end->height = intField(nextField(rest));
            group.newPage = intField(nextField(rest)) != 0;
            for (TOddilSestavy* s : {group.start, group.end}) {
                s->columns = columns;
                s->columnGap = columnGap;
            }
            break;
        }
        case 5:
            setting5 = intField(nextField(rest));
            break;
        case 6: {
            charMode = intField(nextField(rest)) == 1 ? 1 : 0;
            rasterX = intField(nextField(rest), 8);
            rasterY = intField(nextField(rest), 8);
            if (rasterX <= 0) rasterX = 8;
            if (rasterY <= 0) rasterY = 8;
            lineSpacing = intField(nextField(rest), 0);
            pitch = intField(nextField(rest), 1);
            // The raster is what the run divides by: a choice outside the lists takes the
            // default rather than a zero cell.
            if (lineSpacing < 0 || lineSpacing > 2) lineSpacing = 0;
            if (pitch < 0 || pitch > 2) pitch = 1;
            if (charMode == 1) {
                static const float kWidths[] = {10.0f, 8.3333f, 6.0f};
                static const float kHeights[] = {16.6667f, 25.0f, 33.3333f};
                cellWidth = kWidths[pitch];
                cellHeight = kHeights[lineSpacing];
                rasterX = static_cast<std::int32_t>(cellWidth);
                rasterY = static_cast<std::int32_t>(cellHeight);
            } else {
                cellWidth = cellHeight = 0;
            }
            break;
        }
        default:
            break;
        }
    }

    // User functions, appended in file order (their written number is ignored).
    for (const Record& r : records) {
        if (r.kind != "F") continue;
        std::string_view rest = r.rest;
        nextField(rest);
        FunctionDefinition d;
        d.name = nextField(rest);
        d.description = nextField(rest);
        d.type = intField(nextField(rest));
        d.initialValue = nextField(rest);
        d.reset = intField(nextField(rest));
        d.expression = nextField(rest);
        d.aggregate = intField(nextField(rest));
        d.width = intField(nextField(rest));
        d.decimals = intField(nextField(rest));
        d.format = intField(nextField(rest), 2);
        functions_.add(d);
    }

    // Elements, section by section; a detail report has no page head or foot of its own.
    for (std::int32_t index = 0; index < 5; ++index) {
        if (isDetail() && (index == kSectionHead || index == kSectionFoot)) continue;
        const std::string letter = sectionLetter(index);
        TOddilSestavy& s = *section(index);
        for (const Record& r : records)
            if (r.kind == letter) readElement(r.rest, s);
    }
    for (int i = 0; i < groups_.count(); ++i) {
        TPolSkup& g = *groups_.item(i);
        for (TOddilSestavy* s : {g.start, g.end}) {
            const std::string letter = sectionLetter(s->index);
            for (const Record& r : records)
                if (r.kind == letter) readElement(r.rest, *s);
        }
    }

    // Detail templates: the rest of every "D<n>" line, in order.
    for (int d = 0; d < detailCount(); ++d) {
        const std::string letter = "D" + std::to_string(d);
        std::vector<std::string> detailLines;
        for (const Record& r : records)
            if (r.kind == letter) detailLines.emplace_back(r.rest);
        details_[static_cast<std::size_t>(d)]->setPredloha(std::move(detailLines));
    }
    linesAsRead_ = templateLines();
    predlohaAssigned();
}

void TSestavaTyp::updatePredloha() {
    std::vector<std::string> lines = templateLines();
    if (lines == linesAsRead_) return;
    predloha_ = lines;
    linesAsRead_ = std::move(lines);
}

std::string TSestavaTyp::elementRecord(const TPrvekSestavy& element, std::int32_t sectionIndex) {
    return elementLine(sectionLetter(sectionIndex), element);
}

TPrvekSestavy& TSestavaTyp::readElementRecord(std::string_view record, TOddilSestavy& section) {
    nextField(record); // the section letter: the element goes where it is pasted
    readElement(record, section);
    return *section.elements.back();
}

void TSestavaTyp::readElement(std::string_view rest, TOddilSestavy& section) {
    TPrvekSestavy& e = section.addElement(this);
    e.kind = intField(nextField(rest));
    const std::string parameter = nextField(rest);
    e.left = intField(nextField(rest));
    e.top = intField(nextField(rest));
    e.width = intField(nextField(rest));
    e.height = intField(nextField(rest));

    if (!parameter.empty() && !startsWithDigit(parameter)) {
        e.name = parameter.substr(0, TPrvekSestavy::kMaxName);
        std::int32_t index = 0;
        if (e.kind == kKindField || e.kind == kKindFieldTitle)
            index = fieldIndexOf(e.name);
        else if (e.kind == kKindFunction)
            index = functions_.indexOf(e.name);
        e.parameter = index < 0 ? 0 : index;
    } else {
        e.parameter = intField(parameter);
        e.name.clear();
    }
    // Variable 4 (page count) came after the first templates: older numbers 4 and up move on.
    if (e.kind == kKindVariable && versionMajor <= 1 && versionMinor < 3 && e.parameter >= 4 &&
        e.parameter < INT32_MAX)
        ++e.parameter;
    // Without a data source the number of fields is not known, and the indexes are kept.
    if ((e.kind == kKindField || e.kind == kKindFieldTitle) && fieldCount() > 0 &&
        (e.parameter < 0 || e.parameter >= fieldCount()))
        e.parameter = 0;

    if (isTextKind(e.kind)) {
        e.font.name = nextField(rest);
        const std::int32_t size = intField(nextField(rest));
        e.font.size = size < 0
                          ? static_cast<std::int32_t>((-static_cast<std::int64_t>(size) * 72) / 100)
                          : size;
        e.font.colour = colourOfIndex(intField(nextField(rest)));
        e.font.style = intField(nextField(rest));
        const std::int32_t flags = intField(nextField(rest));
        e.alignment = static_cast<std::uint8_t>(flags & 3);
        e.textFlags = flags & 0xF8;
        e.lineFlags = intField(nextField(rest));
        const std::int32_t charset = intField(nextField(rest));
        if (charset < 0 || charset > 255)
            throw TemplateError(czech("znaková sada ") + std::to_string(charset) +
                                czech(" je mimo rozsah"));
        e.font.charset = charset;
        e.text = nextField(rest).substr(0, TPrvekSestavy::kMaxText);
        e.charSpacing = intField(nextField(rest));
    } else if (isGraphicKind(e.kind)) {
        nextField(rest);
        std::int32_t width = intField(nextField(rest), 1);
        e.lineColour = colourOfIndex(intField(nextField(rest)));
        const std::int32_t style = intField(nextField(rest));
        if (width < 0) width = 1;
        e.lineWidth = width;
        // A wide pen is always solid: styled pens exist only one pixel wide.
        e.lineStyle = width == 1 ? style : 0;
        e.lineFlags = intField(nextField(rest));
        e.fillColour = colourOfIndex(intField(nextField(rest), 15));
        e.fillStyle = intField(nextField(rest));
        if (e.kind == kKindRectangle || e.kind == kKindRoundRectangle || e.kind == kKindEllipse)
            e.parameter = e.kind;
        if (e.kind == kKindPicture) {
            e.text = nextField(rest).substr(0, TPrvekSestavy::kMaxText);
            std::string dir;
            bool dirKnown = false;
            resolvePicture(e, dir, dirKnown);
        }
    }
}

void TSestavaTyp::resolvePicture(TPrvekSestavy& element, std::string& templateDir,
                                 bool& templateDirKnown) {
    element.picturePath.clear();
    for (const ReportValue& item : evaluator().itemList(element.text)) {
        if (item.text.empty()) continue;
        if (loadPicture(item.text)) {
            element.picturePath = item.text;
            return;
        }
        if (!templateDirKnown) {
            const std::string file = templateFileName();
            const std::size_t slash = file.find_last_of("\\/:");
            templateDir = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
            templateDirKnown = true;
        }
        if (!templateDir.empty() && loadPicture(templateDir + item.text)) {
            element.picturePath = templateDir + item.text;
            return;
        }
    }
}

std::vector<std::string> TSestavaTyp::templateLines() const {
    std::vector<std::string> lines;
    const PaperSettings& paper = paperSettings();
    lines.push_back("I,0," + quotedField(popis));
    lines.push_back("I,1,4,0,0");
    lines.push_back("I,2," + n(paper.orientation) + "," + n(paper.width) + "," + n(paper.height) +
                    "," + n(paper.leftMargin) + "," + n(paper.rightMargin) + "," +
                    n(paper.topMargin) + "," + n(paper.bottomMargin) + "," + n(columns) + "," +
                    n(columnGap) + "," + n(layoutSpare));
    const bool flags[] = {pageBreakAfterStart, noHeadOnFirstPage, newBodyOnNewPage,
                          pageBreakBeforeEnd};
    for (std::int32_t i = 0; i < 5; ++i) {
        const TOddilSestavy* s = section(i);
        std::string line = "I,3," + n(i) + "," + n(s && s->visible) + "," + n(s ? s->height : 0);
        if (i < 4) line += "," + n(flags[i]);
        lines.push_back(line);
    }
    for (int i = 0; i < groups_.count(); ++i) {
        const TPolSkup& g = *groups_.item(i);
        lines.push_back("I,4," + n(g.number) + "," + n(g.field) + "," + n(g.start->visible) + "," +
                        n(g.start->height) + "," + n(g.end->visible) + "," + n(g.end->height) +
                        "," + n(g.newPage));
    }
    lines.push_back("I,5," + n(setting5));
    lines.push_back("I,6," + n(charMode) + "," + n(rasterX) + "," + n(rasterY) + "," +
                    n(lineSpacing) + "," + n(pitch));
    for (int i = 0; i < functions_.count(); ++i) {
        const FunctionDefinition& d = functions_.item(i)->definition();
        lines.push_back("F," + n(i) + "," + bare(d.name) + "," + quotedField(d.description) + "," +
                        n(d.type) + "," + quotedField(d.initialValue) + "," + n(d.reset) + "," +
                        quotedField(d.expression) + "," + n(d.aggregate) + "," + n(d.width) + "," +
                        n(d.decimals) + "," + n(d.format));
    }
    auto writeSection = [&](const TOddilSestavy* s) {
        if (!s) return;
        const std::string letter = sectionLetter(s->index);
        for (const auto& e : s->elements) {
            if (e->kind >= 12 && e->kind <= 14) continue;
            lines.push_back(elementLine(letter, *e));
        }
    };
    for (std::int32_t i = 0; i < 5; ++i)
        writeSection(section(i));
    for (int i = 0; i < groups_.count(); ++i) {
        writeSection(groups_.item(i)->start);
        writeSection(groups_.item(i)->end);
    }
    for (std::size_t d = 0; d < details_.size(); ++d)
        for (const std::string& line : details_[d]->templateLines())
            lines.push_back("D" + n(static_cast<std::int64_t>(d)) + "," + line);
    return lines;
}

} // namespace vorlan::report
