#pragma once
// The record structure of an enhanced metafile (.EMF): the header record with the picture's
// bounds and frame, and the chain of records, every length checked against the data. Nothing
// here draws; metafile.h plays the records.

#include "report/paint/wmf_records.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vorlan::report {

// The record types this reader knows by name.
enum EmfType : std::uint32_t {
    kEmfHeader = 1,
    kEmfPolyBezier = 2,
    kEmfPolygon = 3,
    kEmfPolyline = 4,
    kEmfPolyBezierTo = 5,
    kEmfPolyLineTo = 6,
    kEmfPolyPolyline = 7,
    kEmfPolyPolygon = 8,
    kEmfSetWindowExtEx = 9,
    kEmfSetWindowOrgEx = 10,
    kEmfSetViewportExtEx = 11,
    kEmfSetViewportOrgEx = 12,
    kEmfEof = 14,
    kEmfSetMapMode = 17,
    kEmfSetTextAlign = 22,
    kEmfSetTextColor = 24,
    kEmfMoveToEx = 27,
    kEmfSaveDc = 33,
    kEmfRestoreDc = 34,
    kEmfSelectObject = 37,
    kEmfCreatePen = 38,
    kEmfCreateBrushIndirect = 39,
    kEmfDeleteObject = 40,
    kEmfEllipse = 42,
    kEmfRectangle = 43,
    kEmfRoundRect = 44,
    kEmfLineTo = 54,
    kEmfStretchDiBits = 81,
    kEmfExtCreateFontIndirectW = 82,
    kEmfExtTextOutA = 83,
    kEmfExtTextOutW = 84,
    kEmfPolyBezier16 = 85,
    kEmfPolygon16 = 86,
    kEmfPolyline16 = 87,
    kEmfPolyBezierTo16 = 88,
    kEmfPolyLineTo16 = 89,
    kEmfPolyPolyline16 = 90,
    kEmfPolyPolygon16 = 91,
    kEmfExtCreatePen = 95,
};

// One record: its type and all of its bytes (offsets inside records count from its start).
struct EmfRecord {
    std::uint32_t type = 0;
    std::string_view bytes;

    // Reading past the record is a MetafileError.
    std::int32_t int32At(std::size_t offset) const;
    std::uint32_t uint32At(std::size_t offset) const {
        return static_cast<std::uint32_t>(int32At(offset));
    }
    std::int16_t int16At(std::size_t offset) const;
    std::string_view bytesAt(std::size_t offset, std::size_t count) const;
};

struct EmfFile {
    // The picture's bounds in reference-device pixels (inclusive) and its frame in hundredths
    // of a millimetre, as the header gives them.
    int left = 0, top = 0, right = 0, bottom = 0;
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    // The reference device in pixels and in millimetres.
    int deviceWidth = 0, deviceHeight = 0, millimetresWidth = 0, millimetresHeight = 0;
    std::uint16_t handles = 0;
    std::vector<EmfRecord> records; // after the header, up to the end record
};

// True when the data begin with an enhanced metafile header.
bool looksLikeEmf(std::string_view data);

// Reads the header and walks the record chain. The records point into `data`, which must
// outlive the result. Throws MetafileError.
EmfFile readEmf(std::string_view data);

} // namespace vorlan::report
