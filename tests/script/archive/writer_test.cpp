#include "archive_test_util.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/archive/archive_writer.h"
#include "script/stream/component_stream.h"

#include <gtest/gtest.h>

namespace vorlan::archive {
namespace {

using test::int32At;
using test::ScratchFolder;

const std::string kWriterForm("TPF0\x06TForm1\x05"
                              "Form1\x04Left\x02\x0A\0\0",
                              26);

ArchiveContents sampleContents() {
    ArchiveContents c;
    c.block1 = std::string("\0\1\2 kept", 8);
    c.projectItems = {{"MAIN.ZLM", "", "", "", true},
                      {"DATA.DBF", "F1", "TTable", std::string(300, 'p'), false}};
    c.modules.push_back(
        {"MAIN.ZLM",
         {"procedure Main", "", utf8ToCp1250("  ShowMessage('Ahoj světe')"), std::string(255, '#')},
         kWriterForm});
    c.modules.push_back({"LIB.BAS", {"x = 1"}, {}});
    c.modules.push_back({"EMPTY.JSE", {}, {}});
    return c;
}

TEST(ArchiveWriter, WhatIsWrittenReadsBack) {
    const ArchiveContents c = sampleContents();
    auto file = ArchiveFile::fromBytes(writeProgramArchive(c), "T.VRL");
    ASSERT_TRUE(file->hasMagic());
    EXPECT_EQ(file->versionText(), "2.04 - 31/12/2000");
    EXPECT_EQ(file->block1(), c.block1);
    EXPECT_EQ(projectItemsFromStream(stream::readComponentStream(file->projectBlock())),
              c.projectItems);

    const auto entries = file->directory();
    ASSERT_EQ(entries.size(), c.modules.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(c.modules[i].name);
        EXPECT_EQ(entries[i].name, c.modules[i].name);
        const SourceBlock source = file->source(entries[i]);
        EXPECT_EQ(source.lines, c.modules[i].lines);
        EXPECT_EQ(source.padLength, 7);
        EXPECT_EQ(file->form(entries[i]), c.modules[i].form);
        EXPECT_EQ(entries[i].formSize, static_cast<std::int32_t>(c.modules[i].form.size()));
    }
}

TEST(ArchiveWriter, FollowsTheLayout) {
    ArchiveContents c;
    c.versionText = "1.5";
    c.padLength = 0;
    c.projectStream = "PRJ";
    c.modules.push_back({"A.ZLM", {"x"}, "FORM"});
    const std::string bytes = writeProgramArchive(c);
    EXPECT_EQ(bytes.substr(0, 13), "FENWAR VORLAN");
    EXPECT_EQ(unscrambleText(bytes.substr(27, 17), kVersionKey), "1.5              ");
    EXPECT_EQ(int32At(bytes, 128), 0);
    EXPECT_EQ(int32At(bytes, 132), 3);
    EXPECT_EQ(bytes.substr(136, 3), "PRJ");
    EXPECT_EQ(int32At(bytes, 139), 1);
    const std::size_t entry = 143;
    EXPECT_EQ(unscrambleText(bytes.substr(entry + 1, 5), kNameKey), "A.ZLM");
    const std::int32_t formAt = int32At(bytes, entry + 6);
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(formAt), 4), "FORM");
    const std::int32_t sourceAt = int32At(bytes, entry + 14);
    EXPECT_EQ(int32At(bytes, static_cast<std::size_t>(sourceAt)), 1);
    EXPECT_EQ(bytes[static_cast<std::size_t>(sourceAt) + 4], '\0');
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(sourceAt) + 5),
              "\x01" + scrambleText("x", 0x5CE1));

    EXPECT_EQ(fitVersionText("2.04 - 31/12/2000 (X)"), "2.04 - 31/12/2000");
}

TEST(ArchiveWriter, RefusesWhatTheLayoutCannotHold) {
    ArchiveContents c;
    c.projectStream = "";
    c.modules.push_back({"OK.ZLM", {"a"}, {}});
    c.modules.push_back({"LONG.ZLM", {"a", "b", std::string(256, 'x')}, {}});
    try {
        writeProgramArchive(c);
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Modul LONG.ZLM, řádek 3: 256 B, řádek smí mít nejvýš 255 B");
    }
    c.modules.pop_back();
    c.padLength = 256;
    EXPECT_THROW(writeProgramArchive(c), std::invalid_argument);
    c.padLength = 0;
    c.modules.push_back({std::string(256, 'N'), {}, {}});
    EXPECT_THROW(writeProgramArchive(c), std::invalid_argument);
}

TEST(Project, ItemsSurviveTheStream) {
    const std::vector<ProjectItem> items = sampleContents().projectItems;
    const stream::StreamObject object = projectToStream(items);
    EXPECT_EQ(object.className, "TIDEProject");
    EXPECT_EQ(
        projectItemsFromStream(stream::readComponentStream(stream::writeComponentStream(object))),
        items);
    // Defaults are left out as the development environment leaves them out.
    const auto& first = object.property("ProjectItems")->items[0].properties;
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].name, "FileName");
    EXPECT_EQ(first[1].name, "ObjectOpened");
    EXPECT_TRUE(projectItemsFromStream(projectToStream({})).empty());
    EXPECT_TRUE(projectItemsFromStream(stream::StreamObject{}).empty());
}

TEST(Project, ForeignShapesAreReadOrRefused) {
    stream::StreamObject project;
    stream::StreamProperty items{"ProjectItems", {}};
    items.value.kind = stream::ValueKind::Collection;
    stream::CollectionItem item;
    stream::StreamProperty name{"filename", {}};
    name.value.kind = stream::ValueKind::WString;
    name.value.wide = u"P\u0158\u00CDKLAD.ZLM";
    item.properties.push_back(name);
    item.properties.push_back({"Unknown", {}});
    items.value.items.push_back(item);
    project.properties.push_back(items);
    EXPECT_EQ(projectItemsFromStream(project)[0].fileName, utf8ToCp1250("PŘÍKLAD.ZLM"));

    project.properties[0].value.items[0].properties[0].value.kind = stream::ValueKind::Int8;
    EXPECT_THROW(projectItemsFromStream(project), ArchiveError);
    project.properties[0].value.kind = stream::ValueKind::List;
    EXPECT_THROW(projectItemsFromStream(project), ArchiveError);
}

TEST(Project, BlockIsReadFromAnArchiveFile) {
    ScratchFolder folder;
    const ArchiveContents c = sampleContents();
    writeProgramArchiveFile(c, folder.path() / "APP.VRL");
    const std::string block = readArchiveProjectBlock((folder.path() / "app.vrl").string());
    EXPECT_EQ(projectItemsFromStream(stream::readComponentStream(block)), c.projectItems);
    EXPECT_THROW(readArchiveProjectBlock((folder.path() / "none.vrl").string()), ArchiveError);
    folder.write("NOT.VRL", "plain text, no archive");
    EXPECT_THROW(readArchiveProjectBlock((folder.path() / "NOT.VRL").string()), ArchiveError);
}

} // namespace
} // namespace vorlan::archive
