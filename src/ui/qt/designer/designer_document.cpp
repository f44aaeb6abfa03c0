#include "ui/qt/designer/designer_document.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/pts_format.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

namespace vorlan::qt {

namespace {

bool ask(const std::string& text) {
    MessageBoxRequest r;
    r.caption = applicationTitle();
    r.text = text;
    r.icon = MessageIcon::Question;
    r.buttons = ButtonYes | ButtonNo;
    return ui().messageBox(r) == MessageResult::Yes;
}

void tell(const std::string& text) {
    MessageBoxRequest r;
    r.caption = applicationTitle();
    r.text = text;
    r.icon = MessageIcon::Error;
    ui().messageBox(r);
}

std::string firstField(std::string_view line) {
    return report::nextField(line);
}

// A template line with its first field replaced by `to`.
std::string relettered(const std::string& line, const std::string& to) {
    const std::size_t comma = line.find(',');
    return comma == std::string::npos ? to : to + line.substr(comma);
}

} // namespace

std::int32_t saturated(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::int32_t snapToRaster(std::int32_t value, std::int32_t raster) {
    if (raster <= 1) return value;
    const std::int64_t half = raster / 2;
    const std::int64_t shifted =
        value >= 0 ? std::int64_t{value} + half : std::int64_t{value} - half;
    std::int64_t snapped = shifted / raster * raster;
    // The multiple nearest the limit when rounding would pass it.
    if (snapped > INT32_MAX) snapped -= raster;
    if (snapped < INT32_MIN) snapped += raster;
    return saturated(snapped);
}

DesignerDocument::DesignerDocument(report::TSestava& report, report::DesignerSettings settings,
                                   std::vector<std::string> fieldNames,
                                   std::vector<std::string> fieldLabels)
    : report_(report), settings_(std::move(settings)), fieldNames_(std::move(fieldNames)),
      fieldLabels_(std::move(fieldLabels)), undo_(settings_.undoSteps),
      openedText_(report.predloha()), savedLines_(report.templateLines()) {}

void DesignerDocument::setSettings(const report::DesignerSettings& settings) {
    settings_ = settings;
    undo_.setLimit(settings_.undoSteps);
}

std::vector<report::TOddilSestavy*> DesignerDocument::bands() const {
    std::vector<report::TOddilSestavy*> out;
    for (std::int32_t i = 0; i < 5; ++i) {
        if (report_.isDetail() && (i == report::kSectionHead || i == report::kSectionFoot))
            continue;
        if (report::TOddilSestavy* s = report_.section(i)) out.push_back(s);
    }
    for (int g = 0; g < report_.groups().count(); ++g) {
        report::TPolSkup* group = report_.groups().item(g);
        out.push_back(group->start);
        out.push_back(group->end);
    }
    return out;
}

report::TOddilSestavy* DesignerDocument::sectionOf(const report::TPrvekSestavy* element) const {
    for (report::TOddilSestavy* s : bands())
        for (const auto& e : s->elements)
            if (e.get() == element) return s;
    return nullptr;
}

void DesignerDocument::setSelection(std::vector<report::TPrvekSestavy*> elements) {
    selection_ = std::move(elements);
}

bool DesignerDocument::isSelected(const report::TPrvekSestavy* element) const {
    return std::find(selection_.begin(), selection_.end(), element) != selection_.end();
}

void DesignerDocument::beginChange(const std::string& name) {
    undo_.push({report_.templateLines(), name});
}

void DesignerDocument::recordChange(std::vector<std::string> before, const std::string& name) {
    undo_.push({std::move(before), name});
    notify(true);
}

void DesignerDocument::restore(const std::vector<std::string>& lines) {
    selection_.clear();
    // Back where it was opened: the text as it was read, so that saving keeps its bytes.
    report_.setPredloha(!savedOnce_ && lines == savedLines_ ? openedText_ : lines);
}

void DesignerDocument::notify(bool rebuilt) {
    if (rebuilt) selection_.clear();
    if (changed) changed(rebuilt);
}

void DesignerDocument::undo() {
    if (!undo_.canUndo()) return;
    const TemplateSnapshot step = undo_.undo({report_.templateLines(), {}});
    restore(step.lines);
    notify(true);
}

void DesignerDocument::redo() {
    if (!undo_.canRedo()) return;
    const TemplateSnapshot step = undo_.redo({report_.templateLines(), {}});
    restore(step.lines);
    notify(true);
}

bool DesignerDocument::modified() const {
    return report_.templateLines() != savedLines_;
}

bool DesignerDocument::save() {
    if (!report_.saveTemplate()) {
        tell(czech("Předlohou se nepodařilo uložit."));
        return false;
    }
    savedLines_ = report_.templateLines();
    savedOnce_ = true;
    if (!settings_.undoAfterSave) undo_.clear();
    notify(false);
    return true;
}

void DesignerDocument::revert() {
    restore(savedLines_);
    notify(true);
}

void DesignerDocument::replaceDefinition(const std::vector<std::string>& lines,
                                         const std::string& name) {
    beginChange(name);
    restore(lines);
    notify(true);
}

std::int32_t DesignerDocument::rasterX() const {
    return std::max<std::int32_t>(1, report_.rasterX);
}

std::int32_t DesignerDocument::rasterY() const {
    return std::max<std::int32_t>(1, report_.rasterY);
}

report::TPrvekSestavy& DesignerDocument::addElement(std::int32_t sectionIndex, std::int32_t kind,
                                                    std::int32_t parameter, std::int32_t left,
                                                    std::int32_t top) {
    report::TOddilSestavy* section = report_.section(sectionIndex);
    if (!section) section = report_.section(report::kSectionBody);
    beginChange(czech("vložení prvku"));
    report::TPrvekSestavy& e = section->addElement(&report_);
    e.kind = kind;
    e.parameter = parameter;
    e.left = snapping() ? snapToRaster(left, rasterX()) : left;
    e.top = snapping() ? snapToRaster(top, rasterY()) : top;
    e.width = settings_.newWidth;
    e.height = settings_.newHeight;
    e.alignment = static_cast<std::uint8_t>(settings_.newAlignment & 3);
    e.font.name = settings_.newFontName;
    e.font.size = settings_.newFontSize;
    e.font.colour = report::kReportColours[std::clamp(settings_.newFontColor, 0, 15)];
    e.font.style = settings_.newFontStyle;
    e.font.charset = std::clamp(settings_.newFontCharset, 0, 255);
    if ((kind == report::kKindField || kind == report::kKindFieldTitle) && settings_.fieldsByName &&
        parameter >= 0 && parameter < static_cast<std::int32_t>(fieldNames_.size()))
        e.name = fieldNames_[static_cast<std::size_t>(parameter)].substr(
            0, report::TPrvekSestavy::kMaxName);
    if (kind == report::kKindFunction) {
        if (const report::TRadekFunkce* f = report_.functions().item(parameter);
            f && settings_.fieldsByName)
            e.name = f->name().substr(0, report::TPrvekSestavy::kMaxName);
    }
    switch (kind) {
    case report::kKindText:
        e.text = "Text";
        break;
    case report::kKindLine:
        // A horizontal rule: the bottom edge of a flat element.
        e.height = 3;
        e.lineFlags = report::kLineBottom;
        break;
    case report::kKindRectangle:
    case report::kKindRoundRectangle:
    case report::kKindEllipse:
        e.parameter = kind;
        e.height = std::max(e.height, 40);
        e.fillStyle = 1; // clear: a new frame does not hide what lies under it
        break;
    case report::kKindPicture:
        e.height = std::max(e.height, 100);
        e.width = std::max(e.width, 100);
        e.lineFlags = report::kLineDiagonalUp;
        break;
    default:
        break;
    }
    selection_ = {&e};
    notify(false);
    return e;
}

void DesignerDocument::moveSelection(std::int32_t dx, std::int32_t dy) {
    if (selection_.empty() || (dx == 0 && dy == 0)) return;
    beginChange(czech("přesunu"));
    for (report::TPrvekSestavy* e : selection_) {
        e->left = saturated(std::int64_t{e->left} + dx);
        e->top = saturated(std::int64_t{e->top} + dy);
    }
    notify(false);
}

void DesignerDocument::resizeSelection(std::int32_t dw, std::int32_t dh) {
    if (selection_.empty() || (dw == 0 && dh == 0)) return;
    beginChange(czech("změny velikosti"));
    for (report::TPrvekSestavy* e : selection_) {
        e->width = std::max(1, saturated(std::int64_t{e->width} + dw));
        e->height = std::max(1, saturated(std::int64_t{e->height} + dh));
    }
    notify(false);
}

void DesignerDocument::placeElement(report::TPrvekSestavy& element, std::int32_t left,
                                    std::int32_t top, std::int32_t width, std::int32_t height) {
    if (element.left == left && element.top == top && element.width == width &&
        element.height == height)
        return;
    beginChange(czech("umístění prvku"));
    element.left = left;
    element.top = top;
    element.width = std::max(1, width);
    element.height = std::max(1, height);
    notify(false);
}

void DesignerDocument::removeSelection() {
    for (report::TOddilSestavy* s : bands())
        std::erase_if(s->elements, [this](const auto& e) { return isSelected(e.get()); });
    selection_.clear();
}

bool DesignerDocument::deleteSelection() {
    if (selection_.empty()) return false;
    const bool many = selection_.size() > 1;
    if (many ? settings_.confirmDeleteMany : settings_.confirmDeleteOne) {
        const std::string question =
            many ? czech("Vymazat vybrané prvky (") + std::to_string(selection_.size()) + ")?"
                 : czech("Vymazat vybraný prvek?");
        if (!ask(question)) return false;
    }
    beginChange(czech("vymazání"));
    removeSelection();
    notify(false);
    return true;
}

std::string DesignerDocument::copySelection() const {
    std::string text;
    for (report::TOddilSestavy* s : bands())
        for (const auto& e : s->elements)
            if (isSelected(e.get()))
                text += report::TSestavaTyp::elementRecord(*e, s->index) + "\r\n";
    return text;
}

bool DesignerDocument::cutSelection(std::string& clipboard) {
    if (selection_.empty()) return false;
    clipboard = copySelection();
    beginChange(czech("vystřižení"));
    removeSelection();
    notify(false);
    return true;
}

bool DesignerDocument::paste(const std::string& text, std::int32_t sectionIndex) {
    report::TOddilSestavy* section = report_.section(sectionIndex);
    if (!section) return false;
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        // Only element records of a known section letter and kind belong on the sheet.
        const std::string letter = firstField(line);
        std::string_view rest = line;
        report::nextField(rest);
        const std::int32_t kind = report::intField(report::nextField(rest), -1);
        const bool sectionLetter =
            letter.size() >= 1 && std::string("ZHTKPSU").find(letter[0]) != std::string::npos;
        if (sectionLetter && (report::isTextKind(kind) || report::isGraphicKind(kind)))
            records.push_back(line);
    }
    if (records.empty()) return false;
    beginChange(czech("vložení"));
    std::vector<report::TPrvekSestavy*> pasted;
    try {
        for (const std::string& record : records)
            pasted.push_back(&report_.readElementRecord(record, *section));
    } catch (const report::TemplateError&) {
        // A damaged record: what was pasted before it stays, as after reading a template.
    }
    selection_ = std::move(pasted);
    notify(false);
    return !selection_.empty();
}

void DesignerDocument::bringToFront() {
    if (selection_.empty()) return;
    // A section is drawn from its last element to its first: the front is the beginning.
    beginChange(czech("přenesení dopředu"));
    for (report::TOddilSestavy* s : bands())
        std::stable_partition(s->elements.begin(), s->elements.end(),
                              [this](const auto& e) { return isSelected(e.get()); });
    notify(false);
}

void DesignerDocument::sendToBack() {
    if (selection_.empty()) return;
    beginChange(czech("přesunutí dozadu"));
    for (report::TOddilSestavy* s : bands())
        std::stable_partition(s->elements.begin(), s->elements.end(),
                              [this](const auto& e) { return !isSelected(e.get()); });
    notify(false);
}

void DesignerDocument::alignToRaster(bool selectedOnly) {
    beginChange(czech("zarovnání do rastru"));
    for (report::TOddilSestavy* s : bands())
        for (const auto& e : s->elements) {
            if (selectedOnly && !isSelected(e.get())) continue;
            e->left = snapToRaster(e->left, rasterX());
            e->top = snapToRaster(e->top, rasterY());
            e->width = std::max(rasterX(), snapToRaster(e->width, rasterX()));
            e->height = std::max(rasterY(), snapToRaster(e->height, rasterY()));
        }
    notify(false);
}

void DesignerDocument::addGroup(std::int32_t field) {
    std::int32_t number = 0;
    for (int i = 0; i < report_.groups().count(); ++i)
        number = std::max(number, report_.groups().item(i)->number + 1);
    std::vector<std::string> lines = report_.templateLines();
    const std::string record =
        "I,4," + std::to_string(number) + "," + std::to_string(field) + ",1,24,1,24,0";
    // After the last group (or section) setting, where the designer writes groups.
    auto at = lines.begin();
    for (auto it = lines.begin(); it != lines.end(); ++it)
        if (it->starts_with("I,3,") || it->starts_with("I,4,")) at = it + 1;
    lines.insert(at, record);
    replaceDefinition(lines, czech("přidání skupiny"));
}

bool DesignerDocument::deleteGroup(int position) {
    const report::TPolSkup* group = report_.groups().item(position);
    if (!group) return false;
    if (!ask(czech("Opravdu smazat vybranou skupinu včetně případných vložených prvků sestavy?")))
        return false;
    const std::int32_t g = group->number;
    beginChange(czech("smazání skupiny"));
    // Functions reset by a later group follow its new number; those of the deleted one reset
    // with the report.
    for (int i = 0; i < report_.functions().count(); ++i) {
        report::TRadekFunkce* f = report_.functions().item(i);
        report::FunctionDefinition d = f->definition();
        if (d.reset == 2 + g)
            d.reset = 0;
        else if (d.reset > 2 + g)
            --d.reset;
        f->setDefinition(d);
    }
    std::vector<std::string> lines;
    for (const std::string& line : report_.templateLines()) {
        const std::string kind = firstField(line);
        if (kind == "I" && line.starts_with("I,4,")) {
            std::string_view rest = std::string_view(line).substr(4);
            const std::int32_t number = report::intField(report::nextField(rest), -1);
            if (number == g) continue;
            if (number > g)
                lines.push_back("I,4," + std::to_string(number - 1) + "," + std::string(rest));
            else
                lines.push_back(line);
            continue;
        }
        if (kind.size() > 1 && (kind[0] == 'S' || kind[0] == 'U')) {
            const std::int32_t number = report::intField(kind.substr(1), -1);
            if (number == g) continue;
            if (number > g) {
                lines.push_back(relettered(line, kind.substr(0, 1) + std::to_string(number - 1)));
                continue;
            }
        }
        lines.push_back(line);
    }
    restore(lines);
    notify(true);
    return true;
}

bool DesignerDocument::deleteFunction(int index) {
    if (!report_.functions().item(index)) return false;
    if (!ask(czech("Smazat vybranou funkci?"))) return false;
    beginChange(czech("smazání funkce"));
    // Elements that refer to a later function by its number keep referring to it.
    for (report::TOddilSestavy* s : bands())
        for (const auto& e : s->elements)
            if (e->kind == report::kKindFunction && e->name.empty() && e->parameter >= index)
                e->parameter = e->parameter > index ? e->parameter - 1 : 0;
    std::vector<std::string> lines;
    int seen = 0;
    for (const std::string& line : report_.templateLines()) {
        if (line.starts_with("F,") && seen++ == index) continue;
        lines.push_back(line);
    }
    restore(lines);
    notify(true);
    return true;
}

} // namespace vorlan::qt
