// Every class of the catalog that scripts and forms can create makes a component of its own
// name, and a control starts at its class's size with its class's Enter key.

#include "forms_fixture.h"

#include "script/comp_wrapper.h"
#include "ui/qt/forms/form_catalog.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;

TEST(FormCatalog, EachFactoryMakesItsClassAtItsSize) {
    ensureRegistered();
    int made = 0;
    for (const FormClass* c : formClassCatalog()) {
        if (!c->make) continue;
        SCOPED_TRACE(c->name);
        auto component = makeControl(c->name);
        ASSERT_NE(component, nullptr);
        ++made;
        EXPECT_EQ(component->className(), c->name);
        // Scripts creating the class get the same kind of object as forms naming it.
        const script::ClassInfo* info = script::registry().findClass(c->name);
        ASSERT_TRUE(info && info->factory);
        auto created = info->factory(nullptr);
        ASSERT_NE(created, nullptr);
        EXPECT_EQ(typeid(*created), typeid(*component));
        auto* control = dynamic_cast<Control*>(component.get());
        if (c->size.isEmpty()) {
            // Only forms are windows without a size of their own.
            if (control) {
                EXPECT_NE(dynamic_cast<Form*>(control), nullptr);
            }
            continue;
        }
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->storedWidth(), c->size.width());
        EXPECT_EQ(control->storedHeight(), c->size.height());
        // A label may grow to fit its text in the platform's font.
        EXPECT_GE(control->widget()->width(), c->size.width());
        EXPECT_GE(control->widget()->height(), c->size.height());
        EXPECT_EQ(control->enterAsTab(), c->enterAsTab);
    }
    EXPECT_GT(made, 60);
    // Names as form files spell them.
    auto edit = makeControl("teditenter");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(static_cast<Control&>(*edit).enterAsTab());
    EXPECT_EQ(edit->className(), "teditenter");
}
