#include "report/run/layout_run.h"

#include "core/path_mapper.h"
#include "core/ui_services.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vorlan::report::detail {

SharedRunState::SharedRunState(const RunOptions& opts, const TextMeasurer& m, RunProgress& p,
                               std::time_t when)
    : options(opts), measurer(m), progress(p) {
    localtime_r(&when, &now);
}

bool SharedRunState::cancelRequested() {
    if (!cancelled && progress.cancelRequested()) cancelled = true;
    return cancelled;
}

LayoutRun::LayoutRun(TSestavaTyp& report, TSestVystup& output, SharedRunState& shared,
                     bool topLevel, std::int32_t headHeight, std::int32_t footHeight)
    : r_(report), data_(recordsOf(report)), out_(output), sh_(shared), top_(topLevel),
      headHeight_(headHeight), footHeight_(footHeight) {}

// ---- records ------------------------------------------------------------------------------

int LayoutRun::fieldIndexOf(const TPrvekSestavy& e) const {
    // A name wins: the template may have been read before the data source was known.
    if (!e.name.empty()) {
        const int index = r_.fieldIndexOf(e.name);
        if (index >= 0) return index;
    }
    return e.parameter;
}

std::int32_t LayoutRun::fieldType(int field) const {
    return data_ ? data_->fieldType(field) : kFtUnknown;
}

std::string LayoutRun::fieldDisplayText(int field) {
    if (data_) return data_->fieldDisplayText(field);
    ReportValue v;
    r_.fieldValue(field, v);
    return v.text;
}

void LayoutRun::collectElements() {
    for (const auto& s : r_.sections()) {
        for (const auto& owned : s->elements) {
            TPrvekSestavy* e = owned.get();
            e->work = 0;
            if (e->kind == kKindField) {
                const int field = fieldIndexOf(*e);
                fields_.push_back({e, field, fieldType(field), {}, {}});
                e->work = static_cast<std::int32_t>(fields_.size());
            } else if (e->kind == kKindVariable) {
                variables_.push_back(e);
            } else if (e->kind == kKindPicture) {
                pictures_.push_back(e);
            }
        }
    }
}

LayoutRun::FieldElement* LayoutRun::fieldElement(const TPrvekSestavy* e) {
    if (e->kind != kKindField || e->work <= 0 || static_cast<std::size_t>(e->work) > fields_.size())
        return nullptr;
    FieldElement& fe = fields_[static_cast<std::size_t>(e->work - 1)];
    return fe.element == e ? &fe : nullptr;
}

std::int32_t LayoutRun::step(StepDir dir) {
    if (data_) return data_->step(dir);
    // A source that cannot move holds the one record it shows.
    const auto* withData = dynamic_cast<const TSestavaD*>(&r_);
    if (!withData || !withData->dataSource()) return kStepAtBeginning | kStepAtEnd;
    return dir == StepDir::Next ? kStepAtEnd : kStepAtBeginning;
}

void LayoutRun::setVariables(std::int32_t number, double value) {
    for (TPrvekSestavy* v : variables_)
        if (v->parameter == number) v->value.number = value;
}

void LayoutRun::addToVariables(std::int32_t number, double delta) {
    for (TPrvekSestavy* v : variables_)
        if (v->parameter == number) v->value.number += delta;
}

void LayoutRun::loadRecord() {
    if (data_) data_->getData();
    for (FieldElement& fe : fields_) {
        r_.fieldValue(fe.field, fe.element->value);
        fe.memo.clear();
        fe.picture = {};
        if (!data_) continue;
        if (fe.type == kFtMemo || fe.type == kFtFmtMemo) {
            fe.memo = data_->fieldMemoText(fe.field);
        } else if (fe.type == kFtGraphic || fe.type == kFtBlob || fe.type == kFtTypedBinary) {
            std::string bytes = data_->fieldPicture(fe.field);
            if (!bytes.empty()) {
                fe.picture.kind = pictureKindOf(bytes);
                fe.picture.bytes = std::make_shared<const std::string>(std::move(bytes));
            }
        }
    }
    addToVariables(kVarRecordNumber, 1);
    for (int g = 0; g < r_.groups().count(); ++g) {
        TPolSkup& group = *r_.groups().item(g);
        group.previousText = fieldDisplayText(group.field);
        addToVariables(kVarRowInGroup + 2 * g, 1);
    }
    for (TPrvekSestavy* p : pictures_)
        elementPictures_[p] = elementPicture(*p);
}

OutputPicture LayoutRun::elementPicture(const TPrvekSestavy& e) {
    // The names may be expressions over the record: the first one that names a file counts.
    std::string path;
    for (const ReportValue& item : r_.evaluator().itemList(e.text)) {
        if (!item.text.empty() && r_.loadPicture(item.text)) {
            path = item.text;
            break;
        }
    }
    if (path.empty()) path = e.picturePath;
    if (path.empty()) return {};
    const std::string host = pathMapper().toHostOrEmpty(path).string();
    if (host.empty()) return {};
    auto found = sh_.pictureFiles.find(host);
    if (found == sh_.pictureFiles.end()) {
        std::ifstream in(host, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        found = sh_.pictureFiles
                    .emplace(host, in.bad() ? nullptr
                                            : std::make_shared<const std::string>(std::move(bytes)))
                    .first;
    }
    OutputPicture picture;
    picture.bytes = found->second;
    if (picture.bytes) picture.kind = pictureKindOf(*picture.bytes);
    return picture;
}

void LayoutRun::stepFunctions() {
    // User functions read fields through their report: it must be the expression host again
    // after a detail report ran in between.
    r_.stepFunctions();
    if (sh_.options.events.onVypoctiFunkce) sh_.options.events.onVypoctiFunkce(r_);
}

// ---- sections and pages -------------------------------------------------------------------

bool LayoutRun::stopped() {
    return abort_ || sh_.cancelRequested();
}

std::int32_t LayoutRun::visibleHeight(const TOddilSestavy* s) const {
    return s && s->visible ? s->height : 0;
}

bool LayoutRun::isGrowing(const TPrvekSestavy& e) {
    if (e.kind == kKindPlace) return true;
    if (e.kind != kKindField || !(e.textFlags & kTextVariableHeight)) return false;
    const FieldElement* fe = fieldElement(&e);
    return fe && !fe->memo.empty();
}

void LayoutRun::printSection(TOddilSestavy* s) {
    if (!s || !s->visible) return;
    ui().processPendingEvents();
    if (stopped()) return;
    if (sh_.options.events.onTiskOddilu && !sh_.options.events.onTiskOddilu(r_, s->index)) return;
    if (s->index != kSectionStart && s->index != kSectionHead && s->index != kSectionFoot &&
        out_.position + s->height > limit()) {
        endPage();
        startPage();
    }
    if (s->index == kSectionBody && s->columns <= 1) {
        std::vector<Growing> growing;
        for (const auto& e : s->elements)
            if (isGrowing(*e)) growing.push_back({e.get(), e->top + e->height});
        if (!growing.empty()) {
            printBands(*s, std::move(growing));
            return;
        }
    }
    placeElements(*s, out_.position, INT32_MIN, INT32_MAX, false);
    advance(*s);
}

void LayoutRun::placeElements(const TOddilSestavy& s, std::int32_t origin, std::int32_t from,
                              std::int32_t to, bool skipGrowing) {
    // Last to first: the first element is drawn last, on top of the others.
    for (auto it = s.elements.rbegin(); it != s.elements.rend(); ++it) {
        const TPrvekSestavy& e = **it;
        if (e.top < from || e.top >= to || e.kind == kKindPlace) continue;
        if (skipGrowing && isGrowing(e)) continue;
        TVystPrvek& o =
            out_.addElement(&e, out_.columnOffset + e.left, origin + e.top, e.width, e.height);
        fillOutput(o, e);
    }
}

void LayoutRun::printBands(const TOddilSestavy& s, std::vector<Growing> growing) {
    std::stable_sort(growing.begin(), growing.end(),
                     [](const Growing& a, const Growing& b) { return a.bottom < b.bottom; });
    std::int32_t from = INT32_MIN; // the section's top edge, as a band boundary
    std::int32_t cut = 0;          // section coordinate at the current position
    std::int32_t pos = out_.position;
    for (const Growing& g : growing) {
        if (stopped()) return;
        const std::int32_t bandHeight = g.bottom - cut;
        out_.bandHeight = bandHeight;
        if (pos + bandHeight > limit() && bandHeight > 0) {
            endPage();
            startPage();
            pos = out_.position;
        }
        placeElements(s, pos - cut, from, g.bottom, true);
        const std::int32_t top = pos + g.element->top - cut;
        const std::int32_t page = out_.pagesStarted;
        std::int32_t end = pos + bandHeight;
        if (g.element->kind == kKindPlace) {
            end = runDetail(*g.element, top);
        } else if (FieldElement* fe = fieldElement(g.element)) {
            end = outputMemo(*fe, top);
        }
        // Below the band, or below what grew out of it, whichever is lower.
        pos = out_.pagesStarted == page ? std::max(pos + bandHeight, end) : end;
        out_.position = pos;
        from = g.bottom;
        cut = g.bottom;
    }
    const std::int32_t rest = s.height - cut;
    if (rest > 0 && pos + rest > limit()) {
        endPage();
        startPage();
        pos = out_.position;
    }
    placeElements(s, pos - cut, from, INT32_MAX, true);
    out_.position = pos + std::max<std::int32_t>(rest, 0);
    if (sh_.options.characterMode)
        out_.position = snapToCharacterRow(out_.position, characterRowHeight(r_.lineSpacing));
}

std::int32_t LayoutRun::outputMemo(FieldElement& fe, std::int32_t top) {
    const TPrvekSestavy& e = *fe.element;
    const bool rtf = (e.textFlags & kTextRtf) != 0;
    const std::string plain =
        rtf ? (sh_.options.rtfToText ? sh_.options.rtfToText(fe.memo) : plainTextOfRtf(fe.memo))
            : fe.memo;
    const std::vector<std::string> lines =
        layoutLines(plain, e.width, e.font, (e.textFlags & kTextWordWrap) != 0, sh_.measurer);
    const std::int32_t lineHeight = std::max<std::int32_t>(1, sh_.measurer.lineHeight(e.font));
    const auto total = static_cast<std::int32_t>(lines.size());

    auto place = [&](std::int32_t at, std::int32_t height, std::int32_t first, std::int32_t count) {
        TVystPrvek& o = out_.addElement(&e, out_.columnOffset + e.left, at, e.width, height);
        o.setText(plain);
        if (rtf) o.rtf = fe.memo;
        o.lines = lines;
        o.lineHeight = lineHeight;
        o.firstLine = first;
        o.lineCount = count;
    };

    // Text that ends inside the element keeps the element's height.
    if (total * lineHeight <= e.height) {
        place(top, e.height, 0, total);
        return top + e.height;
    }
    std::int32_t first = 0;
    bool freshPage = false;
    while (!stopped()) {
        const std::int32_t remaining = total - first;
        std::int32_t fit = std::max<std::int32_t>(0, (limit() - top) / lineHeight);
        if (remaining <= fit) {
            const std::int32_t height = std::max(remaining * lineHeight, first == 0 ? e.height : 0);
            place(top, height, first, remaining);
            return top + height;
        }
        // A page too short for one line still takes one, or the memo would never end.
        if (fit == 0 && freshPage) fit = 1;
        if (fit > 0) {
            place(top, limit() - top, first, fit);
            first += fit;
        }
        endPage();
        startPage();
        top = out_.position;
        freshPage = true;
    }
    return top;
}

std::int32_t LayoutRun::runDetail(const TPrvekSestavy& place, std::int32_t top) {
    TSestDetail* d = r_.detail(place.parameter);
    if (!d) return top;
    const std::int32_t firstPage = out_.pagesStarted;
    const std::int32_t column = out_.column;
    const std::int32_t offset = out_.columnOffset;
    out_.position = top;
    out_.column = 1;
    out_.columnOffset = 0;
    {
        LayoutRun detailRun(*d, out_, sh_, false, headHeight_, footHeight_);
        detailRun.run();
    }
    const std::int32_t lastPage = out_.pagesStarted;
    const std::int32_t end = out_.position;
    out_.column = column;
    out_.columnOffset = offset;
    // The detail left the room for the page heads and feet; they are ours to print, on every
    // page it went over.
    out_.pagesStarted = firstPage;
    for (std::int32_t i = firstPage; i < lastPage; ++i) {
        endPage();
        startPage();
    }
    out_.pagesStarted = lastPage;
    out_.position = end;
    return end;
}

void LayoutRun::advance(const TOddilSestavy& s) {
    if (s.index == kSectionBody && s.columns > 1) {
        if (out_.column < s.columns) {
            ++out_.column;
        } else {
            out_.column = 1;
            out_.position += s.height;
        }
        const std::int32_t width = printableWidth(paperSettings());
        out_.columnOffset = (out_.column - 1) * ((width + s.columnGap) / s.columns);
    } else {
        out_.position += s.height;
    }
    if (sh_.options.characterMode)
        out_.position = snapToCharacterRow(out_.position, characterRowHeight(r_.lineSpacing));
}

void LayoutRun::finishLabelRow() {
    const TOddilSestavy* body = r_.section(kSectionBody);
    if (!body || body->columns <= 1 || out_.column <= 1) return;
    out_.column = 1;
    out_.columnOffset = 0;
    out_.position += body->height;
}

void LayoutRun::endPage() {
    if (r_.isDetail()) return;
    TOddilSestavy* foot = r_.section(kSectionFoot);
    out_.position = out_.pageHeight - visibleHeight(foot);
    printSection(foot);
}

void LayoutRun::startPage() {
    ++out_.pagesStarted;
    out_.currentPage();
    out_.position = 0;
    addToVariables(kVarPageNumber, 1);
    if (r_.isDetail())
        out_.position = headHeight_; // the master prints its head there
    else
        printSection(r_.section(kSectionHead));
}

void LayoutRun::handleGroupBreaks() {
    TListSkupin& groups = r_.groups();
    int changedFrom = -1;
    for (int g = 0; g < groups.count(); ++g) {
        if (fieldDisplayText(groups.item(g)->field) != groups.item(g)->previousText) {
            changedFrom = g;
            break;
        }
    }
    bool pageBreak = false;
    std::int32_t startsHeight = 0;
    if (changedFrom >= 0) {
        for (int g = changedFrom; g < groups.count(); ++g)
            groups.item(g)->changed = true;
        finishLabelRow();
        // Group ends show the last record of their group.
        step(StepDir::Prior);
        for (int g = groups.count() - 1; g >= changedFrom; --g) {
            TPolSkup& group = *groups.item(g);
            printSection(group.end);
            r_.functions().markReset(resetAtGroup(g));
            if (group.newPage) pageBreak = true;
            startsHeight += visibleHeight(group.start);
        }
        step(StepDir::Next);
    }
    const std::int32_t body = visibleHeight(r_.section(kSectionBody));
    if (!pageBreak && !r_.newBodyOnNewPage && out_.position + body + startsHeight <= limit()) {
        loadRecord();
        stepFunctions();
    } else {
        endPage();
        loadRecord();
        r_.functions().markReset(kResetPage);
        stepFunctions();
        startPage();
    }
    if (changedFrom >= 0) {
        for (int g = changedFrom; g < groups.count(); ++g) {
            TPolSkup& group = *groups.item(g);
            setVariables(kVarRowInGroup + 2 * g, 1);
            addToVariables(kVarGroupNumber + 2 * g, 1);
            if (g + 1 < groups.count()) setVariables(kVarGroupNumber + 2 * (g + 1), 0);
            group.changed = false;
            printSection(group.start);
        }
    }
    if (top_ && out_.pagesStarted + 1 > static_cast<std::int32_t>(r_.endPage)) abort_ = true;
}

// ---- output elements ----------------------------------------------------------------------

void LayoutRun::layoutMemo(TVystPrvek& o, const TPrvekSestavy& e, const std::string& memo) {
    const bool rtf = (e.textFlags & kTextRtf) != 0;
    std::string plain =
        rtf ? (sh_.options.rtfToText ? sh_.options.rtfToText(memo) : plainTextOfRtf(memo)) : memo;
    if (rtf) o.rtf = memo;
    o.lines = layoutLines(plain, e.width, e.font, (e.textFlags & kTextWordWrap) != 0, sh_.measurer);
    o.lineHeight = std::max<std::int32_t>(1, sh_.measurer.lineHeight(e.font));
    o.firstLine = 0;
    // What the element's height shows; at least one line.
    const auto fitting = std::max<std::int32_t>(1, e.height / o.lineHeight);
    o.lineCount = std::min(static_cast<std::int32_t>(o.lines.size()), fitting);
    o.setText(std::move(plain));
}

void LayoutRun::fillOutput(TVystPrvek& o, const TPrvekSestavy& e) {
    switch (e.kind) {
    case kKindText:
        o.setText(e.text);
        break;
    case kKindField: {
        FieldElement* fe = fieldElement(&e);
        if (!fe) {
            o.setText(e.value.text);
        } else if (fe->type == kFtMemo || fe->type == kFtFmtMemo) {
            layoutMemo(o, e, fe->memo);
        } else if (fe->type == kFtGraphic || fe->type == kFtBlob || fe->type == kFtTypedBinary) {
            o.picture = fe->picture;
        } else {
            // As loaded: a page foot printed before the next record's sections still shows
            // the record the page ended with.
            o.setText(e.value.text);
        }
        break;
    }
    case kKindFieldTitle: {
        const int field = fieldIndexOf(e);
        o.setText(data_ ? data_->fieldDisplayLabel(field) : e.name);
        break;
    }
    case kKindParameter:
        if (e.parameter >= 0 && e.parameter < static_cast<std::int32_t>(r_.parametry.size()))
            o.setText(r_.parametry[static_cast<std::size_t>(e.parameter)]);
        break;
    case kKindVariable:
        if (e.parameter == kVarPrintDate) {
            o.setText(formatDateTime(e.text.empty() ? kShortDateFormat : e.text, sh_.now));
        } else if (e.parameter == kVarPrintTime) {
            o.setText(formatDateTime(e.text.empty() ? kShortTimeFormat : e.text, sh_.now));
        } else {
            const auto n = static_cast<std::int64_t>(e.value.number);
            o.setText(e.text.empty() ? std::to_string(n) : formatWithInteger(e.text, n));
            if (e.parameter == kVarPageCount) {
                o.pageCount = true;
                sh_.pageCountPlaceholders.push_back(&o);
            }
        }
        break;
    case kKindFunction:
        o.setText(r_.functions().text(e.parameter));
        break;
    case kKindPicture: {
        auto found = elementPictures_.find(&e);
        o.picture = found != elementPictures_.end() ? found->second : elementPicture(e);
        break;
    }
    default:
        break;
    }
}

// ---- the run ------------------------------------------------------------------------------

void LayoutRun::run() {
    if (top_) sh_.progress.show();
    first_ = true;
    counter_ = 0;
    bool noData = false;
    if (!r_.tiskJedenZaznam) noData = (step(StepDir::First) & kStepAtEnd) != 0;
    if (data_ && data_->empty()) noData = true;
    if (top_) {
        out_.reset(printableHeight(paperSettings()));
        out_.characterMode = sh_.options.characterMode;
        out_.currentPage();
    }
    collectElements();
    r_.functions().markReset(-1);
    loadRecord();
    for (TPrvekSestavy* v : variables_)
        if (v->parameter != kVarPrintDate && v->parameter != kVarPrintTime) v->value.number = 1;
    abort_ = false;

    TOddilSestavy* start = r_.section(kSectionStart);
    TOddilSestavy* head = r_.section(kSectionHead);
    TOddilSestavy* body = r_.section(kSectionBody);
    printSection(start);
    stepFunctions();

    if (top_ && start && start->visible && r_.pageBreakAfterStart) {
        endPage();
        startPage();
    } else if (!r_.isDetail() && !r_.noHeadOnFirstPage) {
        printSection(head);
    }
    for (int g = 0; g < r_.groups().count(); ++g)
        printSection(r_.groups().item(g)->start);
    if (top_ && body)
        for (std::int32_t i = 0; i < sh_.options.labelsToSkip; ++i)
            advance(*body);

    while (!noData) {
        if (!first_) {
            handleGroupBreaks();
        } else if (out_.position + visibleHeight(body) > limit()) {
            endPage();
            startPage();
        }
        printSection(body);
        first_ = false;
        ++counter_;
        if (r_.tiskJedenZaznam || (r_.maxRecords > 0 && counter_ >= r_.maxRecords)) break;
        const std::int32_t stepped = step(StepDir::Next);
        if (top_) sh_.progress.setText(progressText(counter_ + 1));
        if (abort_ || sh_.cancelRequested() || (stepped & kStepAtEnd)) break;
    }

    finishLabelRow();
    for (int g = r_.groups().count() - 1; g >= 0; --g)
        printSection(r_.groups().item(g)->end);
    TOddilSestavy* end = r_.section(kSectionEnd);
    if (top_ && end && end->visible && r_.pageBreakBeforeEnd) {
        endPage();
        startPage();
    }
    printSection(end);
    if (!top_) return;

    TOddilSestavy* foot = r_.section(kSectionFoot);
    out_.position = out_.pageHeight - visibleHeight(foot);
    printSection(foot);

    const std::int32_t pages = out_.pageCount();
    for (TVystPrvek* o : sh_.pageCountPlaceholders) {
        const std::string& format = o->source()->text;
        o->setText(format.empty() ? std::to_string(pages) : formatWithInteger(format, pages));
    }
    sh_.progress.hide();
    out_.cancelled = sh_.cancelled;
    out_.setPrintRange(r_.startPage, r_.endPage, r_.printCopies);
}

} // namespace vorlan::report::detail
