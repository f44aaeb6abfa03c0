#include "library_calls.h"

#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "library/sysvar.h"

#include <sstream>

using namespace vorlan::library::testing;
using vorlan::czech;

namespace {

class SysVar : public ::testing::Test {
protected:
    void SetUp() override { lib.call("SysVarClear"); }
    void TearDown() override { lib.call("SysVarClear"); }

    // The box SysVarShow puts up.
    vorlan::MessageBoxRequest shownBox() {
        std::ostringstream log;
        std::vector<vorlan::MessageBoxRequest> boxes;
        auto headless = std::make_unique<vorlan::HeadlessUi>(&log);
        headless->setAnswer([&](const vorlan::MessageBoxRequest& r) {
            boxes.push_back(r);
            return vorlan::MessageResult::Ok;
        });
        auto previous = vorlan::setUi(std::move(headless));
        lib.call("SysVarShow");
        vorlan::setUi(std::move(previous));
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? vorlan::MessageBoxRequest{} : boxes[0];
    }

    LibraryCalls lib;
};

class Probe : public vorlan::script::Dispatch {
public:
    vorlan::script::DispId idOfName(std::string_view) override {
        return vorlan::script::kUnknownDispId;
    }
    DispStatus invoke(vorlan::script::DispId, unsigned, std::span<Value>, Value&,
                      vorlan::script::ExceptionInfo&) override {
        return DispStatus::UnknownName;
    }
};

} // namespace

TEST_F(SysVar, NamesFoldToUpperCaseAndUnknownNamesReadAsZero) {
    EXPECT_TRUE(lib.call("SysVarGet", {Value("never")}).identical(Value(0)));
    lib.call("SysVarSet", {Value("x"), Value(5)});
    EXPECT_TRUE(lib.call("SysVarGet", {Value("X")}).identical(Value(5)));
    lib.call("SysVarSet", {Value("X"), Value("two")});
    EXPECT_EQ(vorlan::library::systemVariables().size(), 1u);
    EXPECT_EQ(lib.text("SysVarGet", {Value("x")}), "two");
    lib.call("SysVarSet", {Value(czech("žluť")), Value(1.5)}); // Czech letters fold too
    EXPECT_TRUE(lib.call("SysVarGet", {Value(czech("ŽLUŤ"))}).identical(Value(1.5)));
    // The store belongs to the process: the next program run (another registry) still sees it.
    LibraryCalls nextRun;
    EXPECT_EQ(nextRun.text("SysVarGet", {Value("x")}), "two");
}

TEST_F(SysVar, ClearingReleasesTheStoredValues) {
    auto probe = std::make_shared<Probe>();
    std::weak_ptr<Probe> watch = probe;
    lib.call("SysVarSet", {Value("obj"), Value(vorlan::script::ObjectRef(std::move(probe)))});
    EXPECT_FALSE(watch.expired());
    lib.call("SysVarClear");
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(lib.call("SysVarGet", {Value("obj")}).identical(Value(0)));
}

TEST_F(SysVar, ShowBoxListsTheFirstTwentyFiveInOrder) {
    auto box = shownBox();
    EXPECT_EQ(box.text, czech("Nebyly definovány"));
    for (int i = 30; i >= 1; --i)
        lib.call("SysVarSet", {Value("v" + std::to_string(100 + i).substr(1)), Value(i)});
    box = shownBox();
    EXPECT_EQ(box.caption, czech("Systémové proměnné"));
    EXPECT_EQ(box.icon, vorlan::MessageIcon::Information);
    EXPECT_EQ(box.buttons, static_cast<unsigned>(vorlan::ButtonOk));
    std::string expected;
    for (int i = 1; i <= 25; ++i) {
        const std::string nn = std::to_string(100 + i).substr(1);
        expected += "(" + nn + ") - V" + nn + " ---> " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(box.text, expected);

    lib.call("SysVarClear");
    lib.call("SysVarSet", {Value("a"), Value(std::string(60, 'x'))});
    lib.call("SysVarSet", {Value("b"), Value(true)});
    lib.call("SysVarSet", {Value("c"), Value::null()});
    lib.call("SysVarSet", {Value("d"), Value(2.5)});
    lib.call(
        "SysVarSet",
        {Value("e"), Value(vorlan::script::VarArray::create(0, 2))}); // has no text, must not fail
    EXPECT_EQ(
        shownBox().text,
        "(01) - A ---> \"" + std::string(50, 'x') +
            "\"\n(02) - B ---> True\n(03) - C ---> \n(04) - D ---> 2.5\n(05) - E ---> (Array)\n");
}

TEST(SysVarCollation, CzechAlphabeticalOrder) {
    vorlan::library::CzechCollationLess less;
    // Č, Ř, Š, Ž are letters of their own, CH follows H, other accents only break ties.
    EXPECT_TRUE(less("CZ", czech("ČA")) && less(czech("ČZ"), "DA"));
    EXPECT_TRUE(less("HZ", "CHA") && less("CHZ", "IA"));
    EXPECT_TRUE(less(czech("ÁB"), "AC") && less("AB", czech("ÁB")));
    EXPECT_TRUE(less("_X", "1X") && less("9", "A") && less("A", "AA"));
    EXPECT_FALSE(less("ABC", "ABC"));
}
