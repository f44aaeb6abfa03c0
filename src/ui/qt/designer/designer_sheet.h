#pragma once
// TPapir: the sheet of the designer. The paper at the zoom with its margins, one band (TOddil)
// per section with its title, the elements (TSesPrvek) drawn by the report painter the run
// uses, the raster, and the selection with its handles. The mouse selects, moves and resizes
// elements (with the raster when snapping is on), draws a rubber band around several, and drags
// a band's lower edge to change its height. Only what changed is repainted.

#include "report/model.h"
#include "report/output/output_model.h"

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vorlan::qt {

class DesignerDocument;

class DesignerSheet : public QWidget {
public:
    DesignerSheet(DesignerDocument& document, QWidget* parent = nullptr);

    void setZoomPercent(int percent);
    int zoomPercent() const { return zoomPercent_; }
    // Screen pixels per hundredth of an inch.
    double pixelsPerUnit() const;

    // Recomputes the bands and the sheet's size after the definition changed.
    void relayout();

    struct Band {
        report::TOddilSestavy* section = nullptr;
        QRect title;
        QRect body;
        int originY = 0; // where the band's top (0) lies: elements may stand above it
    };
    const std::vector<Band>& bands() const { return bands_; }
    const Band* band(std::int32_t sectionIndex) const;
    // The element's rectangle on the sheet, empty when it is not on it.
    QRect elementRect(const report::TPrvekSestavy* element) const;
    // Where the elements' origin of a band lies (the printable area's left edge).
    int printableLeft() const { return printableLeft_; }

    // The band new elements go into, and where in it (hundredths): the last place clicked.
    std::int32_t currentSection() const { return currentSection_; }
    void setCurrentSection(std::int32_t section) { currentSection_ = section; }
    std::int32_t insertLeft() const { return insertLeft_; }
    std::int32_t insertTop() const { return insertTop_; }

    // Paint statistics for the benchmarks: paints so far and elements drawn by the last one.
    int paintCount() const { return paintCount_; }
    int elementsDrawnLastPaint() const { return elementsDrawn_; }

    std::function<void()> selectionChanged;
    std::function<void()> elementActivated; // double click on an element

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Pending, Move, Resize, Rubber, BandHeight };
    // Edges a resize handle moves.
    enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };
    struct Original {
        report::TPrvekSestavy* element;
        std::int32_t left, top, width, height;
    };

    const Band* bandAt(QPoint point) const;
    report::TPrvekSestavy* elementAt(QPoint point) const;
    int handleAt(QPoint point) const;
    std::vector<QRect> handleRects(const QRect& rect) const;
    QRect dirtyRect(const report::TPrvekSestavy* element) const;
    void drawBand(class QPainter& painter, const Band& band, const QRect& exposed);
    void drawRaster(QPainter& painter, const Band& band, const QRect& exposed) const;
    const report::OutputPicture& picture(const std::string& path);
    void beginDrag(QPoint at);
    void dragTo(QPoint at);
    void finishDrag(QPoint at);
    // Dragged elements whose top left a band's body go to the band under it.
    void moveToBandsUnder();
    void selectionHasChanged();

    DesignerDocument& document_;
    int zoomPercent_ = 100;
    std::vector<Band> bands_;
    int printableLeft_ = 0;
    std::int32_t currentSection_ = report::kSectionBody;
    std::int32_t insertLeft_ = 0;
    std::int32_t insertTop_ = 0;

    Drag drag_ = Drag::None;
    Drag pendingKind_ = Drag::None;
    QPoint pressAt_;
    int edges_ = 0;
    std::vector<Original> originals_;
    report::TOddilSestavy* draggedBand_ = nullptr;
    std::int32_t draggedBandHeight_ = 0;
    QRect rubber_;

    std::map<std::string, report::OutputPicture> pictures_;
    int paintCount_ = 0;
    int elementsDrawn_ = 0;
};

} // namespace vorlan::qt
