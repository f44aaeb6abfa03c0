#include "report/design/designer_settings.h"

#include <string>

namespace vorlan::report {

namespace {

constexpr std::string_view kEditor = "EditorSestav";
constexpr std::string_view kSections = "Oddily";

// Flags are written as the settings store writes booleans; reading also takes numbers.
bool readFlag(const IniFile& ini, std::string_view section, std::string_view key, bool fallback) {
    auto text = ini.value(section, key);
    if (!text) return fallback;
    std::string v;
    for (char c : *text)
        if (c != ' ' && c != '\t') v += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (v == "true" || v == "1" || v == "yes" || v == "ano") return true;
    if (v == "false" || v == "0" || v == "no" || v == "ne") return false;
    return fallback;
}

void writeFlag(IniFile& ini, std::string_view section, std::string_view key, bool value) {
    ini.setValue(section, key, value ? "1" : "0");
}

void writeInt(IniFile& ini, std::string_view section, std::string_view key, int value) {
    ini.setValue(section, key, std::to_string(value));
}

} // namespace

void DesignerSettings::read(const IniFile& ini) {
    zoomIndex = ini.intValue(kEditor, "ImplMeritko", zoomIndex);
    rasterX = ini.intValue(kEditor, "RastrX", rasterX);
    rasterY = ini.intValue(kEditor, "RastrY", rasterY);
    if (rasterX < 1) rasterX = 1;
    if (rasterY < 1) rasterY = 1;
    showRaster = readFlag(ini, kEditor, "RastrZobrazovat", showRaster);
    snapToRaster = readFlag(ini, kEditor, "RastrZarovnavat", snapToRaster);
    confirmDeleteOne = readFlag(ini, kEditor, "MazaniJedne", confirmDeleteOne);
    confirmDeleteMany = readFlag(ini, kEditor, "MazaniVice", confirmDeleteMany);
    undoSteps = ini.intValue(kEditor, "PocetUndo", undoSteps);
    if (undoSteps < 0) undoSteps = 0;
    undoAfterSave = readFlag(ini, kEditor, "UndoSave", undoAfterSave);
    pickFieldsFromList = readFlag(ini, kEditor, "VybSezna", pickFieldsFromList);
    fieldsByName = readFlag(ini, kEditor, "SledPodle", fieldsByName);

    newWidth = ini.intValue(kSections, "ImplSirka", newWidth);
    newHeight = ini.intValue(kSections, "ImplVyska", newHeight);
    newAlignment = ini.intValue(kSections, "ImplZarovnani", newAlignment);
    newFontColor = ini.intValue(kSections, "ImplBarvaFontu", newFontColor);
    newFontSize = ini.intValue(kSections, "ImplVyskaFontu", newFontSize);
    if (auto name = ini.value(kSections, "ImplNazevFontu"); name && !name->empty())
        newFontName = *name;
    newFontStyle = ini.intValue(kSections, "ImplStylFontu", newFontStyle);
    newFontCharset = ini.intValue(kSections, "ImplSkriptFontu", newFontCharset);
}

void DesignerSettings::write(IniFile& ini) const {
    writeInt(ini, kEditor, "ImplMeritko", zoomIndex);
    writeInt(ini, kEditor, "RastrX", rasterX);
    writeInt(ini, kEditor, "RastrY", rasterY);
    writeFlag(ini, kEditor, "RastrZobrazovat", showRaster);
    writeFlag(ini, kEditor, "RastrZarovnavat", snapToRaster);
    writeFlag(ini, kEditor, "MazaniJedne", confirmDeleteOne);
    writeFlag(ini, kEditor, "MazaniVice", confirmDeleteMany);
    writeInt(ini, kEditor, "PocetUndo", undoSteps);
    writeFlag(ini, kEditor, "UndoSave", undoAfterSave);
    writeFlag(ini, kEditor, "VybSezna", pickFieldsFromList);
    writeFlag(ini, kEditor, "SledPodle", fieldsByName);

    writeInt(ini, kSections, "ImplSirka", newWidth);
    writeInt(ini, kSections, "ImplVyska", newHeight);
    writeInt(ini, kSections, "ImplZarovnani", newAlignment);
    writeInt(ini, kSections, "ImplBarvaFontu", newFontColor);
    writeInt(ini, kSections, "ImplVyskaFontu", newFontSize);
    ini.setValue(kSections, "ImplNazevFontu", newFontName);
    writeInt(ini, kSections, "ImplStylFontu", newFontStyle);
    writeInt(ini, kSections, "ImplSkriptFontu", newFontCharset);
}

DesignerSettings DesignerSettings::load(const std::filesystem::path& file) {
    DesignerSettings settings;
    settings.read(IniFile::load(file));
    return settings;
}

void DesignerSettings::save(const std::filesystem::path& file) const {
    IniFile ini = IniFile::load(file);
    write(ini);
    ini.save(file);
}

} // namespace vorlan::report
