#include "ui/qt/text_print.h"

#include "core/cp1250.h"
#include "ui/qt/qt_text.h"

#include <QFontDatabase>
#include <QPrinter>

#include <stdexcept>

namespace vorlan::qt {

QFont textPrintFont(const std::string& fontName, int pointSize) {
    QFont font = fontName.empty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                  : QFont(fromEngine(fontName));
    font.setPointSize(pointSize > 0 ? pointSize : 10);
    return font;
}

PainterTextPrintJob::PainterTextPrintJob(std::unique_ptr<QPagedPaintDevice> device,
                                         const QFont& font)
    : device_(std::move(device)) {
    if (!painter_.begin(device_.get()))
        throw std::runtime_error(utf8ToCp1250("Tiskovou úlohu nelze zahájit"));
    painter_.setFont(font);
    lineHeight_ = painter_.fontMetrics().lineSpacing();
}

PainterTextPrintJob::~PainterTextPrintJob() {
    if (painter_.isActive()) painter_.end();
}

void PainterTextPrintJob::writeLine(const std::string& line) {
    const qreal pageHeight = device_->height();
    if (y_ > 0 && y_ + lineHeight_ > pageHeight) {
        if (!device_->newPage())
            throw std::runtime_error(utf8ToCp1250("Tiskárna nepřijala další stránku"));
        ++pages_;
        y_ = 0;
    }
    painter_.drawText(QRectF(0, y_, device_->width(), lineHeight_),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                      displayLine(line));
    y_ += lineHeight_;
}

void PainterTextPrintJob::finish() {
    if (!painter_.isActive()) return;
    const bool ended = painter_.end();
    const auto* printer = dynamic_cast<const QPrinter*>(device_.get());
    if (!ended || (printer && printer->printerState() == QPrinter::Error))
        throw std::runtime_error(utf8ToCp1250("Tisk se nepodařil"));
}

} // namespace vorlan::qt
