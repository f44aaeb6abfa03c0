#include "ui/qt/stdlib/printer.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/dispatch.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <stdexcept>

namespace vorlan::stdlib {

namespace {

// PDF jobs: A4 with the front end's 15 mm margins, drawn at a laser printer's resolution.
constexpr int kPdfResolution = 600;
constexpr qreal kPdfMarginMm = 15;

qt::QtUi* frontEnd() {
    return dynamic_cast<qt::QtUi*>(&ui());
}

std::vector<std::string> installedPrinters() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(qt::toEngine(name));
    return names;
}

} // namespace

PrinterObject::PrinterObject()
    : script::NativeObject("TPrinter"),
      printers_(std::make_unique<forms::StringList>(forms::StringList::Access{
          [this] { return printerNames(); },
          [](const std::vector<std::string>&) {
              throw script::ScriptException(czech("Seznam tiskáren nelze měnit"));
          }})),
      canvas_(std::make_unique<CanvasObject>(static_cast<CanvasTarget&>(*this))) {}

PrinterObject::~PrinterObject() {
    if (painter_.isActive()) painter_.end();
}

bool PrinterObject::toFiles() const {
    const qt::QtUi* front = frontEnd();
    return !front || front->printsToFiles() || front->headless();
}

std::vector<std::string> PrinterObject::printerNames() const {
    std::vector<std::string> names = installedPrinters();
    if (names.empty() && toFiles()) names.push_back(czech("Tisk do souboru PDF"));
    return names;
}

std::int32_t PrinterObject::printerIndex() const {
    const std::vector<std::string> names = printerNames();
    if (names.empty()) return -1;
    if (index_ >= 0 && static_cast<std::size_t>(index_) < names.size()) return index_;
    const std::string standard = qt::toEngine(QPrinterInfo::defaultPrinterName());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == standard) return static_cast<std::int32_t>(i);
    return 0;
}

void PrinterObject::setPrinterIndex(std::int32_t index) {
    checkPrinting(false);
    if (index < -1 || index >= static_cast<std::int32_t>(printerNames().size()))
        throw script::ScriptException(czech("Index tiskárny je mimo rozsah"));
    index_ = index;
}

std::string PrinterObject::orientation() const {
    return orientation_ == QPageLayout::Landscape ? "poLandscape" : "poPortrait";
}

void PrinterObject::setOrientation(const script::Value& orientation) {
    checkPrinting(false);
    bool landscape = false;
    if (orientation.isString()) {
        landscape = equalsNoCase(orientation.asString(), "poLandscape");
        if (!landscape && !equalsNoCase(orientation.asString(), "poPortrait"))
            throw script::ScriptException(czech("Neplatná orientace stránky: ") +
                                          orientation.asString());
    } else {
        landscape = orientation.toInt() == 1;
    }
    orientation_ = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void PrinterObject::setCopies(std::int32_t copies) {
    copies_ = std::max(copies, 1);
}

QPageLayout PrinterObject::plannedLayout(int& resolution) const {
    const std::vector<std::string> installed = installedPrinters();
    std::string chosen;
    if (!toFiles() && !installed.empty()) {
        const std::int32_t index = printerIndex();
        chosen = installed[static_cast<std::size_t>(index < 0 ? 0 : index)];
    }
    if (!planned_ || planned_->printer != chosen || planned_->orientation != orientation_) {
        auto planned = std::make_unique<Planned>();
        planned->printer = chosen;
        planned->orientation = orientation_;
        if (chosen.empty()) {
            planned->layout =
                QPageLayout(QPageSize(QPageSize::A4), orientation_,
                            QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                            QPageLayout::Millimeter);
            planned->resolution = kPdfResolution;
        } else {
            QPrinter probe(QPrinterInfo::printerInfo(qt::fromEngine(chosen)),
                           QPrinter::HighResolution);
            probe.setPageOrientation(orientation_);
            planned->layout = probe.pageLayout();
            planned->resolution = probe.resolution();
        }
        planned_ = std::move(planned);
    }
    resolution = planned_->resolution;
    return planned_->layout;
}

std::int32_t PrinterObject::pageWidth() const {
    if (device_) return device_->width();
    int resolution = 0;
    const QPageLayout layout = plannedLayout(resolution);
    return layout.paintRectPixels(resolution).width();
}

std::int32_t PrinterObject::pageHeight() const {
    if (device_) return device_->height();
    int resolution = 0;
    const QPageLayout layout = plannedLayout(resolution);
    return layout.paintRectPixels(resolution).height();
}

int PrinterObject::dpi() const {
    if (device_) return device_->logicalDpiY();
    int resolution = 0;
    plannedLayout(resolution);
    return resolution;
}

void PrinterObject::checkPrinting(bool expected) const {
    if (printing_ == expected) return;
    throw script::ScriptException(expected ? czech("Tisk neprobíhá") : czech("Tisk právě probíhá"));
}

void PrinterObject::beginDoc() {
    checkPrinting(false);
    qt::QtUi* front = frontEnd();
    if (!front) throw script::ScriptException(czech("Není k dispozici žádná tiskárna"));
    std::unique_ptr<QPagedPaintDevice> device;
    try {
        device = front->startPrintDevice(title_.empty() ? applicationTitle() : title_);
    } catch (const std::runtime_error& e) {
        throw script::ScriptException(e.what());
    }
    if (device) {
        if (auto* paper = dynamic_cast<QPrinter*>(device.get())) {
            const std::vector<std::string> installed = installedPrinters();
            const std::int32_t index = printerIndex();
            if (index >= 0 && static_cast<std::size_t>(index) < installed.size())
                paper->setPrinterName(qt::fromEngine(installed[static_cast<std::size_t>(index)]));
            paper->setCopyCount(copies_);
        } else if (auto* pdf = dynamic_cast<QPdfWriter*>(device.get())) {
            pdf->setResolution(kPdfResolution);
        }
        device->setPageOrientation(orientation_);
        if (!painter_.begin(device.get()))
            throw script::ScriptException(czech("Tiskovou úlohu nelze zahájit"));
    }
    device_ = std::move(device);
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
}

void PrinterObject::endDoc() {
    checkPrinting(true);
    printing_ = false;
    const bool written = !painter_.isActive() || painter_.end();
    device_.reset();
    if (!written) throw script::ScriptException(czech("Tisk se nepodařil"));
}

void PrinterObject::newPage() {
    checkPrinting(true);
    if (device_ && !device_->newPage())
        throw script::ScriptException(czech("Novou stránku nelze začít"));
    ++pageNumber_;
}

void PrinterObject::abort() {
    checkPrinting(true);
    if (auto* paper = dynamic_cast<QPrinter*>(device_.get())) paper->abort();
    if (painter_.isActive()) painter_.end();
    device_.reset();
    printing_ = false;
    aborted_ = true;
}

void PrinterObject::finishOpenJob() {
    if (!printing_) return;
    printing_ = false;
    if (painter_.isActive()) painter_.end();
    device_.reset();
}

QPainter* PrinterObject::beginPaint() {
    return painter_.isActive() ? &painter_ : nullptr;
}

PrinterObject& printer() {
    static PrinterObject object;
    return object;
}

} // namespace vorlan::stdlib
