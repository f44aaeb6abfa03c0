#pragma once
// What a report run produces: pages of output elements, ready to be drawn by a painter (screen,
// printer, PDF) or written in character mode. A run never draws; it places elements. Positions
// and sizes are in hundredths of an inch, relative to the printable area of the page.
//
// Texts are Windows-1250. Nothing here knows about a graphics toolkit: pictures are kept as the
// bytes of their file with a kind, rich text as its RTF source.

#include "report/model.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::report {

// The printable area of the shared paper, as oriented (landscape swaps width and height).
std::int32_t orientedPaperWidth(const PaperSettings& paper);
std::int32_t orientedPaperHeight(const PaperSettings& paper);
std::int32_t printableWidth(const PaperSettings& paper);
std::int32_t printableHeight(const PaperSettings& paper);

enum class PictureKind : std::uint8_t { None, Bitmap, Metafile, Jpeg, Png, Other };

// Guesses the kind from the first bytes of a picture file.
PictureKind pictureKindOf(const std::string& bytes);

// A picture as the bytes of its file. Shared: the same picture often stands on every page.
struct OutputPicture {
    PictureKind kind = PictureKind::None;
    std::shared_ptr<const std::string> bytes;
    bool empty() const { return !bytes || bytes->empty(); }
};

// TVystPrvek ("output element"): one placed element of an output page.
class TVystPrvek {
public:
    TVystPrvek(const TPrvekSestavy* source, std::int32_t x, std::int32_t y, std::int32_t w,
               std::int32_t h)
        : left(x), top(y), width(w), height(h), source_(source) {}

    // The definition whose kind, flags, font, colours and frame decide how it is drawn. Not
    // owned: it lives in the report, which outlives its output.
    const TPrvekSestavy* source() const { return source_; }

    const std::string& text() const { return text_; }
    bool hasText() const { return textSet_; }
    void setText(std::string text) {
        text_ = std::move(text);
        textSet_ = true;
    }

    OutputPicture picture;
    // The RTF source of a memo flagged as rich text; the character-mode and graphic writers
    // parse it. Empty otherwise.
    std::string rtf;

    std::int32_t left, top, width, height;

    // A laid-out memo: its lines (wrapped to the element's width) and the height of one line.
    // Only lines[firstLine, firstLine + lineCount) belong to this element: a memo that runs
    // over the page's bottom continues in another element on the next page. Empty for every
    // other element, which is drawn from its text within its rectangle.
    std::vector<std::string> lines;
    std::int32_t lineHeight = 0;
    std::int32_t firstLine = 0;
    std::int32_t lineCount = 0;

    // The text is the total page count, filled in when the run ends.
    bool pageCount = false;

private:
    const TPrvekSestavy* source_;
    std::string text_;
    bool textSet_ = false;
};

// TStranaPrvku ("page of elements"): one output page: its elements in the order they were placed.
class TStranaPrvku {
public:
    TVystPrvek& add(std::unique_ptr<TVystPrvek> element);
    int count() const { return static_cast<int>(elements_.size()); }
    // nullptr out of range.
    TVystPrvek* item(int index);
    const TVystPrvek* item(int index) const;
    const std::vector<std::unique_ptr<TVystPrvek>>& elements() const { return elements_; }

private:
    std::vector<std::unique_ptr<TVystPrvek>> elements_;
};

// TSestVystup ("report output"): the output of a run: its pages, what to print of them, and the
// layout position the run moves while it places sections.
class TSestVystup {
public:
    static constexpr std::int32_t kLastPageDefault = 9999;

    // Pages.
    TStranaPrvku& addPage();
    int pageCount() const { return static_cast<int>(pages_.size()); }
    // nullptr out of range; `index` from 0.
    TStranaPrvku* page(int index);
    const TStranaPrvku* page(int index) const;
    void clear();

    // Adds an element to the current page.
    TVystPrvek& addElement(const TPrvekSestavy* source, std::int32_t left, std::int32_t top,
                           std::int32_t width, std::int32_t height);
    // The page the layout stands on: page `pagesStarted` (from 0), made with the pages before
    // it when it does not exist yet.
    TStranaPrvku& currentPage();

    // Print range and copies: `last` is limited to the page count and pages beyond it are
    // dropped; `first` is at least 1.
    void setPrintRange(std::int32_t first, std::int32_t last, std::int32_t copies);

    // Resets the layout to the top of an empty output (a new run).
    void reset(std::int32_t pageHeight);

    std::int32_t currentPageIndex = 0; // page shown or drawn, from 0
    std::int32_t firstPage = 1;
    std::int32_t lastPage = kLastPageDefault;
    std::int32_t copies = 1;
    std::int32_t spare = -1;
    bool cancelled = false; // set by the user; drawing and printing stop
    bool drawing = false;   // a page is being drawn
    bool characterMode = false;

    // Layout state of the run.
    std::int32_t position = 0;     // current vertical position on the page
    std::int32_t bandHeight = 0;   // height used by the band being placed
    std::int32_t columnOffset = 0; // horizontal offset of the current label column
    std::int32_t column = 1;       // current label column, from 1
    std::int32_t pageHeight = 0;   // printable height
    std::int32_t pagesStarted = 0; // page number from 0: page breaks so far

    // Size of the page drawing surface (device units of the painter that drew last).
    std::int32_t surfaceWidth = 0;
    std::int32_t surfaceHeight = 0;

private:
    std::vector<std::unique_ptr<TStranaPrvku>> pages_;
};

} // namespace vorlan::report
