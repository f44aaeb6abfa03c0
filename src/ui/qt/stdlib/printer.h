#pragma once
// The Printer object: the printers of the system, one print job at a time drawn on its canvas.
// Jobs start through the front end's print devices, so with --print-to (and in headless runs)
// they become PDF files like every other print job; a headless job without a destination is
// drawn nowhere. Coordinates are the device's pixels with the printable area's corner at 0, 0.

#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/stdlib/canvas.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::forms {
class StringList;
}

namespace vorlan::stdlib {

class PrinterObject : public script::NativeObject, private CanvasTarget {
public:
    PrinterObject();
    ~PrinterObject() override;

    // The installed printers; with none but PDF files as the destination, one PDF printer.
    forms::StringList& printers() { return *printers_; }
    std::vector<std::string> printerNames() const;
    // -1 when there is no printer; setting -1 chooses the default printer.
    std::int32_t printerIndex() const;
    void setPrinterIndex(std::int32_t index);

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    // poPortrait or poLandscape (a name or 0 / 1 when set); not while a job is printing.
    std::string orientation() const;
    void setOrientation(const script::Value& orientation);
    std::int32_t copies() const { return copies_; }
    void setCopies(std::int32_t copies);

    // The printable area in device pixels: the job's device, or before a job the device it will
    // have.
    std::int32_t pageWidth() const;
    std::int32_t pageHeight() const;
    std::int32_t pageNumber() const { return printing_ ? pageNumber_ : 0; }
    bool printing() const { return printing_; }
    bool aborted() const { return aborted_; }

    void beginDoc();
    void endDoc();
    void newPage();
    void abort();
    // Ends a job the program left open, as EndDoc would (at the end of the process).
    void finishOpenJob();

    CanvasObject& canvas() { return *canvas_; }

private:
    QPainter* beginPaint() override;
    void endPaint() override {}
    int dpi() const override;
    bool toFiles() const;
    QPageLayout plannedLayout(int& resolution) const;
    void checkPrinting(bool expected) const;

    std::unique_ptr<forms::StringList> printers_;
    std::unique_ptr<CanvasObject> canvas_;
    std::unique_ptr<QPagedPaintDevice> device_;
    QPainter painter_;
    std::string title_;
    std::int32_t index_ = -1; // -1: the default printer
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    std::int32_t copies_ = 1;
    std::int32_t pageNumber_ = 0;
    // The device a job would get, asked of the printer once per choice of printer and
    // orientation.
    struct Planned {
        std::string printer;
        QPageLayout::Orientation orientation;
        QPageLayout layout;
        int resolution;
    };
    mutable std::unique_ptr<Planned> planned_;
    bool printing_ = false;
    bool aborted_ = false;
};

PrinterObject& printer();

} // namespace vorlan::stdlib
