// Grids, pictures, shapes, pages, scroll boxes, popup menus, file dialogs and timers that keep a
// headless run alive.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/stream/text_form.h"
#include "ui/qt/forms/container_controls.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/forms/timer.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using script::Value;

namespace {

const char* const kMoreForm = R"(object Form1: TForm1
  ClientHeight = 300
  ClientWidth = 400
  object Grid1: TStringGrid
    Left = 8
    Top = 8
    ColCount = 3
    RowCount = 4
    Options = [goFixedVertLine, goEditing]
    PopupMenu = Popup1
    OnSetEditText = Grid1SetEditText
  end
  object Shape1: TShape
    Left = 300
    Top = 8
    Shape = stEllipse
    Brush.Color = clRed
    Pen.Width = 3
  end
  object Pages: TPageControl
    Left = 8
    Top = 140
    Width = 200
    Height = 120
    ActivePage = Second
    OnChange = PagesChange
    object First: TTabSheet
      Caption = 'První'
      object Label1: TLabel
        Left = 4
        Top = 4
        Caption = 'na první'
      end
    end
    object Second: TTabSheet
      Caption = 'Druhá'
    end
  end
  object Box: TScrollBox
    Left = 220
    Top = 140
    Width = 100
    Height = 80
    object FarButton: TButton
      Left = 10
      Top = 200
    end
  end
  object Popup1: TPopupMenu
    OnPopup = Popup1Popup
    object Copy1: TMenuItem
      Caption = 'Kopírovat'
      OnClick = Copy1Click
    end
  end
  object Open1: TOpenDialog
    Filter = 'Obrázky (*.PNG)|*.PNG'
    DefaultExt = 'png'
  end
end
)";

class MoreControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureRegistered();
        form = script::instantiateComponents(stream::componentFromText(kMoreForm),
                                             script::registry(), true);
        form->setEventSink(&sink);
    }
    template <class C> C* control(const char* name) {
        return dynamic_cast<C*>(form->findComponent(name));
    }
    RecordingSink sink;
    std::unique_ptr<script::Component> form;
};

std::filesystem::path tempFolder() {
    auto dir = std::filesystem::temp_directory_path() / "vorlan_forms_pictures";
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST_F(MoreControlsTest, StringGridCellsIncludeTheFixedOnesAndStayInside) {
    auto* grid = control<StringGrid>("Grid1");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->colCount(), 3);
    EXPECT_EQ(grid->rowCount(), 4);
    grid->setCell(0, 0, czech("Číslo"));
    grid->setCell(2, 3, "x");
    EXPECT_EQ(grid->cell(0, 0), czech("Číslo"));
    EXPECT_EQ(grid->cell(2, 3), "x");
    EXPECT_EQ(grid->row(3), (std::vector<std::string>{"", "", "x"}));
    // Outside the grid: reading gives nothing, writing is the script's error.
    EXPECT_EQ(grid->cell(3, 0), "");
    EXPECT_THROW(grid->setCell(3, 0, "y"), script::ScriptException);
    EXPECT_THROW(grid->setCell(-1, 0, "y"), script::ScriptException);

    // Fixed cells are headings the user cannot edit; the others take typing (goEditing).
    auto* table = qobject_cast<QTableWidget*>(grid->widget());
    EXPECT_FALSE(table->item(0, 1)->flags() & Qt::ItemIsEditable);
    grid->setCell(1, 1, "a");
    EXPECT_TRUE(table->item(1, 1)->flags() & Qt::ItemIsEditable);
    table->item(1, 1)->setText(QStringLiteral("b"));
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.back().procedure, "Grid1SetEditText");
    EXPECT_EQ(sink.calls.back().args.at(3).toString(), "b");

    // Growing keeps the texts; shrinking drops what falls outside.
    grid->setPublished("RowCount", Value(6));
    EXPECT_EQ(grid->cell(2, 3), "x");
    grid->setPublished("ColCount", Value(2));
    EXPECT_EQ(grid->cell(2, 3), "");
}

TEST_F(MoreControlsTest, ImageLoadsPicturesAndReportsFilesItCannotRead) {
    const auto dir = tempFolder();
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "modry.png").string())));
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "modry.bmp").string())));
    const bool jpeg = picture.save(QString::fromStdString((dir / "modry.jpg").string()));

    auto image = makeControl("TImage");
    auto* img = dynamic_cast<Image*>(image.get());
    ASSERT_NE(img, nullptr);
    // Program paths are mapped: letter case of the name does not matter.
    img->picture().loadFromFile((dir / "MODRY.PNG").string());
    EXPECT_EQ(img->picture().width(), 20);
    img->picture().loadFromFile((dir / "modry.bmp").string());
    EXPECT_EQ(img->picture().height(), 10);
    if (jpeg) {
        img->picture().loadFromFile((dir / "modry.jpg").string());
        EXPECT_EQ(img->picture().width(), 20);
    }
    auto* label = qobject_cast<QLabel*>(img->widget());
    EXPECT_EQ(label->pixmap().size(), QSize(20, 10));
    // Stretched, the picture fills the control.
    img->setPublished("Stretch", Value(true));
    EXPECT_EQ(label->pixmap().size(), QSize(105, 105));

    try {
        img->picture().loadFromFile((dir / "chybi.png").string());
        FAIL() << "a missing picture must fail";
    } catch (const script::ScriptException& e) {
        EXPECT_EQ(std::string(e.what()).rfind(czech("Nelze načíst obrázek "), 0), 0u) << e.what();
    }
    // The picture it had stays.
    EXPECT_EQ(img->picture().width(), 20);

    img->picture().saveToFile((dir / "kopie.png").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "kopie.png"));
}

TEST_F(MoreControlsTest, ShapePaintsItsFigureWithBrushAndPen) {
    auto* shape = control<Shape>("Shape1");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->shape(), "stEllipse");
    EXPECT_EQ(shape->brush().color(), QColor(Qt::red));
    EXPECT_EQ(shape->pen().width(), 3);
    QImage painted(shape->widget()->size(), QImage::Format_ARGB32);
    painted.fill(Qt::transparent);
    shape->widget()->render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);
    // An ellipse: red in the middle, nothing in the corner.
    EXPECT_EQ(painted.pixelColor(painted.width() / 2, painted.height() / 2), QColor(Qt::red));
    EXPECT_EQ(painted.pixelColor(1, 1).alpha(), 0);
}

TEST_F(MoreControlsTest, PageControlShowsItsSheetsAsPages) {
    auto* pages = control<PageControl>("Pages");
    ASSERT_NE(pages, nullptr);
    auto* tabs = qobject_cast<QTabWidget*>(pages->widget());
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("První"));
    // The stored ActivePage names a sheet read after the page control.
    EXPECT_EQ(pages->activePage(), form->findComponent("Second"));
    auto* label = dynamic_cast<Control*>(form->findComponent("Label1"));
    EXPECT_EQ(label->widget()->parentWidget(), control<TabSheet>("First")->widget());

    sink.calls.clear();
    tabs->setCurrentIndex(0);
    EXPECT_EQ(sink.names(), std::vector<std::string>{"PagesChange"});
    Value index;
    pages->getPublished("ActivePageIndex", index);
    EXPECT_EQ(index.toInt(), 0);
    // A script's own change of page fires nothing.
    sink.calls.clear();
    pages->setPublished("ActivePageIndex", Value(1));
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(tabs->currentIndex(), 1);
    control<TabSheet>("First")->setPublished("Caption", Value("Jedna"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Jedna"));
}

TEST_F(MoreControlsTest, ScrollBoxScrollsToControlsBeyondItsEdge) {
    auto* box = control<ScrollBox>("Box");
    ASSERT_NE(box, nullptr);
    auto* button = dynamic_cast<Control*>(form->findComponent("FarButton"));
    EXPECT_EQ(button->widget()->parentWidget(), box->clientArea());
    QTest::qWait(10); // the inside is measured once its controls are placed
    EXPECT_GE(box->clientArea()->height(), 225);
}

TEST_F(MoreControlsTest, RightClickShowsThePopupMenuOfTheControl) {
    auto* grid = control<StringGrid>("Grid1");
    auto* popup = control<PopupMenu>("Popup1");
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->menu()->actions().size(), 1);
    EXPECT_EQ(popup->menu()->actions()[0]->text(), QStringLiteral("Kopírovat"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(50, 50));
    QApplication::sendEvent(grid->widget(), &event);
    EXPECT_EQ(sink.names(), std::vector<std::string>{"Popup1Popup"});
    EXPECT_TRUE(popup->menu()->isVisible());
    popup->menu()->actions()[0]->trigger();
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"Popup1Popup", "Copy1Click"}));
    popup->menu()->hide();
}

TEST_F(MoreControlsTest, FileDialogAnswersWhatTheUserChoseWithTheDefaultExtension) {
    class ChoosingUi : public HeadlessUi {
    public:
        using HeadlessUi::HeadlessUi;
        std::optional<std::string> openFileDialog(const FileDialogRequest& request) override {
            seen = request;
            return answer;
        }
        FileDialogRequest seen;
        std::optional<std::string> answer;
    };
    std::ostringstream log;
    auto owned = std::make_unique<ChoosingUi>(&log);
    ChoosingUi& ui = *owned;
    UiScope scope(std::move(owned));
    auto* dialog = control<FileDialog>("Open1");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->execute());
    EXPECT_EQ(ui.seen.filter, czech("Obrázky (*.PNG)|*.PNG"));
    ui.answer = "C:\\DATA\\obraz";
    EXPECT_TRUE(dialog->execute());
    Value name;
    dialog->getPublished("FileName", name);
    EXPECT_EQ(name.toString(), "C:\\DATA\\obraz.png");
    // A name with its own extension keeps it, even in a folder whose name has a dot.
    ui.answer = "C:\\DATA.OLD\\obraz";
    dialog->execute();
    dialog->getPublished("FileName", name);
    EXPECT_EQ(name.toString(), "C:\\DATA.OLD\\obraz.png");
}

TEST(HeadlessTimers, ARunningTimerKeepsAHeadlessRunWaiting) {
    ensureRegistered();
    qt::QtUi headless(true);
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  object Timer1: TTimer
    Interval = 20
    OnTimer = Tick
  end
end
)"),
                                              script::registry(), true);
    RecordingSink sink;
    form->setEventSink(&sink);
    // The wait blocks until the timer has fired rather than ending the run.
    for (int i = 0; i < 50 && sink.calls.empty(); ++i)
        ASSERT_TRUE(headless.waitAndProcessEvent());
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls[0].procedure, "Tick");

    // Once the program stops its timer, nothing can come: the run may end.
    dynamic_cast<Timer*>(form->findComponent("Timer1"))->setPublished("Enabled", Value(false));
    bool ended = false;
    for (int i = 0; i < 20 && !ended; ++i)
        ended = !headless.waitAndProcessEvent();
    EXPECT_TRUE(ended);
    // A freed form's timer lets go as well.
    dynamic_cast<Timer*>(form->findComponent("Timer1"))->setPublished("Enabled", Value(true));
    EXPECT_GT(qt::headlessEventSources(), 0);
    form.reset();
    EXPECT_EQ(qt::headlessEventSources(), 0);
}

// Every control answers the mouse: the button pressed and let go at the point in its own
// coordinates, then a click for a control whose widget has none of its own; a button's click
// comes once. Properties Linux has no use for read back what a program set.
TEST(EveryControl, MouseEventsClicksAndKeptProperties) {
    ensureRegistered();
    RecordingSink sink;
    std::unique_ptr<script::Component> edit = makeControl("TEdit");
    std::unique_ptr<script::Component> button = makeControl("TButton");
    for (script::Component* c : {edit.get(), button.get()}) {
        c->setEventSink(&sink);
        c->setPublished("OnMouseDown", Value("Down"));
        c->setPublished("OnMouseUp", Value("Up"));
        c->setPublished("OnClick", Value("Click"));
    }
    QWidget* editWidget = dynamic_cast<Control*>(edit.get())->widget();
    editWidget->show();
    dynamic_cast<Control*>(button.get())->widget()->show();
    QTest::mouseClick(editWidget, Qt::LeftButton, Qt::ShiftModifier, QPoint(7, 5));
    ASSERT_EQ(sink.names(), (std::vector<std::string>{"Down", "Up", "Click"}));
    const std::vector<Value>& down = sink.calls[0].args;
    ASSERT_EQ(down.size(), 5u);
    EXPECT_EQ(down[1].toInt(), 0) << "mbLeft";
    EXPECT_EQ(down[2].toInt() & 1, 1) << "ssShift";
    EXPECT_EQ(down[3].toInt(), 7);
    EXPECT_EQ(down[4].toInt(), 5);

    sink.calls.clear();
    QTest::mouseClick(dynamic_cast<Control*>(button.get())->widget(), Qt::LeftButton);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"Down", "Up", "Click"}));

    Value v;
    ASSERT_TRUE(edit->getPublished("Ctl3D", v));
    EXPECT_TRUE(v.toBool());
    edit->setPublished("Ctl3D", Value(false));
    edit->getPublished("Ctl3D", v);
    EXPECT_FALSE(v.toBool());
    edit->setPublished("TabStop", Value(false));
    EXPECT_FALSE(editWidget->focusPolicy() & Qt::TabFocus);
    edit->getPublished("TabStop", v);
    EXPECT_FALSE(v.toBool());
    edit->setPublished("Cursor", Value(-21));
    EXPECT_EQ(editWidget->cursor().shape(), Qt::PointingHandCursor);
    edit->getPublished("TabOrder", v);
    EXPECT_EQ(v.toInt(), -1);
}
