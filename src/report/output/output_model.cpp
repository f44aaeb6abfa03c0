#include "report/output/output_model.h"

#include <algorithm>

namespace vorlan::report {

std::int32_t orientedPaperWidth(const PaperSettings& paper) {
    return paper.orientation == 1 ? paper.height : paper.width;
}

std::int32_t orientedPaperHeight(const PaperSettings& paper) {
    return paper.orientation == 1 ? paper.width : paper.height;
}

std::int32_t printableWidth(const PaperSettings& paper) {
    return orientedPaperWidth(paper) - paper.leftMargin - paper.rightMargin;
}

std::int32_t printableHeight(const PaperSettings& paper) {
    return orientedPaperHeight(paper) - paper.topMargin - paper.bottomMargin;
}

PictureKind pictureKindOf(const std::string& bytes) {
    auto starts = [&](std::string_view magic) {
        return bytes.size() >= magic.size() && bytes.compare(0, magic.size(), magic) == 0;
    };
    if (bytes.empty()) return PictureKind::None;
    if (starts("BM")) return PictureKind::Bitmap;
    if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x00\x00", 4)) ||
        starts(std::string_view("\x01\x00\x09\x00", 4)) ||
        starts(std::string_view("\x02\x00\x09\x00", 4)))
        return PictureKind::Metafile;
    if (starts("\xFF\xD8")) return PictureKind::Jpeg;
    if (starts("\x89PNG")) return PictureKind::Png;
    return PictureKind::Other;
}

TVystPrvek& TStranaPrvku::add(std::unique_ptr<TVystPrvek> element) {
    elements_.push_back(std::move(element));
    return *elements_.back();
}

TVystPrvek* TStranaPrvku::item(int index) {
    if (index < 0 || index >= count()) return nullptr;
    return elements_[static_cast<std::size_t>(index)].get();
}

const TVystPrvek* TStranaPrvku::item(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return elements_[static_cast<std::size_t>(index)].get();
}

TStranaPrvku& TSestVystup::addPage() {
    pages_.push_back(std::make_unique<TStranaPrvku>());
    return *pages_.back();
}

TStranaPrvku* TSestVystup::page(int index) {
    if (index < 0 || index >= pageCount()) return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

const TStranaPrvku* TSestVystup::page(int index) const {
    if (index < 0 || index >= pageCount()) return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

void TSestVystup::clear() {
    pages_.clear();
    currentPageIndex = 0;
}

TStranaPrvku& TSestVystup::currentPage() {
    const auto index = static_cast<std::size_t>(std::max(pagesStarted, 0));
    while (pages_.size() <= index)
        addPage();
    return *pages_[index];
}

TVystPrvek& TSestVystup::addElement(const TPrvekSestavy* source, std::int32_t left,
                                    std::int32_t top, std::int32_t width, std::int32_t height) {
    return currentPage().add(std::make_unique<TVystPrvek>(source, left, top, width, height));
}

void TSestVystup::setPrintRange(std::int32_t first, std::int32_t last, std::int32_t copyCount) {
    firstPage = std::max(first, 1);
    lastPage = std::min(last, pageCount());
    if (lastPage >= 0 && pageCount() > lastPage) pages_.resize(static_cast<std::size_t>(lastPage));
    copies = copyCount;
}

void TSestVystup::reset(std::int32_t height) {
    clear();
    firstPage = 1;
    lastPage = kLastPageDefault;
    copies = 1;
    cancelled = false;
    drawing = false;
    position = 0;
    bandHeight = 0;
    columnOffset = 0;
    column = 1;
    pageHeight = height;
    pagesStarted = 0;
}

} // namespace vorlan::report
