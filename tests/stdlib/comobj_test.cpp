#include "core/cp1250.h"
#include "scratch_folder.h"
#include "script/dispatch.h"
#include "stdlib/dictionary.h"
#include "stdlib/file_system_object.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::stdlib;
using script::ScriptException;
using script::Value;

TEST(Dictionary, KeysByTypeAndValueInInsertionOrder) {
    Dictionary d;
    d.add(Value(1), Value("one"));
    d.add(Value("1"), Value("text one"));
    EXPECT_THROW(d.add(Value(1.0), Value("again")), ScriptException);
    EXPECT_EQ(d.item(Value(1.0)).toString(), "one");
    d.setItem(Value("b"), Value(2));
    EXPECT_EQ(d.count(), 3);
    EXPECT_FALSE(d.exists(Value("B")));
    // Reading a missing key adds it.
    EXPECT_TRUE(d.item(Value("new")).isEmpty());
    EXPECT_EQ(d.count(), 4);
    d.renameKey(Value("new"), Value("renamed"));
    const Value keys = d.keys();
    ASSERT_EQ(keys.asArray()->size(), 4u);
    EXPECT_EQ(keys.asArray()->items()[3].toString(), "renamed");
    EXPECT_EQ(d.items().asArray()->items()[1].toString(), "text one");
    d.remove(Value("1"));
    EXPECT_THROW(d.remove(Value("1")), ScriptException);
    EXPECT_THROW(d.setCompareMode(1), ScriptException);
    d.removeAll();
    d.setCompareMode(1);
    d.add(Value(czech("Žluť")), Value(1));
    EXPECT_TRUE(d.exists(Value(czech("žLUŤ"))));
    EXPECT_THROW(d.add(Value(script::VarArray::create(0, 1)), Value()), ScriptException);
}

TEST(FileSystemObject, PathTexts) {
    EXPECT_EQ(winpath::fileName("C:\\Data\\Firma.dbf"), "Firma.dbf");
    EXPECT_EQ(winpath::fileName("C:\\Data\\"), "Data");
    EXPECT_EQ(winpath::fileName("C:\\"), "");
    EXPECT_EQ(winpath::baseName("C:/a/archiv.tar.gz"), "archiv.tar");
    EXPECT_EQ(winpath::extensionName("C:\\a\\archiv.tar.gz"), "gz");
    EXPECT_EQ(winpath::extensionName("C:\\a\\bez"), "");
    EXPECT_EQ(winpath::parentFolderName("C:\\Data\\Firma.dbf"), "C:\\Data");
    EXPECT_EQ(winpath::parentFolderName("C:\\Data"), "C:\\");
    EXPECT_EQ(winpath::parentFolderName("Firma.dbf"), "");
    EXPECT_EQ(winpath::parentFolderName("C:\\"), "");
    EXPECT_EQ(winpath::buildPath("C:\\Data", "x.txt"), "C:\\Data\\x.txt");
    EXPECT_EQ(winpath::buildPath("C:\\Data\\", "\\x.txt"), "C:\\Data\\x.txt");
    EXPECT_EQ(winpath::buildPath("", "x.txt"), "x.txt");
}

class FileSystem : public stdlib_test::ScratchFolder {};

TEST_F(FileSystem, FilesAndFoldersThroughThePathMapper) {
    FileSystemObject fso;
    fso.createFolder("T:\\Data");
    EXPECT_TRUE(fso.folderExists("t:\\DATA"));
    EXPECT_THROW(fso.createFolder("T:\\Data"), ScriptException);
    EXPECT_THROW(fso.createFolder("T:\\No\\Deeper"), ScriptException);
    write("Data/a.txt", "A");
    EXPECT_TRUE(fso.fileExists("T:\\DATA\\A.TXT"));
    EXPECT_FALSE(fso.fileExists("T:\\DATA"));
    fso.copyFile("T:\\Data\\a.txt", "T:\\Data\\b.txt", false);
    EXPECT_THROW(fso.copyFile("T:\\Data\\a.txt", "T:\\Data\\b.txt", false), ScriptException);
    fso.copyFile("T:\\Data\\a.txt", "T:\\", true);
    EXPECT_EQ(read("a.txt"), "A");
    fso.moveFile("T:\\Data\\b.txt", "T:\\c.txt");
    EXPECT_FALSE(exists("Data/b.txt"));
    EXPECT_THROW(fso.moveFile("T:\\c.txt", "T:\\a.txt"), ScriptException);
    fso.deleteFile("T:\\c.txt", false);
    EXPECT_THROW(fso.deleteFile("T:\\c.txt", false), ScriptException);
    fso.deleteFolder("T:\\Data", true);
    EXPECT_FALSE(exists("Data"));
    EXPECT_THROW(fso.copyFile("T:\\missing", "T:\\x", true), ScriptException);
}

TEST_F(FileSystem, TextStreams) {
    {
        TextStream out("T:\\TEXT.TXT", kForWriting, true, false);
        out.writeLine(czech("První řádek"));
        out.write("druhy");
        out.writeBlankLines(1);
        EXPECT_EQ(out.line(), 3);
        EXPECT_THROW(out.readLine(), ScriptException);
        out.close();
        EXPECT_THROW(out.write("x"), ScriptException);
    }
    EXPECT_EQ(read("TEXT.TXT"), czech("První řádek") + "\r\ndruhy\r\n");
    {
        TextStream app("T:\\text.txt", kForAppending, false, false);
        app.write("konec");
    }
    TextStream in("T:\\TEXT.TXT", kForReading, false, false);
    EXPECT_EQ(in.readLine(), czech("První řádek"));
    EXPECT_EQ(in.read(3), "dru");
    EXPECT_FALSE(in.atEndOfLine());
    EXPECT_EQ(in.readLine(), "hy");
    EXPECT_EQ(in.line(), 3);
    EXPECT_EQ(in.readAll(), "konec");
    EXPECT_TRUE(in.atEndOfStream());
    EXPECT_THROW(in.readLine(), ScriptException);
    EXPECT_THROW(in.write("x"), ScriptException);

    // Unicode files: UTF-16 with its mark, read back whatever is asked.
    {
        TextStream u("T:\\U.TXT", kForWriting, true, true);
        u.writeLine(czech("Žluť"));
    }
    EXPECT_EQ(read("U.TXT"), std::string("\xFF\xFE\x7D\x01l\0u\0\x65\x01\r\0\n\0", 14));
    TextStream u("T:\\U.TXT", kForReading, false, false);
    EXPECT_EQ(u.readLine(), czech("Žluť"));

    EXPECT_THROW(TextStream("T:\\MISSING.TXT", kForReading, false, false), ScriptException);
    TextStream created("T:\\NEW.TXT", kForReading, true, false);
    EXPECT_TRUE(created.atEndOfStream());
    EXPECT_TRUE(exists("NEW.TXT"));
}
