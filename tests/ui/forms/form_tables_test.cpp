// The property and class tables of the forms layer, without an application object: the form
// classes register without making a single widget, and the tables look names up as the forms
// layer relies on.

#include "script/bind.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "ui/qt/forms/data_grid_columns.h"
#include "ui/qt/forms/file_dialogs.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/forms/property_table.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace vorlan;
using namespace vorlan::forms;
using script::Value;

namespace {

// A small class family: a base with a sub-object, and a descendant that overrides one of the
// base's properties, passes another on and declines a third for some objects.
class Part : public script::NativeObject {
public:
    Part() : script::NativeObject("TPart") {}
    static const PropertyTable& propertyTable() {
        static const auto table =
            PropertyTable::of<Part>(nullptr, {{"Size", &Part::size, &Part::size}});
        return table;
    }
    std::int32_t size = 8;
};

class Base : public script::NativeObject {
public:
    explicit Base(std::string cls = "TBase") : script::NativeObject(std::move(cls)) {}
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<Base>(
            nullptr, {
                         {"Caption", &Base::caption, &Base::caption},
                         {"Width", &Base::width, [](Base& b, std::int32_t w) { b.width = w; }},
                         {"Tag", &Base::tag, &Base::tag},
                         {"Part", subObject, [](const Base& b) { return &b.part; }},
                     });
        return table;
    }
    std::string caption;
    std::int32_t width = 0;
    std::int32_t tag = 0;
    Part part;
};

class Derived : public Base {
public:
    Derived() : Base("TDerived") {}
    static const PropertyTable& propertyTable() {
        static const auto table = PropertyTable::of<Derived>(
            &Base::propertyTable(),
            {
                // Counted here, then stored by the base as well.
                {"Width", nullptr,
                 [](Derived& d, std::int32_t) {
                     ++d.widthChanges;
                     return false;
                 }},
                {"Caption", [](const Derived& d) { return "[" + d.caption + "]"; }},
                // Only a read-only object answers; the others leave it to the base.
                {"Tag",
                 [](const Derived& d) -> std::optional<Value> {
                     if (!d.readOnly) return std::nullopt;
                     return Value(-1);
                 }},
                {"ReadOnly", &Derived::readOnly, &Derived::readOnly},
            });
        return table;
    }
    int widthChanges = 0;
    bool readOnly = false;
};

Value read(const PropertyTable& table, const script::NativeObject& o, std::string_view name) {
    Value out;
    EXPECT_TRUE(table.get(o, name, out)) << name;
    return out;
}

} // namespace

TEST(PropertyTable, FindsNamesWithoutRegardToCaseThroughTheAncestors) {
    Derived d;
    const PropertyTable& table = Derived::propertyTable();
    EXPECT_TRUE(table.set(d, "cAPTION", Value("Hi")));
    EXPECT_EQ(d.caption, "Hi");
    // The descendant's getter wins over the base's; the base's setter did the writing.
    EXPECT_EQ(read(table, d, "caption").toString(), "[Hi]");
    EXPECT_EQ(read(Base::propertyTable(), d, "Caption").toString(), "Hi");
    // Written by the descendant, which passes the value on, and stored by the base.
    EXPECT_TRUE(table.set(d, "WIDTH", Value("42")));
    EXPECT_EQ(d.widthChanges, 1);
    EXPECT_EQ(read(table, d, "width").toInt(), 42);
    // A getter that declines leaves the name to the base.
    d.tag = 7;
    EXPECT_EQ(read(table, d, "Tag").toInt(), 7);
    EXPECT_TRUE(table.set(d, "readonly", Value(true)));
    EXPECT_EQ(read(table, d, "Tag").toInt(), -1);

    Value out;
    EXPECT_FALSE(table.get(d, "Height", out));
    EXPECT_FALSE(table.set(d, "Height", Value(1)));
    EXPECT_EQ(table.find("Width")->name, "Width");
    EXPECT_EQ(table.find("Height"), nullptr);
}

TEST(PropertyTable, DottedNamesGoToTheObjectPropertyAndStayThere) {
    Derived d;
    const PropertyTable& table = Derived::propertyTable();
    EXPECT_TRUE(table.set(d, "part.SIZE", Value(12)));
    EXPECT_EQ(d.part.size, 12);
    EXPECT_EQ(read(table, d, "Part.Size").toInt(), 12);
    EXPECT_TRUE(read(table, d, "Part").isObject());
    // A property the object does not have is no one else's either.
    Value out;
    EXPECT_FALSE(table.set(d, "Part.Colour", Value(1)));
    EXPECT_FALSE(table.get(d, "Part.Colour", out));
    EXPECT_TRUE(table.isObjectPath("PART.Colour"));
    EXPECT_FALSE(table.isObjectPath("Caption.Colour"));
    EXPECT_FALSE(table.isObjectPath("Part"));
}

TEST(PropertyTable, ANameListedTwiceIsRefused) {
    EXPECT_THROW(PropertyTable::of<Base>(nullptr, {{"Tag", &Base::tag}, {"TAG", &Base::tag}}),
                 std::logic_error);
}

TEST(PropertyTable, ComponentsKeepWhatNoTableKnowsInTheirBag) {
    FileDialog dialog("TOpenDialog");
    EXPECT_TRUE(dialog.setPublished("filter", Value("Texty|*.txt")));
    EXPECT_TRUE(dialog.setPublished("HelpContext", Value(12)));
    Value out;
    ASSERT_TRUE(dialog.getPublished("Filter", out));
    EXPECT_EQ(out.toString(), "Texty|*.txt");
    ASSERT_TRUE(dialog.getPublished("helpcontext", out));
    EXPECT_EQ(out.toInt(), 12);
    // Only the unknown property went to the bag.
    const auto names = dialog.publishedNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "HelpContext"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "filter"), 0);
}

TEST(PropertyTable, GridColumnsTakeTheirTitleByDottedName) {
    int looks = 0, layouts = 0;
    GridColumn column([&](ColumnChange c) { ++(c == ColumnChange::Look ? looks : layouts); });
    EXPECT_TRUE(column.set("Title.Caption", Value("Jmeno")));
    EXPECT_TRUE(column.set("fieldname", Value("JMENO")));
    EXPECT_FALSE(column.set("Title.Font", Value(1)));
    EXPECT_EQ(column.caption(), "Jmeno");
    EXPECT_EQ(column.fieldName(), "JMENO");
    EXPECT_EQ(looks, 1);
    EXPECT_EQ(layouts, 1);
    Value out;
    ASSERT_TRUE(column.get("Title.Alignment", out));
    EXPECT_EQ(out.toString(), "taLeftJustify");
}

// Registration reads the class tables only: no widget is made, so no application is needed
// (a widget made here would abort the run).
class FormRegistration : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(QCoreApplication::instance(), nullptr);
        script::registerEngineBuiltins(reg());
        registerFormClasses(reg());
    }
    static script::Registry& reg() {
        static script::Registry registry;
        return registry;
    }
};

TEST_F(FormRegistration, EveryCatalogClassIsRegisteredWithItsParentAndFactory) {
    const auto& catalog = formClassCatalog();
    ASSERT_GT(catalog.size(), 80u);
    for (const FormClass* c : catalog) {
        SCOPED_TRACE(c->name);
        const script::ClassInfo* info = reg().findClass(c->name);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(reg().isClassOrDescendant(c->name, c->parent));
        EXPECT_EQ(static_cast<bool>(info->factory), c->make != nullptr);
        EXPECT_EQ(findFormClass(c->name), c) << "listed twice";
        // Components without a window have no size; controls with one start inside it.
        if (!c->size.isEmpty()) {
            EXPECT_TRUE(reg().isClassOrDescendant(c->name, "TControl"));
        }
        if (c->enterAsTab) {
            EXPECT_FALSE(c->size.isEmpty());
        }
    }
    EXPECT_EQ(findFormClass("tdataedit"), findFormClass("TDataEdit"));
    EXPECT_EQ(findFormClass("TNoSuchControl"), nullptr);
    EXPECT_EQ(makeControl("TNoSuchControl"), nullptr);
    EXPECT_EQ(makeControl("TCustomEdit"), nullptr);
}

TEST_F(FormRegistration, BindingsAgreeWithTheirDeclarations) {
    EXPECT_EQ(script::bindingMismatches(), std::vector<std::string>{});
    // A second registration changes nothing.
    const auto before = reg().findMember("TStringGridStrings", "Add").method;
    registerFormClasses(reg());
    EXPECT_EQ(reg().findMember("TStringGridStrings", "Add").method, before);
}

TEST_F(FormRegistration, ACallOnTheWrongObjectNamesTheScriptClass) {
    // A component of another class reaching a control's method names the class scripts know.
    script::Component plain("TPlain");
    for (const auto& [cls, method] :
         {std::pair{"TControl", "Show"}, {"TStringGridStrings", "Add"}}) {
        const script::MethodInfo* m = reg().findMember(cls, method).method;
        ASSERT_NE(m, nullptr);
        Value args[1] = {Value("x")};
        Value result;
        try {
            m->entry(&plain, std::span<Value>(args, m->signature.params.size()), result);
            ADD_FAILURE() << "no error";
        } catch (const script::ScriptException& e) {
            EXPECT_EQ(std::string(e.what()), std::string("The object is not a ") + cls);
        }
    }
}
