#include "ui/qt/designer/element_caption.h"

#include "core/cp1250.h"

namespace vorlan::qt {

namespace {

const std::string* itemAt(const std::vector<std::string>& list, std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(list.size())) return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

} // namespace

std::string designerElementText(const report::TSestavaTyp& report,
                                const report::TPrvekSestavy& element,
                                const std::vector<std::string>& fieldNames,
                                const std::vector<std::string>& fieldLabels) {
    const std::string caption = report::elementKindName(element.kind);
    switch (element.kind) {
    case report::kKindText:
        return element.text.empty() ? caption : element.text;
    case report::kKindField:
        if (!element.name.empty()) return element.name;
        if (const std::string* name = itemAt(fieldNames, element.parameter)) return *name;
        return caption + " " + std::to_string(element.parameter + 1);
    case report::kKindFieldTitle:
        if (const std::string* label = itemAt(fieldLabels, element.parameter)) return *label;
        if (!element.name.empty()) return element.name;
        return caption + " " + std::to_string(element.parameter + 1);
    case report::kKindParameter:
        return caption + " " + std::to_string(element.parameter + 1);
    case report::kKindVariable: {
        const std::string name = report::variableName(element.parameter);
        return name.empty() ? caption : name;
    }
    case report::kKindFunction: {
        if (!element.name.empty()) return element.name;
        if (const report::TRadekFunkce* f = report.functions().item(element.parameter))
            return f->name();
        return caption;
    }
    case report::kKindPicture:
        return element.text.empty() ? caption : element.text;
    case report::kKindLine:
    case report::kKindRectangle:
    case report::kKindRoundRectangle:
    case report::kKindEllipse:
        return caption;
    default:
        return report::elementKindName(report::kKindUnknown);
    }
}

} // namespace vorlan::qt
