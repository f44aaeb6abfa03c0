#include "window_models/dbf/dbf_procs.h"

#include "core/cp1250.h"
#include "core/text_measure.h"
#include "core/ui_services.h"
#include "data/script/file_names.h"
#include "data/script/memo_lines.h"
#include "script/bind.h"
#include "window_models/dbf/dbf_text_report.h"

#include <algorithm>
#include <functional>

namespace vorlan::windows {

using data::TDataTable;
using script::Value;

namespace {

// The window's hidden line-splitting box: 217 pixels of text in the window's font.
const data::MemoEditorView& splittingBox() {
    static const data::MemoEditorView box{217, "MS Sans Serif", 11};
    return box;
}

constexpr std::uint32_t kMaxMemoLines = 65518;
constexpr std::size_t kMaxWrittenText = 255;
constexpr std::size_t kMaxParameters = 100;

// Tables the functions make get ".DBF" when the script names none, as opened tables do.
std::string tableFile(std::string_view file) {
    return data::completeFileName(file, ".DBF");
}

DbfReportRunner& reportRunner() {
    static DbfReportRunner runner;
    return runner;
}

// The functions, each over the current area of one set of work areas.
class Procs {
public:
    explicit Procs(DbfWorkAreas& areas) : areas_(areas) {}

    // Calls `f` with the current table, or answers `neutral` when no area is current.
    template <class R, class F> R on(R neutral, F&& f) {
        TDataTable* t = areas_.current();
        return t ? f(*t) : neutral;
    }
    template <class F> void on(F&& f) {
        if (TDataTable* t = areas_.current()) f(*t);
    }

    bool isType(TDataTable& t, std::string_view field, char letter) {
        const std::string type = t.access().fieldType(field);
        return type.size() == 1 && type[0] == letter;
    }

    // Character fields only, padded to their width. The data set's field says both (its
    // string type is exactly the character fields), so a walk that reads a field per record
    // looks the name up once instead of asking the engine three times.
    std::string readStr(std::string_view field) {
        return on(std::string(), [&](TDataTable& t) {
            const data::Field* f = t.active() ? t.table().findField(field) : nullptr;
            if (!f || f->type() != data::FieldType::String) return std::string();
            std::string text = f->asString();
            const auto width = static_cast<std::size_t>(f->size());
            if (text.size() < width) text.append(width - text.size(), ' ');
            return text;
        });
    }

    // The memo's text when it is one the splitting box can hold; -1 when it is too long or
    // cannot be read, 0 when empty or not a memo, 1 with the text.
    int memoText(TDataTable& t, std::string_view field, std::string& text) {
        if (!isType(t, field, 'M')) return 0;
        try {
            const std::uint32_t length = t.access().getBlobLength(field);
            if (length == 0) return 0;
            if (length > kMaxMemoLines) return -1;
            text = t.access().getMemo(field);
            t.access().memDealloc();
            return 1;
        } catch (const std::exception&) {
            return -1;
        }
    }

    std::int32_t memoCount(std::string_view field) {
        return on(0, [&](TDataTable& t) {
            std::string text;
            const int state = memoText(t, field, text);
            if (state <= 0) return state;
            return static_cast<int>(data::editorLines(text, splittingBox(), textMeasure()).size());
        });
    }

    std::string readMem(std::string_view field, int line) {
        return on(std::string(), [&](TDataTable& t) {
            std::string text;
            if (line < 0 || memoText(t, field, text) <= 0) return std::string();
            if (line == 0) return data::withoutLineFeeds(text);
            const auto lines = data::editorLines(text, splittingBox(), textMeasure());
            return static_cast<std::size_t>(line) <= lines.size()
                       ? lines[static_cast<std::size_t>(line - 1)]
                       : std::string();
        });
    }

    std::string readBin(std::string_view field) {
        return on(std::string(), [&](TDataTable& t) {
            try {
                if (!isType(t, field, 'M') || t.access().getBlobLength(field) == 0)
                    return std::string();
                std::string bytes = t.access().getBlob(field);
                const auto zero = bytes.find('\0');
                if (zero != std::string::npos) bytes.resize(zero);
                return bytes;
            } catch (const std::exception&) {
                return std::string();
            }
        });
    }

    bool binToFile(std::string_view field, std::string_view file) {
        return on(false, [&](TDataTable& t) {
            try {
                return t.binToFile(field, file);
            } catch (const std::exception&) {
                return false;
            }
        });
    }

    int evalType(TDataTable& t, std::string_view expression) {
        return t.access().evalTest(expression);
    }

    bool report(std::string_view file, int fromPage, int toPage, bool preview) {
        const std::string name = data::completeFileName(file, ".PTS");
        DbfReportSettings& settings = areas_.report();
        if (fromPage == 0 && toPage == 0) {
            fromPage = 1;
            toPage = 9999;
        }
        settings.firstPage = static_cast<std::int16_t>(fromPage);
        settings.lastPage = static_cast<std::int16_t>(toPage);
        bool printed = false;
        if (!name.empty() && areas_.current() && reportRunner()) {
            try {
                printed = reportRunner()(areas_, name, preview);
            } catch (const std::exception&) {
                printed = false;
            }
        }
        if (!printed)
            ui().messageBox({"Chyba", czech("Sestavu nelze vytisknout"), MessageIcon::Error});
        return printed;
    }

    // The report written as character-mode text: a bare text file name lies in the current
    // directory and gets ".TXT". A failure tells the user as a failed print does.
    bool reportText(std::string_view file, std::string_view textFile) {
        const std::string name = data::completeFileName(file, ".PTS");
        const std::string target = data::completeFileName(textFile, ".TXT");
        bool written = false;
        if (!name.empty() && !target.empty()) {
            try {
                written = writeDbfTextReport(areas_, name, target);
            } catch (const std::exception&) {
                written = false;
            }
        }
        if (!written)
            ui().messageBox({"Chyba", czech("Sestavu nelze vytisknout"), MessageIcon::Error});
        return written;
    }

    DbfWorkAreas& areas_;
};

void registerNavigation(script::Binder& b, Procs& p) {
    b.bind("DbfAppendBlank", "procedure", [&p] { p.on([](TDataTable& t) { t.appendBlank(); }); });
    b.bind("DbfBof", "function: Boolean",
           [&p] { return p.on(false, [](TDataTable& t) { return t.access().bof(); }); });
    b.bind("DbfEof", "function: Boolean",
           [&p] { return p.on(false, [](TDataTable& t) { return t.access().eof(); }); });
    b.bind("DbfGo", "procedure(RecNo: Integer)", [&p](std::int32_t recno) {
        p.on([&](TDataTable& t) {
            if (recno >= 0) t.access().go(static_cast<std::uint32_t>(recno));
        });
    });
    b.bind("DbfGoTop", "procedure", [&p] { p.on([](TDataTable& t) { t.access().goTop(); }); });
    b.bind("DbfGoBottom", "procedure",
           [&p] { p.on([](TDataTable& t) { t.access().goBottom(); }); });
    b.bind("DbfSkip", "procedure(Count: Integer)",
           [&p](std::int32_t n) { p.on([&](TDataTable& t) { t.access().skip(n); }); });
    b.bind("DbfRecNo", "function: Integer", [&p] {
        return p.on(std::uint32_t{0}, [](TDataTable& t) { return t.access().recNo(); });
    });
    b.bind("DbfRecCount", "function: Integer", [&p] {
        return p.on(std::uint32_t{0}, [](TDataTable& t) { return t.access().recCount(); });
    });
    b.bind("DbfCount", "function: Integer", [&p] {
        return p.on(std::uint32_t{0}, [](TDataTable& t) { return t.access().count(); });
    });
    b.bind("DbfDelete", "procedure",
           [&p] { p.on([](TDataTable& t) { t.access().deleteRecord(); }); });
    b.bind("DbfRecall", "procedure", [&p] { p.on([](TDataTable& t) { t.access().recall(); }); });
    b.bind("DbfDeleted", "function: Boolean", [&p] {
        return p.on(false, [](TDataTable& t) { return t.access().evalLogical("DELETED()"); });
    });
    b.bind("DbfPack", "procedure", [&p] { p.on([](TDataTable& t) { t.access().pack(); }); });
    b.bind("DbfZap", "procedure", [&p] { p.on([](TDataTable& t) { t.access().zap(); }); });
    b.bind("DbfReindex", "procedure", [&p] { p.on([](TDataTable& t) { t.access().reindex(); }); });
    b.bind("DbfFileLock", "function: Boolean",
           [&p] { return p.on(false, [](TDataTable& t) { return t.access().flock(); }); });
    b.bind("DbfRecLock", "function: Boolean", [&p] {
        return p.on(false, [](TDataTable& t) {
            try {
                return t.access().rlock();
            } catch (const std::exception&) {
                return false;
            }
        });
    });
    b.bind("DbfLocked", "function: Boolean", [&p] {
        return p.on(false, [](TDataTable& t) { return t.access().locked(t.access().recNo()); });
    });
    b.bind("DbfUnlock", "procedure", [&p] { p.on([](TDataTable& t) { t.access().unlock(0); }); });
    b.bind("DbfName", "function: string", [&p] {
        return p.on(std::string(), [](TDataTable& t) { return t.access().baseName(); });
    });
}

void registerFields(script::Binder& b, Procs& p) {
    b.bind("DbfFieldCount", "function: Word",
           [&p] { return p.on(0, [](TDataTable& t) { return t.access().fieldCount(); }); });
    b.bind("DbfFieldName", "function(Index: Integer): string", [&p](std::int32_t n) {
        return p.on(std::string(), [&](TDataTable& t) { return t.access().fieldName(n); });
    });
    b.bind("DbfFieldType", "function(Field: string): string", [&p](std::string_view f) {
        return p.on(std::string(), [&](TDataTable& t) {
            return t.access().fieldNum(f) == 0 ? std::string() : t.access().fieldType(f);
        });
    });
    b.bind("DbfFieldWidth", "function(Field: string): Word", [&p](std::string_view f) {
        return p.on(0, [&](TDataTable& t) {
            return t.access().fieldNum(f) == 0 ? 0 : t.access().fieldWidth(f);
        });
    });
    b.bind("DbfFieldDec", "function(Field: string): Word", [&p](std::string_view f) {
        return p.on(0, [&](TDataTable& t) {
            return t.access().fieldNum(f) == 0 ? 0 : t.access().fieldDecimals(f);
        });
    });
    b.bind("DbfReadStr", "function(Field: string): string",
           [&p](std::string_view f) { return p.readStr(f); });
    b.bind("DbfReadNum", "function(Field: string): Double", [&p](std::string_view f) {
        return p.on(0.0, [&](TDataTable& t) { return t.readNum(f); });
    });
    b.bind("DbfReadLog", "function(Field: string): Boolean", [&p](std::string_view f) {
        return p.on(false, [&](TDataTable& t) { return t.readLog(f); });
    });
    b.bind("DbfReadDat", "function(Field: string): string", [&p](std::string_view f) {
        return p.on(std::string(data::kEmptyDateText), [&](TDataTable& t) { return t.readDat(f); });
    });
    b.bind("DbfMemoLength", "function(Field: string): Integer", [&p](std::string_view f) {
        return p.on(0, [&](TDataTable& t) { return t.memoLength(f); });
    });
    b.bind("DbfMemoCount", "function(Field: string): Integer",
           [&p](std::string_view f) { return p.memoCount(f); });
    b.bind("DbfReadMem", "function(Field: string; Line: Integer): string",
           [&p](std::string_view f, std::int32_t line) { return p.readMem(f, line); });
    b.bind("DbfReadBin", "function(Field: string): string",
           [&p](std::string_view f) { return p.readBin(f); });
}

void registerWriters(script::Binder& b, Procs& p) {
    b.bind("DbfWriteStr", "procedure(Field, Value: string)",
           [&p](std::string_view f, std::string_view v) {
               p.on([&](TDataTable& t) { t.writeStr(f, v.substr(0, kMaxWrittenText)); });
           });
    b.bind("DbfWriteNum", "procedure(Field: string; Value: Double)",
           [&p](std::string_view f, double v) {
               p.on([&](TDataTable& t) {
                   if (p.isType(t, f, 'N')) t.writeNum(f, v);
               });
           });
    b.bind("DbfWriteDat", "procedure(Field, Date: string)",
           [&p](std::string_view f, std::string_view v) {
               p.on([&](TDataTable& t) { t.writeDat(f, v); });
           });
    b.bind("DbfWriteLog", "procedure(Field: string; Value: Boolean)",
           [&p](std::string_view f, bool v) { p.on([&](TDataTable& t) { t.writeLog(f, v); }); });
    b.bind("DbfWriteMem", "procedure(Field, Text: string)",
           [&p](std::string_view f, std::string_view v) {
               p.on([&](TDataTable& t) { t.writeMem(f, v); });
           });
    b.bind("DbfFileToBin", "procedure(Field, FileName: string)",
           [&p](std::string_view f, std::string_view file) {
               p.on([&](TDataTable& t) { t.fileToBin(file, f); });
           });
    b.bind("DbfWriteBin", "function(Field, Data: string): Integer",
           [&p](std::string_view f, std::string_view data) {
               return p.on(0, [&](TDataTable& t) { return t.writeBin(f, data); });
           });
    b.bind("DbfBinToFile", "function(Field, FileName: string): Boolean",
           [&p](std::string_view f, std::string_view file) { return p.binToFile(f, file); });
}

void registerSearching(script::Binder& b, Procs& p, DbfWorkAreas& areas) {
    b.bind("DbfSeek", "function(Key: string): Boolean", [&p](std::string_view key) {
        return p.on(false, [&](TDataTable& t) {
            t.access().seek(key);
            return t.access().found();
        });
    });
    b.bind("DbfFound", "function: Boolean",
           [&p] { return p.on(false, [](TDataTable& t) { return t.access().found(); }); });
    b.bind("DbfLocate", "function(Condition: string): Integer",
           [&areas](std::string_view c) { return areas.locate(c); });
    b.bind("DbfContinue", "function: Integer", [&areas] { return areas.continueLocate(); });
    b.bind(
        "DbfIndexTag", "function(TagName, KeyExpression: string): Integer",
        [&areas](std::string_view tag, std::string_view key) { return areas.indexTag(tag, key); });
    b.bind("DbfSetOrder", "function(TagName: string): Integer",
           [&areas](std::string_view tag) { return areas.setOrder(tag); });
    b.bind("DbfTagArea", "function(TagName: string): Integer", [&p](std::string_view tag) {
        return p.on(0, [&](TDataTable& t) { return t.access().tagArea(tag); });
    });
    b.bind("DbfTagName", "function(Order: Integer): string", [&p](std::int32_t order) {
        return p.on(std::string(), [&](TDataTable& t) { return t.access().tagName(order); });
    });
    b.bind("DbfSetFilter", "procedure(Expression: string)",
           [&areas](std::string_view e) { areas.setFilter(e); });
    b.bind("DbfEvalTest", "function(Expression: string): Integer", [&p](std::string_view e) {
        return p.on(0, [&](TDataTable& t) { return p.evalType(t, e); });
    });
    b.bind("DbfEvalStr", "function(Expression: string): string", [&p](std::string_view e) {
        return p.on(std::string(), [&](TDataTable& t) {
            return p.evalType(t, e) == 1 ? t.access().evalString(e) : std::string();
        });
    });
    b.bind("DbfEvalNum", "function(Expression: string): Double", [&p](std::string_view e) {
        return p.on(0.0, [&](TDataTable& t) {
            return p.evalType(t, e) == 2 ? t.access().evalNumeric(e) : 0.0;
        });
    });
    b.bind("DbfEvalLog", "function(Expression: string): Boolean", [&p](std::string_view e) {
        return p.on(false, [&](TDataTable& t) {
            return p.evalType(t, e) == 3 && t.access().evalLogical(e);
        });
    });
}

void registerFiles(script::Binder& b, Procs& p, DbfWorkAreas& areas) {
    b.bind("DbfUse", "function(FileName: string): Boolean",
           [&areas](std::string_view file) { return areas.use(file); });
    b.bind("DbfAppendFrom",
           "function(FileName: string; SourceType: Integer; Condition: string): Boolean",
           [&p](std::string_view file, std::int32_t type, std::string_view condition) {
               return p.on(false, [&](TDataTable& t) {
                   const bool ok = t.access().appendFrom(file, type, condition);
                   t.table().resync();
                   return ok;
               });
           });
    b.bind("DbfCopyFile", "function(FileName: string): Boolean", [&p](std::string_view file) {
        return p.on(false, [&](TDataTable& t) { return t.access().copyFile(tableFile(file)); });
    });
    b.bind("DbfCopyStru", "function(FileName: string): Boolean", [&p](std::string_view file) {
        return p.on(false,
                    [&](TDataTable& t) { return t.access().copyStructure(tableFile(file)); });
    });
    b.bind("DbfCopyToInfo", "function(FileName: string): Boolean", [&p](std::string_view file) {
        return p.on(false, [&](TDataTable& t) {
            return t.access().copyStructureExtended(tableFile(file));
        });
    });
    b.bind("DbfCopyToText", "function(FileName: string; FileType: Integer): Boolean",
           [&p](std::string_view file, std::int32_t type) {
               return p.on(false,
                           [&](TDataTable& t) { return t.access().copyFileText(file, type); });
           });
    b.bind("DbfCreateInfo", "function(FileName: string): Boolean",
           [](std::string_view file) { return data::createInfoTable(file); });
    b.bind("DbfCreateFrom", "function(FileName: string): Boolean", [&p](std::string_view file) {
        return p.on(false, [&](TDataTable& t) { return t.createFrom(tableFile(file)); });
    });
}

void registerSettings(script::Binder& b, DbfWorkAreas& areas) {
    b.bind("DbfSelect", "procedure(Area: Integer)", [&areas](std::int32_t n) { areas.select(n); });
    b.bind("DbfSetDeleted", "procedure(Show: Boolean)",
           [&areas](bool show) { areas.setShowDeleted(show); });
    b.bind("DbfSetExact", "procedure(Exact: Boolean)",
           [&areas](bool on) { areas.env().setExact(on); });
    b.bind("DbfSetSoftSeek", "procedure(SoftSeek: Boolean)",
           [&areas](bool on) { areas.env().setSoftSeek(on); });
    b.bind("DbfSetDateFormat", "procedure(Format: Integer)", [&areas](std::int32_t format) {
        if (format >= 0 && format <= 6)
            areas.env().setDateFormat(static_cast<data::TDbfDateFormat>(format));
    });
    b.bind("DbfNetwork", "procedure(On: Boolean)", [&areas](bool on) {
        for (int n = 1; n <= DbfWorkAreas::kAreas; ++n)
            areas.table(n).access().sysProp(1009, Value(on ? 1 : 0));
    });
}

void registerWindow(script::Binder& b, Procs& p, DbfWorkAreas& areas) {
    b.bind("DbfShow", "procedure", [&areas] { areas.view().showWindow(); });
    b.bind("DbfHide", "procedure", [&areas] { areas.view().hideWindow(); });
    b.bind("DbfForm", "procedure(Left, Top, Width, Height: Integer)",
           [&areas](std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
               areas.view().placeWindow(l, t, w, h);
           });
    b.bind("DbfReport", "procedure(FileName: string; FromPage, ToPage: Integer; Preview: Boolean)",
           [&p](std::string_view file, std::int32_t from, std::int32_t to, bool preview) {
               p.report(file, from, to, preview);
           });
    b.bind("DbfReportText", "function(FileName, TextFile: string): Boolean",
           [&p](std::string_view file, std::string_view textFile) {
               return p.reportText(file, textFile);
           });
    b.bind("DbfPrintCopies", "procedure(Copies: Integer)", [&areas](std::int32_t copies) {
        if (copies >= 1 && copies <= 99) areas.report().copies = static_cast<std::int16_t>(copies);
    });
    b.bind("DbfParamClear", "procedure", [&areas] { areas.report().parameters.clear(); });
    b.bind("DbfParamCount", "function: Integer",
           [&areas] { return static_cast<std::int32_t>(areas.report().parameters.size()); });
    b.bind("DbfParamAdd", "procedure(Value: Variant)",
           [&areas](const Value& v) { areas.report().parameters.push_back(v.toString()); });
    b.bind("DbfParamGet", "function(Index: Integer): Variant", [&areas](std::int32_t index) {
        const auto& list = areas.report().parameters;
        if (index < 1 || static_cast<std::size_t>(index) > std::min(list.size(), kMaxParameters))
            return Value(std::string());
        return Value(list[static_cast<std::size_t>(index - 1)]);
    });
    b.bind("DbfParamSet", "procedure(Index: Integer; Value: Variant)",
           [&areas](std::int32_t index, const Value& v) {
               if (index < 1 || static_cast<std::size_t>(index) > kMaxParameters) return;
               auto& list = areas.report().parameters;
               if (list.size() < static_cast<std::size_t>(index))
                   list.resize(static_cast<std::size_t>(index));
               list[static_cast<std::size_t>(index - 1)] = v.toString();
           });
}

} // namespace

void setDbfReportRunner(DbfReportRunner runner) {
    reportRunner() = std::move(runner);
}

void registerDbfFunctions(script::Registry& registry, DbfWorkAreas& areas) {
    // The procedures live as long as the process; so does the one set of work areas.
    static std::unique_ptr<Procs> procs;
    procs = std::make_unique<Procs>(areas);
    Procs& p = *procs;
    script::Binder b(registry);
    registerNavigation(b, p);
    registerFields(b, p);
    registerWriters(b, p);
    registerSearching(b, p, areas);
    registerFiles(b, p, areas);
    registerSettings(b, areas);
    registerWindow(b, p, areas);
}

} // namespace vorlan::windows
