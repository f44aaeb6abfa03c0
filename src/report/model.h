#pragma once
// The definition of a report: its settings, sections, groups, elements, user functions and
// detail reports, as read from and written to a template (.PTS). Positions and sizes are in
// hundredths of an inch.

#include "report/expression.h"
#include "report/functions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::report {

// A template that cannot be read: a colour index outside 0–15, a character set outside 0–255.
class TemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The sixteen report colours as $BBGGRR values.
extern const std::uint32_t kReportColours[16];
// Throws TemplateError for an index outside 0–15.
std::uint32_t colourOfIndex(std::int32_t index);
// The index of the last table entry equal to `colour`, 0 when it is not in the table.
std::int32_t indexOfColour(std::uint32_t colour);

// Element kinds.
enum ElementKind : std::int32_t {
    kKindUnknown = 0,
    kKindText = 1,
    kKindField = 2,
    kKindFieldTitle = 3,
    kKindParameter = 4,
    kKindVariable = 5,
    kKindFunction = 6,
    kKindLine = 7,
    kKindRectangle = 8,
    kKindRoundRectangle = 9,
    kKindEllipse = 10,
    kKindPicture = 11,
    kKindPlace = 15, // where a detail report is run
};
inline bool isTextKind(std::int32_t kind) {
    return kind >= kKindText && kind <= kKindFunction;
}
inline bool isGraphicKind(std::int32_t kind) {
    return kind >= kKindLine && kind <= kKindPicture;
}
std::string elementKindName(std::int32_t kind);

// Variables (kind 5) by number.
enum Variable : std::int32_t {
    kVarPrintDate = 0,
    kVarPrintTime = 1,
    kVarRecordNumber = 2,
    kVarPageNumber = 3,
    kVarPageCount = 4,
    kVarRowInGroup = 5,
    kVarGroupNumber = 6,
};
std::string variableName(std::int32_t number);

// Text flags of a text element.
constexpr std::int32_t kTextRtf = 0x08;
constexpr std::int32_t kTextWordWrap = 0x10;
constexpr std::int32_t kTextJustify = 0x20;
constexpr std::int32_t kTextVariableHeight = 0x40;

// Line flags of a graphic element (the frame of a text element uses the first four).
constexpr std::int32_t kLineLeft = 0x01;
constexpr std::int32_t kLineTop = 0x02;
constexpr std::int32_t kLineRight = 0x04;
constexpr std::int32_t kLineBottom = 0x08;
constexpr std::int32_t kLineDiagonalUp = 0x10;   // a picture: stretch to the element
constexpr std::int32_t kLineDiagonalDown = 0x20; // a picture: keep the aspect ratio
constexpr std::int32_t kLineEllipse = 0x40;

// Font style bits.
constexpr std::int32_t kFontBold = 1;
constexpr std::int32_t kFontItalic = 2;
constexpr std::int32_t kFontUnderline = 4;
constexpr std::int32_t kFontStrikeOut = 8;

// Horizontal alignment of a text element.
enum Alignment : std::uint8_t { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2 };

struct ReportFont {
    std::string name = "Arial CE";
    std::int32_t size = 10; // points
    std::uint32_t colour = 0;
    std::int32_t style = 0;
    std::int32_t charset = 1;
    bool operator==(const ReportFont&) const = default;
};

class TSestavaTyp;

// TPrvekSestavy ("report element"): one element of a section.
class TPrvekSestavy {
public:
    static constexpr std::size_t kMaxText = 255;
    static constexpr std::size_t kMaxName = 32;

    explicit TPrvekSestavy(TSestavaTyp* owner) : owner_(owner) {}
    TSestavaTyp* owner() const { return owner_; }

    std::int32_t kind = kKindUnknown;
    std::int32_t parameter = 0;
    std::string name; // the field or function referred to by name; empty when by number
    std::string text; // fixed text, output format or picture names, by kind
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    ReportFont font;
    std::uint8_t alignment = kAlignLeft;
    std::int32_t textFlags = 0;
    std::int32_t lineFlags = 0; // also the frame of a text element
    std::uint32_t lineColour = 0;
    std::int32_t lineStyle = 0; // 0 solid
    std::int32_t lineWidth = 1;
    std::uint32_t fillColour = 0xFFFFFF;
    std::int32_t fillStyle = 0; // 0 solid
    std::int32_t charSpacing = 0;
    std::string picturePath; // the picture that loaded, kind 11

    // Run state.
    ReportValue value;
    std::int32_t work = 0;

private:
    TSestavaTyp* owner_;
};

// Section indexes: 0 Z report start, 1 H page head, 2 T body, 3 K report end, 4 P page foot,
// 5 + 2g start of group g, 6 + 2g end of group g.
constexpr std::int32_t kSectionStart = 0;
constexpr std::int32_t kSectionHead = 1;
constexpr std::int32_t kSectionBody = 2;
constexpr std::int32_t kSectionEnd = 3;
constexpr std::int32_t kSectionFoot = 4;
constexpr std::int32_t groupStartSection(std::int32_t g) {
    return 5 + 2 * g;
}
constexpr std::int32_t groupEndSection(std::int32_t g) {
    return 6 + 2 * g;
}

// "Z", "H", "T", "K", "P", "S<g>", "U<g>".
std::string sectionLetter(std::int32_t index);
// The Czech name the user sees (Windows-1250).
std::string sectionName(std::int32_t index);

// TOddilSestavy ("report section"): one band of the report, with its elements.
class TOddilSestavy {
public:
    explicit TOddilSestavy(std::int32_t sectionIndex) : index(sectionIndex) {}

    std::int32_t index;
    std::int32_t height = 0;
    std::int32_t height2 = 50;
    bool visible = false;
    std::int32_t columns = 1;
    std::int32_t columnGap = 0;
    std::int32_t extra = 0;
    std::vector<std::unique_ptr<TPrvekSestavy>> elements;

    TPrvekSestavy& addElement(TSestavaTyp* owner);
};

// TListOddilu ("list of sections").
using TListOddilu = std::vector<std::unique_ptr<TOddilSestavy>>;

// TPolSkup ("group entry"): a group; a new group starts when the text of its field changes.
struct TPolSkup {
    std::int32_t number = 0;
    std::int32_t field = 0;
    bool newPage = false; // "Novou skupinu na novou stránku"
    TOddilSestavy* start = nullptr;
    TOddilSestavy* end = nullptr;
    // Run state: the field's text in the previous record, and whether the group changed.
    std::string previousText;
    bool changed = false;
};

// TListSkupin ("list of groups").
class TListSkupin {
public:
    struct Entry {
        std::string name; // "Skupina <g + 1>"
        std::unique_ptr<TPolSkup> group;
    };
    TPolSkup& add(std::unique_ptr<TPolSkup> group);
    int count() const { return static_cast<int>(entries_.size()); }
    TPolSkup* item(int index);
    const TPolSkup* item(int index) const;
    const std::string& name(int index) const {
        return entries_.at(static_cast<std::size_t>(index)).name;
    }
    TPolSkup* byNumber(std::int32_t number);
    void clear() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};

// The paper and label settings shared by every report of the program.
struct PaperSettings {
    std::int32_t orientation = 0; // 0 portrait, 1 landscape
    std::int32_t width = 826;
    std::int32_t height = 1169;
    std::int32_t leftMargin = 50;
    std::int32_t rightMargin = 50;
    std::int32_t topMargin = 70;
    std::int32_t bottomMargin = 70;
    bool operator==(const PaperSettings&) const = default;
};
PaperSettings& paperSettings();

class TSestDetail;

// What a report reads its records from; the data layer implements it. Field indexes are 0-based.
class ReportData {
public:
    virtual ~ReportData() = default;
    virtual int fieldCount() const = 0;
    // -1 when absent.
    virtual int fieldIndex(std::string_view name) const = 0;
    // Number and text of the field in the current record; kind String for a string field,
    // Number for a numeric one, Untyped otherwise. Leaves `out` cleared out of range.
    virtual void fieldValue(int index, ReportValue& out) const = 0;
};

// TSestavaTyp ("report type"): the report definition shared by reports and detail reports. It is
// also the host of its expressions: parameters, user functions and (through the data side) table
// fields.
class TSestavaTyp : public ExpressionHost {
public:
    TSestavaTyp();
    ~TSestavaTyp() override;
    TSestavaTyp(const TSestavaTyp&) = delete;
    TSestavaTyp& operator=(const TSestavaTyp&) = delete;

    // The template text. Assigning it discards the definition and reads the new one; a
    // TemplateError leaves what was read up to the bad record.
    const std::vector<std::string>& predloha() const { return predloha_; }
    void setPredloha(std::vector<std::string> lines);
    // The definition as template lines, in the designer's record order.
    std::vector<std::string> templateLines() const;
    // Makes the template text what the definition says (before saving). A definition that
    // still says what the text it was read from said keeps that text as it was written: its
    // record order, missing fields and unknown records stay.
    void updatePredloha();

    // One element record ("T,2,1,…") as the designer writes it, and read into `section` (the
    // clipboard of the designer). Reading throws TemplateError as reading a template does.
    static std::string elementRecord(const TPrvekSestavy& element, std::int32_t sectionIndex);
    TPrvekSestavy& readElementRecord(std::string_view record, TOddilSestavy& section);

    // Settings.
    std::vector<std::string> parametry;
    std::string popis;
    std::uint16_t printCopies = 1;
    std::uint16_t startPage = 1;
    std::uint16_t endPage = 9999;
    std::int32_t maxRecords = 0;
    bool tiskJedenZaznam = false;

    std::int32_t versionMajor = 4, versionMiddle = 0, versionMinor = 0;

    // Character raster.
    std::int32_t charMode = 0;
    std::int32_t rasterX = 8, rasterY = 8;
    std::int32_t lineSpacing = 0; // 0: 6 lines per inch, 1: 4, 2: 3
    std::int32_t pitch = 1;       // 0: 10 characters per inch, 1: 12, 2: 17
    float cellWidth = 0, cellHeight = 0;

    std::int32_t setting5 = 0; // kept and written back; steers nothing

    // Label layout.
    std::int32_t columns = 1;
    std::int32_t columnGap = 0;
    std::int32_t layoutSpare = 0;

    // Page breaks.
    bool newBodyOnNewPage = false;    // "Nové tělo na novou stránku"
    bool pageBreakAfterStart = false; // "Odstránkovat po začátku sestavy"
    bool pageBreakBeforeEnd = false;  // "Odstránkovat před koncem sestavy"
    bool noHeadOnFirstPage = false;   // "Na první stránce netisknout hlavu"

    TListOddilu& sections() { return sections_; }
    const TListOddilu& sections() const { return sections_; }
    // The section with that index, nullptr when there is none.
    TOddilSestavy* section(std::int32_t index);
    const TOddilSestavy* section(std::int32_t index) const;
    TListFunkci& functions() { return functions_; }
    const TListFunkci& functions() const { return functions_; }
    TListSkupin& groups() { return groups_; }
    const TListSkupin& groups() const { return groups_; }
    // Creates group `number` with its two sections at the end of the lists.
    TPolSkup& addGroup(std::int32_t number);

    // Detail reports, owned by their master; a detail's number is its position.
    TSestDetail& addDetail();
    int detailCount() const { return static_cast<int>(details_.size()); }
    TSestDetail* detail(int index);

    // Empties the definition: five fixed sections without elements, no groups, no functions,
    // settings of a new template (the description and parameters stay).
    void clearDefinition();

    virtual bool isDetail() const { return false; }
    // The template's file; the folder of a picture that is not found where its name says.
    virtual std::string templateFileName() { return {}; }

    // Data side: no data unless a data source answers.
    virtual int fieldCount() const { return 0; }
    int fieldIndexOf(std::string_view name) override { return -1; }
    void fieldValue(int index, ReportValue& out) override { out.clear(); }

    // Loads a picture by name; the default looks for the file.
    virtual bool loadPicture(const std::string& name);

    // Expression host.
    int functionIndexOf(std::string_view name) override { return functions_.indexOf(name); }
    void parameterValue(int index, ReportValue& out) override;
    void functionValue(int index, ReportValue& out) override;

    Evaluator evaluator() { return Evaluator(this); }
    void stepFunctions() { functions_.stepAll(evaluator()); }

protected:
    // Called after a template was read in full.
    virtual void predlohaAssigned() {}

private:
    void readElement(std::string_view rest, TOddilSestavy& section);
    void resolvePicture(TPrvekSestavy& element, std::string& templateDir, bool& templateDirKnown);

    std::vector<std::string> predloha_;
    // What the definition said right after predloha_ was read, in the written form.
    std::vector<std::string> linesAsRead_;
    TListOddilu sections_;
    TListFunkci functions_;
    TListSkupin groups_;
    std::vector<std::unique_ptr<TSestDetail>> details_;
};

// TSestavaD ("report with data"): adds the data side, the records of a data source.
class TSestavaD : public TSestavaTyp {
public:
    void setDataSource(ReportData* data) { data_ = data; }
    ReportData* dataSource() const { return data_; }

    int fieldCount() const override { return data_ ? data_->fieldCount() : 0; }
    int fieldIndexOf(std::string_view name) override {
        return data_ ? data_->fieldIndex(name) : -1;
    }
    void fieldValue(int index, ReportValue& out) override;

private:
    ReportData* data_ = nullptr;
};

// TSestDetail ("detail report"): a report run inside its master report.
class TSestDetail : public TSestavaD {
public:
    explicit TSestDetail(TSestavaTyp* master) : master_(master) {}
    TSestavaTyp* masterSestava() const { return master_; }
    bool isDetail() const override { return true; }
    std::string templateFileName() override {
        return master_ ? master_->templateFileName() : std::string();
    }

private:
    TSestavaTyp* master_;
};

// TSestError ("report error"): error codes of report operations.
enum TSestError : int { kSestOk = 0, kSestNoPrinter = 2, kSestCancelled = 3, kSestNotPossible = 6 };

// TSestava ("report"): the main report: where its template file lives, loading and saving it.
class TSestava : public TSestavaD {
public:
    TSestava();

    // The name always carries ".pts".
    const std::string& reportName() const { return reportName_; }
    void setReportName(const std::string& name);
    // The folder always ends with a backslash when not empty; setting it clears the alias and
    // the other way round.
    const std::string& reportDir() const { return reportDir_; }
    void setReportDir(const std::string& dir);
    const std::string& reportAlias() const { return reportAlias_; }
    void setReportAlias(const std::string& alias);
    bool reportDirIgnore = true;
    // The running program's folder (Windows form, with or without a final backslash); the
    // template lives there while ReportDirIgnore is set.
    std::string programDir;
    // True while the designer works on the report: the template folder is then always
    // ReportDir, and the load and save events are not called.
    bool designing = false;

    // The path of a database alias: Found with its path, Unknown, or NoAliasSource when the
    // data source cannot name aliases (the default: no data source here can).
    enum class AliasLookup { NoAliasSource, Unknown, Found };
    virtual AliasLookup aliasPath(const std::string& alias, std::string& path);

    // The template file as a program path; may tell the user that an alias cannot be used.
    std::string fullFileName();
    std::string templateFileName() override { return fullFileName(); }

    // Reads the template file. A missing file is an error, or, with `createMissing`, a question
    // whether to create it empty. False on failure (OnError is told 6).
    bool loadTemplate(bool createMissing = false);
    // Writes the definition to the template file; the previous file becomes "<name>.BAK".
    bool saveTemplate();
    // Asks for a file name and saves there.
    bool saveTemplateAs();

    // Events; an empty function is an unassigned event.
    std::function<bool(TSestava&)> onNactiPredlohu;
    std::function<bool(TSestava&)> onUlozPredlohu;
    std::function<bool(TSestava&, std::string&)> onUlozPredlohuJako;
    std::function<void(TSestava&)> onSetPredloha;
    std::function<bool(TSestava&, const std::string&)> onNactiObraz;
    std::function<bool(TSestava&, int)> onError;

    bool loadPicture(const std::string& name) override;

protected:
    void predlohaAssigned() override {
        if (onSetPredloha) onSetPredloha(*this);
    }

private:
    void reportError(int code);
    bool writeFile(const std::string& programPath);

    // The file as it was read, written back unchanged while the template text is still the
    // text read from it (line ends and a missing last line end included).
    std::string bytesAsRead_;
    std::vector<std::string> textAsRead_;

    std::string reportName_;
    std::string reportDir_;
    std::string reportAlias_;
};

} // namespace vorlan::report
