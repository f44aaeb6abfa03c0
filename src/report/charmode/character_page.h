#pragma once
// The character page: what a report run in character mode prints on a text-only printer or
// writes to a text file. A page is a list of rows; each row has 24 layers of text. A layer's
// number says how its characters are printed: layer / 8 is the pitch (0: 10, 1: 12, 2: 17
// characters per inch), bit 0 is bold. Layers of one row overprint each other on paper; a
// character position in a layer is a column of that layer's pitch. Text is Windows-1250.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

enum CharPitch : int { kPitch10 = 0, kPitch12 = 1, kPitch17 = 2 };

// 10, 12 or 17 for a pitch; out-of-range pitches count as 10.
int charactersPerInch(int pitch);
// 6, 4 or 3 for the line spacing choice 0, 1, 2; out of range counts as 6.
int linesPerInch(int lineSpacing);
// The pitch of a text in a font of `points`: below 9 points 17 per inch, below 11 points 12,
// otherwise 10.
int pitchOfFontSize(std::int32_t points);
// The layer of a pitch and boldness.
int layerOf(int pitch, bool bold);

// TZnakovyRadek ("character row"): one row of a character-mode page, in layers.
class TZnakovyRadek {
public:
    static constexpr int kLayers = 24;
    // No layer grows beyond this many columns (a sheet 100 inches wide at 17 per inch).
    static constexpr int kMaxColumns = 1700;

    const std::string& layer(int index) const {
        return layers_.at(static_cast<std::size_t>(index));
    }
    // Pads the layer with blanks up to `column` and writes `text` over what stood there.
    // Characters left of column 0 or beyond kMaxColumns are dropped.
    void put(int layer, int column, std::string_view text);
    bool empty() const;
    void clear();

private:
    std::array<std::string, kLayers> layers_;
};

// TZnakovePole ("character grid"): a character-mode page, rows of character cells.
class TZnakovePole {
public:
    // No page has more rows than this (a sheet of over 27 metres at 6 lines per inch).
    static constexpr int kMaxRows = 6000;

    // `paperHeight` in hundredths of an inch, as oriented.
    TZnakovePole(std::int32_t paperHeight, int lineSpacing);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    int lineSpacing() const { return lineSpacing_; }
    int linesPerInch() const { return report::linesPerInch(lineSpacing_); }
    std::int32_t paperHeight() const { return paperHeight_; }

    // Out-of-range rows are ignored.
    void put(int row, int column, std::string_view text, int pitch, bool bold);
    const TZnakovyRadek& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // Empties every layer of every row.
    void clear();

    // The page as text: every row is its non-empty layers in layer order, each followed by a
    // carriage return, and then one line feed. Every row is written, so each page of a file
    // has the same number of lines.
    void appendText(std::string& out) const;

    // File output: the page is added to a stream in memory, which is written at the end.
    void appendToStream() { appendText(stream_); }
    const std::string& stream() const { return stream_; }
    // Writes the stream to a program path (through the path mapper). Throws
    // std::runtime_error when the file cannot be written.
    void saveStream(const std::string& programPath) const;

private:
    std::vector<TZnakovyRadek> rows_;
    int lineSpacing_;
    std::int32_t paperHeight_;
    std::string stream_;
};

} // namespace vorlan::report
