#include "ui/qt/forms/file_controls.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/dispatch.h"
#include "stdlib/file_search.h"
#include "stdlib/host_files.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QComboBox>
#include <QListWidget>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace vorlan::forms {

using script::Value;
namespace fs = std::filesystem;

namespace {

constexpr QSize kList{145, 97}, kCombo{145, 21};

const FormClass kFileControlsClasses[] = {
    {"TFileListBox", "TCustomListBox", create<FileListBox>, kList, false, "OnChange OnClick",
     "FileType=[ftNormal] ShowGlyphs=False"},
    {"TDirectoryListBox", "TCustomListBox", create<DirectoryListBox>, kList, false, "OnChange"},
    {"TDriveComboBox", "TCustomComboBox", create<DriveComboBox>, kCombo, false, "OnChange",
     "TextCase=tcLowerCase"},
    {"TFilterComboBox", "TCustomComboBox", create<FilterComboBox>, kCombo, false, "OnChange"},
};

// Names in a folder, by name with letter case ignored (as a directory listing comes on the
// platform the programs know); hidden ones (a leading dot) are left out.
std::vector<std::string> folderEntries(const std::string& folder, bool directories) {
    std::vector<std::string> out;
    const fs::path host = stdlib::hostPathOf(folder);
    std::error_code ec;
    if (host.empty() || !fs::is_directory(host, ec)) return out;
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = utf8ToCp1250(it->path().filename().string());
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeError;
        if (it->is_directory(typeError) != directories) continue;
        out.push_back(name);
    }
    std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return upperCase(a) < upperCase(b);
    });
    return out;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::vector<std::string> masksOf(const std::string& text) {
    std::vector<std::string> out;
    std::string part;
    for (char c : text + ";") {
        if (c != ';') {
            part += c;
            continue;
        }
        while (!part.empty() && part.front() == ' ')
            part.erase(part.begin());
        while (!part.empty() && part.back() == ' ')
            part.pop_back();
        if (!part.empty()) out.push_back(part);
        part.clear();
    }
    return out;
}

StringList::Access listAccess(const std::function<QListWidget*()>& list) {
    return {[list] {
                std::vector<std::string> out;
                for (int i = 0; list() && i < list()->count(); ++i)
                    out.push_back(qt::toEngine(list()->item(i)->text()));
                return out;
            },
            [list](const std::vector<std::string>& lines) {
                if (!list()) return;
                list()->clear();
                for (const auto& l : lines)
                    list()->addItem(qt::fromEngine(l));
            }};
}

StringList::Access comboAccess(const std::function<QComboBox*()>& combo) {
    return {[combo] {
                std::vector<std::string> out;
                for (int i = 0; combo() && i < combo()->count(); ++i)
                    out.push_back(qt::toEngine(combo()->itemText(i)));
                return out;
            },
            [combo](const std::vector<std::string>& lines) {
                if (!combo()) return;
                combo()->clear();
                for (const auto& l : lines)
                    combo()->addItem(qt::fromEngine(l));
            }};
}

// "C:\" or "\": the part of a whole program path that is no folder's name.
std::size_t rootLength(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':') return 3;
    return path.empty() ? 0 : 1;
}

std::string currentFolder() {
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    return ec ? std::string("C:\\") : pathMapper().toProgram(here);
}

char upperDrive(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

} // namespace

Control* ControlLink::resolve(script::Component& from) const {
    if (value_.isObject()) return dynamic_cast<Control*>(script::nativeObjectOf(value_));
    if (!value_.isString() || value_.asString().empty()) return nullptr;
    script::Component* top = from.root();
    return top ? dynamic_cast<Control*>(top->findComponent(value_.asString())) : nullptr;
}

std::string normalFolder(const std::string& programPath) {
    std::string path = programPath.empty() ? currentFolder() : programPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    // A folder outside every drive stays a host path from the root ("\tmp\data").
    const bool absolute = (path.size() >= 2 && path[1] == ':') || path[0] == '\\';
    if (!absolute) {
        // A relative folder is taken from the current one, as a program's file calls take it.
        std::error_code ec;
        const fs::path host = fs::absolute(stdlib::hostPathOf(path), ec).lexically_normal();
        if (!ec) path = pathMapper().toProgram(host);
    }
    if (path.size() >= 2 && path[1] == ':') path[0] = upperDrive(path[0]);
    if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || path[2] != '\\'))
        path.insert(2, 1, '\\');
    while (path.size() > rootLength(path) && path.back() == '\\')
        path.pop_back();
    return path;
}

// ---- FileListBox

FileListBox::FileListBox(std::string cls)
    : Control(std::move(cls), new QListWidget),
      items_(std::make_unique<StringList>(listAccess([this] { return list(); }))) {
    watch(list()->viewport());
    QObject::connect(list(), &QListWidget::currentRowChanged, list(),
                     guarded([this](int) { chosen(); }));
    directory_ = normalFolder({});
    update();
}

QListWidget* FileListBox::list() const {
    return static_cast<QListWidget*>(widget());
}

const PropertyTable& FileListBox::propertyTable() {
    static const auto table = PropertyTable::of<FileListBox>(
        &Control::propertyTable(),
        {
            {"Directory", &FileListBox::directory_, &FileListBox::setDirectory},
            {"Mask", &FileListBox::mask_, &FileListBox::setMask},
            {"FileName", &FileListBox::fileName, &FileListBox::setFileName},
            {"Drive", [](const FileListBox& b) { return b.directory_.substr(0, 1); },
             [](FileListBox& b, const std::string& d) {
                 if (!d.empty()) b.setDirectory(std::string(1, d[0]) + ":\\");
             }},
            {"FileEdit", [](const FileListBox& b) { return b.fileEdit_.value(); },
             [](FileListBox& b, const Value& v) {
                 b.fileEdit_.set(v);
                 b.showInEdit();
             }},
            {"Items", [](const FileListBox& b) { return b.items_.get(); }},
            {"ItemIndex", [](const FileListBox& b) { return b.list()->currentRow(); },
             [](FileListBox& b, std::int32_t i) {
                 b.list()->setCurrentRow(i >= 0 && i < b.list()->count() ? i : -1);
             }},
        });
    return table;
}

void FileListBox::setDirectory(const std::string& folder) {
    directory_ = normalFolder(folder);
    update();
}

void FileListBox::setMask(const std::string& mask) {
    mask_ = mask.empty() ? std::string("*.*") : mask;
    update();
}

void FileListBox::update() {
    const std::vector<std::string> masks = masksOf(mask_);
    std::vector<std::string> shown;
    for (const std::string& name : folderEntries(directory_, false))
        if (std::any_of(masks.begin(), masks.end(),
                        [&](const std::string& m) { return stdlib::matchesWildcard(name, m); }))
            shown.push_back(name);
    {
        Quiet q(*this);
        items_->setLines(shown);
        list()->setCurrentRow(-1);
    }
    chosen();
}

std::string FileListBox::fileName() const {
    const int row = list() ? list()->currentRow() : -1;
    return row < 0 ? std::string() : joinPath(directory_, qt::toEngine(list()->item(row)->text()));
}

void FileListBox::setFileName(const std::string& name) {
    const std::size_t cut = name.find_last_of("\\/:");
    if (cut != std::string::npos) {
        const std::string folder = name.substr(0, cut + (name[cut] == ':' ? 1 : 0));
        if (!equalsNoCase(normalFolder(folder), directory_)) setDirectory(folder);
    }
    const std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    for (int i = 0; i < list()->count(); ++i)
        if (equalsNoCase(qt::toEngine(list()->item(i)->text()), file)) {
            list()->setCurrentRow(i);
            return;
        }
    list()->setCurrentRow(-1);
}

// The edit shows the chosen name, or the mask while none is chosen.
void FileListBox::showInEdit() {
    if (Control* edit = fileEdit_.resolve(*this)) {
        const int row = list()->currentRow();
        edit->setPublished("Text",
                           Value(row < 0 ? mask_ : qt::toEngine(list()->item(row)->text())));
    }
}

void FileListBox::chosen() {
    showInEdit();
    fire("OnChange");
    fire("OnClick");
}

// ---- DirectoryListBox

DirectoryListBox::DirectoryListBox(std::string cls)
    : Control(std::move(cls), new QListWidget),
      items_(std::make_unique<StringList>(listAccess([this] { return list(); }))) {
    watch(list()->viewport());
    // A double click opens the folder, as Enter does.
    QObject::connect(list(), &QListWidget::itemActivated, list(),
                     guarded([this](QListWidgetItem*) { openCurrent(); }));
    directory_ = normalFolder({});
    fill();
}

QListWidget* DirectoryListBox::list() const {
    return static_cast<QListWidget*>(widget());
}

const PropertyTable& DirectoryListBox::propertyTable() {
    static const auto table = PropertyTable::of<DirectoryListBox>(
        &Control::propertyTable(),
        {
            {"Directory", &DirectoryListBox::directory_, &DirectoryListBox::setDirectory},
            {"Drive", [](const DirectoryListBox& b) { return b.directory_.substr(0, 1); },
             [](DirectoryListBox& b, const std::string& d) {
                 if (!d.empty() && upperDrive(d[0]) != b.directory_[0])
                     b.setDirectory(std::string(1, d[0]) + ":\\");
             }},
            {"DirLabel", [](const DirectoryListBox& b) { return b.dirLabel_.value(); },
             [](DirectoryListBox& b, const Value& v) {
                 b.dirLabel_.set(v);
                 b.fill();
             }},
            {"FileList", [](const DirectoryListBox& b) { return b.fileList_.value(); },
             [](DirectoryListBox& b, const Value& v) {
                 b.fileList_.set(v);
                 b.fill();
             }},
            {"Items", [](const DirectoryListBox& b) { return b.items_.get(); }},
            {"ItemIndex", [](const DirectoryListBox& b) { return b.list()->currentRow(); },
             [](DirectoryListBox& b, std::int32_t i) {
                 b.list()->setCurrentRow(i >= 0 && i < b.list()->count() ? i : -1);
             }},
        });
    return table;
}

void DirectoryListBox::setDirectory(const std::string& folder) {
    const std::string wanted = normalFolder(folder);
    const bool changed = wanted != directory_;
    directory_ = wanted;
    fill();
    if (changed) fire("OnChange");
}

// The drive's root, one line per folder down to the folder itself, then its subfolders.
void DirectoryListBox::fill() {
    std::vector<std::string> lines;
    const std::size_t root = rootLength(directory_);
    std::string rest = directory_.substr(root);
    lines.push_back(directory_.substr(0, root));
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\\');
        lines.push_back(rest.substr(0, cut));
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    }
    currentLevel_ = static_cast<int>(lines.size()) - 1;
    for (const std::string& sub : folderEntries(directory_, true))
        lines.push_back(sub);
    {
        Quiet q(*this);
        items_->setLines(lines);
        list()->setCurrentRow(currentLevel_);
    }
    if (Control* label = dirLabel_.resolve(*this))
        label->setPublished("Caption", Value(directory_));
    if (auto* files = dynamic_cast<FileListBox*>(fileList_.resolve(*this)))
        if (!equalsNoCase(files->directory(), directory_)) files->setDirectory(directory_);
}

std::string DirectoryListBox::itemPath(int index) const {
    if (index < 0 || index >= list()->count())
        throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                      std::to_string(index) + ")");
    if (index > currentLevel_)
        return joinPath(directory_, qt::toEngine(list()->item(index)->text()));
    std::string path = qt::toEngine(list()->item(0)->text());
    for (int i = 1; i <= index; ++i)
        path = joinPath(path, qt::toEngine(list()->item(i)->text()));
    return path;
}

void DirectoryListBox::openCurrent() {
    const int row = list()->currentRow();
    if (row >= 0) setDirectory(itemPath(row));
}

// ---- DriveComboBox

DriveComboBox::DriveComboBox(std::string cls)
    : Control(std::move(cls), new QComboBox),
      items_(std::make_unique<StringList>(comboAccess([this] { return combo(); }))) {
    watch(combo());
    QObject::connect(combo(), &QComboBox::activated, combo(), guarded([this](int index) {
                         const std::string text = qt::toEngine(combo()->itemText(index));
                         if (!text.empty()) setDrive(text.substr(0, 1));
                     }));
    const std::string here = normalFolder({});
    const auto& drives = pathMapper().drives();
    if (here.size() >= 2 && here[1] == ':')
        drive_ = here[0];
    else if (!drives.empty())
        drive_ = upperDrive(drives.begin()->first);
    fill();
}

QComboBox* DriveComboBox::combo() const {
    return static_cast<QComboBox*>(widget());
}

const PropertyTable& DriveComboBox::propertyTable() {
    static const auto table = PropertyTable::of<DriveComboBox>(
        &Control::propertyTable(),
        {
            {"Drive",
             [](const DriveComboBox& b) { return std::string(b.drive_ ? 1 : 0, b.drive_); },
             &DriveComboBox::setDrive},
            {"DirList", [](const DriveComboBox& b) { return b.dirList_.value(); },
             [](DriveComboBox& b, const Value& v) {
                 b.dirList_.set(v);
                 if (auto* dirs = dynamic_cast<DirectoryListBox*>(b.dirList_.resolve(b)))
                     dirs->setPublished("Drive", Value(std::string(1, b.drive_)));
             }},
            {"Text", [](const DriveComboBox& b) { return qt::toEngine(b.combo()->currentText()); }},
            {"Items", [](const DriveComboBox& b) { return b.items_.get(); }},
            {"ItemIndex", [](const DriveComboBox& b) { return b.combo()->currentIndex(); }},
        });
    return table;
}

// One line per mapped drive: its letter, and the folder that stands for it.
void DriveComboBox::fill() {
    std::vector<std::string> lines;
    int current = -1;
    for (const auto& [letter, root] : pathMapper().drives()) {
        if (upperDrive(letter) == drive_) current = static_cast<int>(lines.size());
        lines.push_back(std::string(1, static_cast<char>(std::tolower(letter))) + ": [" +
                        utf8ToCp1250(root.string()) + "]");
    }
    Quiet q(*this);
    items_->setLines(lines);
    combo()->setCurrentIndex(current);
}

void DriveComboBox::setDrive(const std::string& letter) {
    const char wanted = letter.empty() ? 0 : upperDrive(letter[0]);
    if (!wanted || pathMapper().driveRoot(wanted).empty())
        throw script::ScriptException(czech("Jednotka ") + letter.substr(0, 1) +
                                      czech(": není připojena"));
    const bool changed = wanted != drive_;
    drive_ = wanted;
    fill();
    if (auto* dirs = dynamic_cast<DirectoryListBox*>(dirList_.resolve(*this)))
        dirs->setPublished("Drive", Value(std::string(1, drive_)));
    if (changed) fire("OnChange");
}

// ---- FilterComboBox

FilterComboBox::FilterComboBox(std::string cls)
    : Control(std::move(cls), new QComboBox),
      items_(std::make_unique<StringList>(comboAccess([this] { return combo(); }))) {
    watch(combo());
    QObject::connect(combo(), &QComboBox::activated, combo(), guarded([this](int) { chosen(); }));
    setFilter(czech("Všechny soubory (*.*)|*.*"));
}

QComboBox* FilterComboBox::combo() const {
    return static_cast<QComboBox*>(widget());
}

const PropertyTable& FilterComboBox::propertyTable() {
    static const auto table = PropertyTable::of<FilterComboBox>(
        &Control::propertyTable(),
        {
            {"Filter", &FilterComboBox::filter_, &FilterComboBox::setFilter},
            {"Mask", &FilterComboBox::mask},
            {"FileList", [](const FilterComboBox& b) { return b.fileList_.value(); },
             [](FilterComboBox& b, const Value& v) {
                 b.fileList_.set(v);
                 if (auto* files = dynamic_cast<FileListBox*>(b.fileList_.resolve(b)))
                     files->setMask(b.mask());
             }},
            {"Text",
             [](const FilterComboBox& b) { return qt::toEngine(b.combo()->currentText()); }},
            {"Items", [](const FilterComboBox& b) { return b.items_.get(); }},
            {"ItemIndex", [](const FilterComboBox& b) { return b.combo()->currentIndex(); },
             [](FilterComboBox& b, std::int32_t i) {
                 if (i < 0 || i >= b.combo()->count()) return;
                 b.combo()->setCurrentIndex(i);
                 b.chosen();
             }},
        });
    return table;
}

// "Description|mask|Description|mask ...": one line per description.
void FilterComboBox::setFilter(const std::string& filter) {
    filter_ = filter;
    std::vector<std::string> lines;
    masks_.clear();
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t bar = filter.find('|', at);
        const std::string description = filter.substr(at, bar - at);
        std::string mask = "*.*";
        at = bar == std::string::npos ? filter.size() : bar + 1;
        if (bar != std::string::npos) {
            const std::size_t next = filter.find('|', at);
            mask = filter.substr(at, next - at);
            at = next == std::string::npos ? filter.size() : next + 1;
        }
        lines.push_back(description);
        masks_.push_back(mask);
    }
    {
        Quiet q(*this);
        items_->setLines(lines);
        combo()->setCurrentIndex(lines.empty() ? -1 : 0);
    }
    chosen();
}

std::string FilterComboBox::mask() const {
    const int index = combo() ? combo()->currentIndex() : -1;
    return index >= 0 && index < static_cast<int>(masks_.size()) ? masks_[index]
                                                                 : std::string("*.*");
}

void FilterComboBox::chosen() {
    if (auto* files = dynamic_cast<FileListBox*>(fileList_.resolve(*this))) files->setMask(mask());
    fire("OnChange");
}

std::span<const FormClass> fileControlClasses() {
    return kFileControlsClasses;
}

} // namespace vorlan::forms
