#pragma once
// A report font chosen by its parts: the Windows font name as the template writes it (kept as
// the user typed it; the sample shows the substitute this machine draws with), the size, the
// style bits, one of the sixteen report colours and the character set.

#include "report/model.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace vorlan::qt {

class FontPage : public QWidget {
public:
    explicit FontPage(const report::ReportFont& font, QWidget* parent = nullptr);

    report::ReportFont font() const;

    QComboBox* nameBox() const { return name_; }
    QSpinBox* sizeBox() const { return size_; }
    QComboBox* colourBox() const { return colour_; }

private:
    void updateSample();

    QComboBox* name_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QCheckBox* underline_ = nullptr;
    QCheckBox* strikeOut_ = nullptr;
    QComboBox* colour_ = nullptr;
    QSpinBox* charset_ = nullptr;
    QLabel* sample_ = nullptr;
};

// The Czech names of the sixteen report colours, by index.
QString reportColourName(int index);
// A choice of the sixteen report colours showing `colour` (black when it is not one of them),
// and the colour chosen.
QComboBox* reportColourBox(QWidget* parent, const char* objectName, std::uint32_t colour);
std::uint32_t reportColourOf(const QComboBox* box);

} // namespace vorlan::qt
