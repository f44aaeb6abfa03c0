// An index after a member that takes none goes to the default property of the object the member
// answers: `Grid.Columns[0]` is `Grid.Columns.Items[0]`, for registered and published members,
// reading and writing; members that take an index keep it.
#include "pascal_fixture.h"

#include "script/bind.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"

#include <memory>
#include <string>
#include <vector>

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

struct TestColumn : NativeObject {
    explicit TestColumn(std::string name)
        : NativeObject("TTestColumn"), fieldName(std::move(name)) {}
    std::string fieldName;
};

struct TestColumns : NativeObject {
    TestColumns() : NativeObject("TTestColumns") {
        for (const char* name : {"A", "B", "C"})
            items.push_back(std::make_unique<TestColumn>(name));
    }
    std::vector<std::unique_ptr<TestColumn>> items;
};

struct TestNames : NativeObject {
    TestNames() : NativeObject("TTestNames") {}
    std::vector<std::string> names{"a", "b"};
};

// Columns and Names are registered properties, Sheet a published one; Cells takes an index.
struct TestGrid : Component {
    TestGrid() : Component("TTestGrid") { setPublished("Sheet", Value(wrapObject(&columns))); }
    TestColumns columns;
    TestNames names;
    std::vector<std::string> cells{"x", "y"};
};

class MemberIndex : public PascalTest {
protected:
    void SetUp() override {
        PascalTest::SetUp();
        static const bool done = [] {
            Registry& reg = registry();
            ClassBinder<TestColumn> column(reg, "TTestColumn");
            column.property(
                "FieldName", "string", [](TestColumn& c) { return c.fieldName; },
                [](TestColumn& c, std::string s) { c.fieldName = std::move(s); });
            ClassBinder<TestColumns> columns(reg, "TTestColumns");
            columns.defaultProperty("Items", "TTestColumn", [](TestColumns& c, int i) {
                return c.items.at(static_cast<std::size_t>(i)).get();
            });
            columns.property("Count", "Integer",
                             [](TestColumns& c) { return static_cast<int>(c.items.size()); });
            ClassBinder<TestNames> names(reg, "TTestNames");
            names.defaultProperty(
                "Strings", "string",
                [](TestNames& n, int i) { return n.names.at(static_cast<std::size_t>(i)); },
                [](TestNames& n, int i, std::string s) {
                    n.names.at(static_cast<std::size_t>(i)) = std::move(s);
                });
            ClassBinder<TestGrid> grid(reg, "TTestGrid", "TComponent",
                                       [](Component*) { return std::make_unique<TestGrid>(); });
            grid.property("Columns", "TTestColumns", [](TestGrid& g) { return &g.columns; });
            grid.property("Names", "TTestNames", [](TestGrid& g) { return &g.names; });
            grid.property(
                "Cells", "string",
                [](TestGrid& g, int i) { return g.cells.at(static_cast<std::size_t>(i)); },
                [](TestGrid& g, int i, std::string s) {
                    g.cells.at(static_cast<std::size_t>(i)) = std::move(s);
                });
            grid.property("Caption", "string", [](TestGrid&) { return std::string("Grid"); });
            return true;
        }();
        (void)done;
    }
};

TEST_F(MemberIndex, AnIndexAfterAMemberWithoutOneGoesToTheDefaultPropertyOfItsValue) {
    EXPECT_EQ(runText({"var G: TTestGrid;", "begin", "  G := TTestGrid.Create(nil);",
                       "  TestOut(G.Columns[1].FieldName);",
                       "  G.Columns[2].FieldName := 'Z'; TestOut(G.Columns.Items[2].FieldName);",
                       "  TestOut(G.Sheet[0].FieldName); TestOut(G.Columns.Count);",
                       "  G.Names[1] := 'q'; TestOut(G.Names[1]); TestOut(G.Names[0]);",
                       "  G.Cells[1] := 'w'; TestOut(G.Cells[1]); TestOut(G.Cells[0]);",
                       "  TestOut(G.Caption[3]);", "  G.Free;", "end."}),
              "B Z A 3 q a w x Grid");
    EXPECT_TRUE(errors.empty()) << errors.front().description;
}

TEST_F(MemberIndex, AFailingDefaultPropertyIsARunError) {
    run({"var G: TTestGrid;", "begin", "  G := TTestGrid.Create(nil);",
         "  TestOut(G.Columns[7].FieldName);", "  G.Free;", "end."});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 4);
    EXPECT_EQ(errors[0].position, 13); // at Columns, whose index is out of range
    EXPECT_TRUE(output().empty());
}

} // namespace
