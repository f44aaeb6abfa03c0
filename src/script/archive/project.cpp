#include "core/cp1250.h"
#include "script/archive/program_archive.h"

namespace vorlan::archive {

namespace {

using stream::StreamProperty;
using stream::StreamValue;
using stream::ValueKind;

std::string itemText(const StreamValue& value, std::size_t item, const std::string& property) {
    switch (value.kind) {
    case ValueKind::String:
    case ValueKind::LString:
        return value.text;
    case ValueKind::WString:
        return utf16ToCp1250(value.wide);
    default:
        throw ArchiveError("Položka projektu " + std::to_string(item + 1) + ": " + property +
                           " není text");
    }
}

bool itemFlag(const StreamValue& value, std::size_t item, const std::string& property) {
    if (value.kind == ValueKind::True) return true;
    if (value.kind == ValueKind::False) return false;
    throw ArchiveError("Položka projektu " + std::to_string(item + 1) + ": " + property +
                       " není logická hodnota");
}

// Only what differs from the default is stored, as the component streaming of the development
// environment does: empty strings and False are left out.
void addText(std::vector<StreamProperty>& properties, const char* name, const std::string& text) {
    if (text.empty()) return;
    StreamProperty p;
    p.name = name;
    p.value.kind = text.size() <= 255 ? ValueKind::String : ValueKind::LString;
    p.value.text = text;
    properties.push_back(std::move(p));
}

} // namespace

std::vector<ProjectItem> projectItemsFromStream(const stream::StreamObject& project) {
    std::vector<ProjectItem> items;
    const StreamValue* collection = project.property("ProjectItems");
    if (!collection) return items; // a project without items stores no collection
    if (collection->kind != ValueKind::Collection)
        throw ArchiveError("ProjectItems projektu není kolekce");
    for (std::size_t i = 0; i < collection->items.size(); ++i) {
        ProjectItem item;
        for (const StreamProperty& p : collection->items[i].properties) {
            if (equalsNoCase(p.name, "FileName"))
                item.fileName = itemText(p.value, i, p.name);
            else if (equalsNoCase(p.name, "FilerID"))
                item.filerId = itemText(p.value, i, p.name);
            else if (equalsNoCase(p.name, "ObjectClassName"))
                item.objectClassName = itemText(p.value, i, p.name);
            else if (equalsNoCase(p.name, "ObjectProps"))
                item.objectProps = itemText(p.value, i, p.name);
            else if (equalsNoCase(p.name, "ObjectOpened"))
                item.objectOpened = itemFlag(p.value, i, p.name);
        }
        items.push_back(std::move(item));
    }
    return items;
}

stream::StreamObject projectToStream(const std::vector<ProjectItem>& items) {
    stream::StreamObject project;
    project.className = kProjectClass;
    project.name = kProjectName;
    StreamProperty collection;
    collection.name = "ProjectItems";
    collection.value.kind = ValueKind::Collection;
    for (const ProjectItem& item : items) {
        stream::CollectionItem streamed;
        addText(streamed.properties, "FileName", item.fileName);
        addText(streamed.properties, "FilerID", item.filerId);
        addText(streamed.properties, "ObjectClassName", item.objectClassName);
        addText(streamed.properties, "ObjectProps", item.objectProps);
        if (item.objectOpened) {
            StreamProperty opened;
            opened.name = "ObjectOpened";
            opened.value.kind = ValueKind::True;
            streamed.properties.push_back(std::move(opened));
        }
        collection.value.items.push_back(std::move(streamed));
    }
    project.properties.push_back(std::move(collection));
    return project;
}

} // namespace vorlan::archive
