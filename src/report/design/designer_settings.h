#pragma once
// The designer's own settings, kept in the report generator's settings file next to the paper
// formats: the sections "EditorSestav" (the editor) and "Oddily" (defaults of a new element).
// Reading keeps the defaults for missing or unreadable keys; writing keeps every other line of
// the file.

#include "report/paper/ini_file.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vorlan::report {

struct DesignerSettings {
    // "EditorSestav"
    int zoomIndex = 6;               // "ImplMeritko": zoom index at start
    int rasterX = 8;                 // "RastrX": hundredths of an inch
    int rasterY = 8;                 // "RastrY"
    bool showRaster = true;          // "RastrZobrazovat": "Zobrazovat rastr"
    bool snapToRaster = true;        // "RastrZarovnavat": "Zarovnávat do rastru"
    bool confirmDeleteOne = false;   // "MazaniJedne": "Potvrdit mazání jedné položky"
    bool confirmDeleteMany = true;   // "MazaniVice": "Potvrdit mazání více položek"
    int undoSteps = 10;              // "PocetUndo": "Maximální počet kroků sledování změn"
    bool undoAfterSave = false;      // "UndoSave": "Sledovat změny i po uložení na disk"
    bool pickFieldsFromList = false; // "VybSezna": "Vybírat položky tabulky ze seznamu"
    bool fieldsByName = false;       // "SledPodle": "Sledovat podle názvu"

    // "Oddily": a new element
    int newWidth = 200;                   // "ImplSirka"
    int newHeight = 20;                   // "ImplVyska"
    int newAlignment = 0;                 // "ImplZarovnani"
    int newFontColor = 0;                 // "ImplBarvaFontu": colour index
    int newFontSize = 10;                 // "ImplVyskaFontu"
    std::string newFontName = "Arial CE"; // "ImplNazevFontu" (Windows-1250)
    int newFontStyle = 0;                 // "ImplStylFontu": style bits
    int newFontCharset = 1;               // "ImplSkriptFontu"

    void read(const IniFile& ini);
    void write(IniFile& ini) const;

    // The settings of `file` (normally reportSettingsFile()); a missing file gives the defaults.
    static DesignerSettings load(const std::filesystem::path& file);
    // Keeps everything else the file holds. Throws std::runtime_error when it cannot write.
    void save(const std::filesystem::path& file) const;
};

} // namespace vorlan::report
