#pragma once
// Plain lines printed on a paged device (a printer or a PDF file), top to bottom, a new page
// when the current one is full.

#include "core/ui_services.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>

namespace vorlan::qt {

// The font for a text print: the named font at the given size; an empty name means a fixed
// pitch font, a size of 0 means 10 points, so columns of plain text stay aligned.
QFont textPrintFont(const std::string& fontName, int pointSize);

class PainterTextPrintJob : public TextPrintJob {
public:
    // Starts the job; throws std::runtime_error when the device cannot be opened.
    PainterTextPrintJob(std::unique_ptr<QPagedPaintDevice> device, const QFont& font);
    ~PainterTextPrintJob() override;

    void writeLine(const std::string& line) override;
    void finish() override;

    int pagesStarted() const { return pages_; }

private:
    std::unique_ptr<QPagedPaintDevice> device_;
    QPainter painter_;
    qreal y_ = 0;
    qreal lineHeight_ = 0;
    int pages_ = 1;
};

} // namespace vorlan::qt
