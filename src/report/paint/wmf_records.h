#pragma once
// The record structure of a Windows metafile (.WMF): the optional placeable header with the
// picture's frame and resolution, the metafile header, and the chain of records, every length
// checked against the data. Nothing here draws; metafile.h plays the records.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

// A metafile that cannot be read; the text says why (Windows-1250, for the user).
class MetafileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when a record is shorter than what it says it holds.
[[noreturn]] void throwShortRecord();

// The functions of the records this reader knows by name.
enum WmfFunction : std::uint16_t {
    kWmfEof = 0x0000,
    kWmfSaveDc = 0x001E,
    kWmfSetBkMode = 0x0102,
    kWmfSetMapMode = 0x0103,
    kWmfSetPolyFillMode = 0x0106,
    kWmfRestoreDc = 0x0127,
    kWmfSelectObject = 0x012D,
    kWmfSetTextAlign = 0x012E,
    kWmfDeleteObject = 0x01F0,
    kWmfSetBkColor = 0x0201,
    kWmfSetTextColor = 0x0209,
    kWmfSetWindowOrg = 0x020B,
    kWmfSetWindowExt = 0x020C,
    kWmfSetViewportOrg = 0x020D,
    kWmfSetViewportExt = 0x020E,
    kWmfLineTo = 0x0213,
    kWmfMoveTo = 0x0214,
    kWmfCreatePenIndirect = 0x02FA,
    kWmfCreateFontIndirect = 0x02FB,
    kWmfCreateBrushIndirect = 0x02FC,
    kWmfPolygon = 0x0324,
    kWmfPolyline = 0x0325,
    kWmfEllipse = 0x0418,
    kWmfRectangle = 0x041B,
    kWmfTextOut = 0x0521,
    kWmfPolyPolygon = 0x0538,
    kWmfRoundRect = 0x061C,
    kWmfExtTextOut = 0x0A32,
    kWmfDibStretchBlt = 0x0B41,
    kWmfStretchDib = 0x0F43,
    // Records that make an object the picture does not use, but which still takes a slot of
    // the object table.
    kWmfCreatePalette = 0x00F7,
    kWmfDibCreatePatternBrush = 0x0142,
    kWmfCreatePatternBrush = 0x01F9,
    kWmfCreateRegion = 0x06FF,
};

// The picture's frame in logical units: from the placeable header when there is one.
struct WmfFrame {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int unitsPerInch = 0; // 0: not placeable
};

// One record: its function and the bytes of its parameters.
struct WmfRecord {
    std::uint16_t function = 0;
    std::string_view params;

    // The n-th 16-bit parameter (signed or not), the 32-bit one at a byte offset. Reading past
    // the parameters is a MetafileError.
    std::int16_t int16(std::size_t index) const;
    std::uint16_t uint16(std::size_t index) const {
        return static_cast<std::uint16_t>(int16(index));
    }
    std::uint32_t uint32At(std::size_t byteOffset) const;
    std::string_view bytesAt(std::size_t byteOffset, std::size_t count) const;
};

struct WmfFile {
    WmfFrame frame;
    std::uint16_t objectCount = 0;  // slots of the object table
    std::vector<WmfRecord> records; // up to the end record, which is not included
};

// True when the data begin like a metafile (placeable or not); nothing else is checked.
bool looksLikeWmf(std::string_view data);

// Reads the headers and walks the record chain. The records point into `data`, which must
// outlive the result. Throws MetafileError.
WmfFile readWmf(std::string_view data);

} // namespace vorlan::report
