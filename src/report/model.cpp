#include "report/model.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "report/number_text.h"

#include <filesystem>

namespace vorlan::report {

const std::uint32_t kReportColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

std::uint32_t colourOfIndex(std::int32_t index) {
    if (index < 0 || index > 15)
        throw TemplateError(czech("index barvy ") + std::to_string(index) +
                            czech(" je mimo rozsah"));
    return kReportColours[index];
}

std::int32_t indexOfColour(std::uint32_t colour) {
    for (std::int32_t i = 15; i >= 0; --i)
        if (kReportColours[i] == colour) return i;
    return 0;
}

std::string elementKindName(std::int32_t kind) {
    switch (kind) {
    case kKindUnknown:
        return czech("Neznámý");
    case kKindText:
        return "Text";
    case kKindField:
        return czech("Položka tabulky");
    case kKindFieldTitle:
        return czech("Popis položky");
    case kKindParameter:
        return "Parametr";
    case kKindVariable:
        return czech("Proměnná");
    case kKindFunction:
        return "Funkce";
    case kKindLine:
        return czech("Úsečka");
    case kKindRectangle:
        return czech("Rámeček");
    case kKindRoundRectangle:
        return czech("Zaoblený rámeček");
    case kKindEllipse:
        return "Elipsa";
    case kKindPicture:
        return czech("Obrázek");
    default:
        return {};
    }
}

std::string variableName(std::int32_t number) {
    static const char* const kNames[] = {"Datum tisku",   "Čas tisku",   "Číslo řádku",
                                         "Číslo stránky", "Počet stran", "Číslo ř. ve sk.",
                                         "Číslo skupiny"};
    if (number < 0 || number >= static_cast<std::int32_t>(std::size(kNames))) return {};
    return czech(kNames[number]);
}

std::string sectionLetter(std::int32_t index) {
    static const char kFixed[] = "ZHTKP";
    if (index >= 0 && index < 5) return std::string(1, kFixed[index]);
    if (index >= 5) return std::string(index % 2 ? "S" : "U") + std::to_string((index - 5) / 2);
    return {};
}

std::string sectionName(std::int32_t index) {
    static const char* const kNames[] = {"Začátek sestavy", "Hlava stránky", "Tělo sestavy",
                                         "Konec sestavy", "Pata stránky"};
    if (index >= 0 && index < 5) return czech(kNames[index]);
    if (index >= 5)
        return czech(index % 2 ? "Začátek skupiny " : "Konec skupiny ") +
               std::to_string((index - 5) / 2 + 1);
    return {};
}

TPrvekSestavy& TOddilSestavy::addElement(TSestavaTyp* owner) {
    elements.push_back(std::make_unique<TPrvekSestavy>(owner));
    return *elements.back();
}

TPolSkup& TListSkupin::add(std::unique_ptr<TPolSkup> group) {
    const std::string name = "Skupina " + std::to_string(group->number + 1);
    entries_.push_back({name, std::move(group)});
    return *entries_.back().group;
}

TPolSkup* TListSkupin::item(int index) {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].group.get()
                                         : nullptr;
}

const TPolSkup* TListSkupin::item(int index) const {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].group.get()
                                         : nullptr;
}

TPolSkup* TListSkupin::byNumber(std::int32_t number) {
    for (auto& e : entries_)
        if (e.group->number == number) return e.group.get();
    return nullptr;
}

PaperSettings& paperSettings() {
    static PaperSettings settings;
    return settings;
}

TSestavaTyp::TSestavaTyp() {
    clearDefinition();
}

TSestavaTyp::~TSestavaTyp() = default;

void TSestavaTyp::clearDefinition() {
    sections_.clear();
    for (std::int32_t i = 0; i < 5; ++i)
        sections_.push_back(std::make_unique<TOddilSestavy>(i));
    groups_.clear();
    functions_.clear();
    versionMajor = 4;
    versionMiddle = 0;
    versionMinor = 0;
    charMode = 0;
    rasterX = rasterY = 8;
    lineSpacing = 0;
    pitch = 1;
    cellWidth = cellHeight = 0;
    setting5 = 0;
    columns = 1;
    columnGap = 0;
    layoutSpare = 0;
    newBodyOnNewPage = pageBreakAfterStart = pageBreakBeforeEnd = noHeadOnFirstPage = false;
}

TOddilSestavy* TSestavaTyp::section(std::int32_t index) {
    for (auto& s : sections_)
        if (s->index == index) return s.get();
    return nullptr;
}

const TOddilSestavy* TSestavaTyp::section(std::int32_t index) const {
    for (const auto& s : sections_)
        if (s->index == index) return s.get();
    return nullptr;
}

TPolSkup& TSestavaTyp::addGroup(std::int32_t number) {
    auto group = std::make_unique<TPolSkup>();
    group->number = number;
    sections_.push_back(std::make_unique<TOddilSestavy>(groupStartSection(number)));
    group->start = sections_.back().get();
    sections_.push_back(std::make_unique<TOddilSestavy>(groupEndSection(number)));
    group->end = sections_.back().get();
    return groups_.add(std::move(group));
}

TSestDetail& TSestavaTyp::addDetail() {
    details_.push_back(std::make_unique<TSestDetail>(this));
    return *details_.back();
}

TSestDetail* TSestavaTyp::detail(int index) {
    return index >= 0 && index < detailCount() ? details_[static_cast<std::size_t>(index)].get()
                                               : nullptr;
}

bool TSestavaTyp::loadPicture(const std::string& name) {
    if (name.empty()) return false;
    const std::filesystem::path host = pathMapper().toHostOrEmpty(name);
    std::error_code ec;
    return !host.empty() && std::filesystem::is_regular_file(host, ec);
}

void TSestavaTyp::parameterValue(int index, ReportValue& out) {
    out.clear();
    if (index < 0 || index >= static_cast<int>(parametry.size())) return;
    out.setText(parametry[static_cast<std::size_t>(index)]);
    out.number = textToNumber(out.text);
}

void TSestavaTyp::functionValue(int index, ReportValue& out) {
    const TRadekFunkce* f = functions_.item(index);
    if (f)
        out = f->value();
    else
        out.clear();
}

void TSestavaD::fieldValue(int index, ReportValue& out) {
    out.clear();
    if (data_ && index >= 0 && index < data_->fieldCount()) data_->fieldValue(index, out);
}

} // namespace vorlan::report
