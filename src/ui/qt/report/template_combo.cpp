#include "ui/qt/report/template_combo.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "report/model.h"

#include <QDir>

#include <fstream>
#include <iterator>

namespace vorlan::qt {

namespace {

std::string withBackslash(std::string dir) {
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir;
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

} // namespace

std::string templateDescription(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    report::TSestavaTyp definition;
    try {
        definition.setPredloha(splitLines(bytes));
    } catch (const std::exception&) {
        // What was read up to the damaged record still names the template.
    }
    return definition.popis;
}

ComboBoxPredloha::ComboBoxPredloha(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("TComboBoxPredloha"));
}

void ComboBoxPredloha::setReportMask(const std::string& mask) {
    const std::size_t dot = mask.rfind('.');
    const std::size_t slash = mask.find_last_of("\\/");
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    mask_ = (hasExtension ? mask.substr(0, dot) : mask) + ".pts";
}

void ComboBoxPredloha::setReportDir(const std::string& dir) {
    dir_ = withBackslash(dir);
}

void ComboBoxPredloha::addTemplate(const std::string& description, const std::string& fileName) {
    addItem(fromEngine(description.empty() ? fileName : description),
            QString::fromStdString(cp1250ToUtf8(fileName)));
}

void ComboBoxPredloha::fill() {
    clear();
    if (onNactiSeznam) {
        onNactiSeznam(*this);
    } else {
        const std::string dir = reportDirIgnore ? withBackslash(programDir) : dir_;
        const QDir folder(QString::fromStdString(pathMapper().toHost(dir).string()));
        const QStringList files =
            folder.entryList({fromEngine(mask_)}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : files) {
            const std::string name = utf8ToCp1250(file.toStdString());
            addTemplate(templateDescription(folder.filePath(file).toStdString()), name);
        }
    }
    if (report) selectFileName(report->reportName());
}

std::string ComboBoxPredloha::selectedFileName() const {
    const int index = currentIndex();
    if (index < 0) return {};
    return utf8ToCp1250(itemData(index).toString().toStdString());
}

void ComboBoxPredloha::selectFileName(const std::string& fileName) {
    for (int i = 0; i < count(); ++i)
        if (equalsNoCase(utf8ToCp1250(itemData(i).toString().toStdString()), fileName)) {
            setCurrentIndex(i);
            return;
        }
}

} // namespace vorlan::qt
