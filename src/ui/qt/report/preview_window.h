#pragma once
// The preview of a report's output pages ("Prohlížení sestavy před tiskem"): one page at a time
// drawn straight onto the screen at one of eleven zoom factors, paging by buttons and keys, a
// small panel to jump to a page, printing through the print dialog, saving as PDF, and the
// request to edit the template. Only the page shown is ever drawn, so a long run opens at once.

#include "report/output/output_model.h"
#include "ui/qt/report/print_dialog_options.h"

#include <QDialog>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;

namespace vorlan::qt {

// Zoom buttons: their captions in percent; the factor is the percent / 100.
inline constexpr std::array<int, 11> kPreviewZoomPercents{32,  40,  50,  64,  75, 83,
                                                          100, 120, 150, 200, 300};

// The sheet on the screen: white paper of the oriented paper size at the zoom, the printable
// area placed by the margins, the output page drawn into it.
class PreviewPage : public QWidget {
public:
    PreviewPage(const report::TSestVystup& output, QWidget* parent);
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // The sheet's size in pixels at a zoom on this widget's screen.
    QSize sheetSize(double zoom) const;
    // The printable area on the sheet, in pixels.
    QRectF printableArea() const;
    // Pages drawn so far (each paint draws the current page only).
    int pagesDrawn() const { return pagesDrawn_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const report::TSestVystup& output_;
    double zoom_ = 1.0;
    int pagesDrawn_ = 0;
};

class PreviewWindow : public QDialog {
public:
    // `title` (Windows-1250) names print jobs and the PDF file's title.
    PreviewWindow(report::TSestVystup& output, std::string title, QWidget* parent = nullptr);

    // Page shown, from 0, and the page count.
    int currentPage() const;
    int pageCount() const { return output_.pageCount(); }
    void showPage(int index);
    // Selects the zoom button with that percent; other values keep the zoom.
    void setZoomPercent(int percent);
    int zoomPercent() const { return zoomPercent_; }
    // Jumps to the page typed in the page-selection panel ("Stránka číslo:").
    void jumpTo(const QString& typed);
    void openPageSelection();
    bool pageSelectionOpen() const;
    // 1 when the user asked to edit the template, else 0.
    int editResult() const { return editRequested_ ? 1 : 0; }

    // Prints from the preview; tests replace the dialog.
    void print();
    std::function<PrintDialogResult(PrintDialogTyp&)> executePrintDialog;

    PreviewPage* page() const { return page_; }
    QToolButton* button(const QString& objectName) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* addButton(QLayout* bar, const char* name, const QString& caption,
                           const QString& hint);
    void buildPageSelection();
    void updatePanels();
    void saveAsPdf();

    report::TSestVystup& output_;
    std::string title_;
    PreviewPage* page_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* pageNumber_ = nullptr;
    QLabel* pageTotal_ = nullptr;
    QFrame* selection_ = nullptr;
    QLineEdit* selectionEdit_ = nullptr;
    QButtonGroup* zoomButtons_ = nullptr;
    int zoomPercent_ = 100;
    bool editRequested_ = false;
};

} // namespace vorlan::qt
