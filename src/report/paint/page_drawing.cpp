#include "report/paint/page_drawing.h"

#include "report/paint/element_drawing.h"

namespace vorlan::report {

int drawPage(Painter& painter, const TSestVystup& output, int index, double scale) {
    const TStranaPrvku* page = output.page(index);
    if (!page) return 0;
    int drawn = 0;
    for (const auto& element : page->elements()) {
        if (output.cancelled) break;
        drawElement(painter, *element, scale);
        ++drawn;
    }
    return drawn;
}

DeviceRect pageSurface(const PaperSettings& paper, double scale) {
    return {0, 0, scaled(printableWidth(paper), scale), scaled(printableHeight(paper), scale)};
}

} // namespace vorlan::report
