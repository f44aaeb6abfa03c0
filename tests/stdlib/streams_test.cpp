#include "scratch_folder.h"
#include "script/dispatch.h"
#include "stdlib/streams.h"

#include <gtest/gtest.h>

using namespace vorlan::stdlib;
using vorlan::script::ScriptException;

TEST(MemoryStream, ReadWriteSeekAndCopy) {
    MemoryStream m;
    m.writeAll("hello");
    EXPECT_EQ(m.size(), 5);
    EXPECT_EQ(m.seek(-2, kFromEnd), 3);
    EXPECT_EQ(m.readText(10), "lo");
    EXPECT_EQ(m.readText(10), "");
    EXPECT_THROW(m.readExactly(1), ScriptException);
    // A write past the end fills the gap with zero bytes.
    m.setPosition(7);
    m.writeAll("!");
    EXPECT_EQ(m.data(), std::string("hello\0\0!", 8));
    EXPECT_THROW(m.seek(-1, kFromBeginning), ScriptException);
    EXPECT_THROW(m.seek(0, 7), ScriptException);
    EXPECT_THROW(m.setSize(-1), ScriptException);
    m.setSize(2);
    EXPECT_EQ(m.position(), 2);

    // Read and Write of scripts move strings of bytes.
    MemoryStream w;
    EXPECT_EQ(w.writePart("abcdef", 3), 3);
    EXPECT_EQ(w.writePart("xy", 9), 2);
    EXPECT_EQ(w.data(), "abcxy");
    EXPECT_THROW(w.writePartExactly("ab", 5), ScriptException);
    w.setPosition(1);
    std::string buffer;
    EXPECT_EQ(w.readInto(buffer, 3), 3);
    EXPECT_EQ(buffer, "bcx");
    EXPECT_THROW(w.readIntoExactly(buffer, 2), ScriptException);

    MemoryStream copy;
    EXPECT_EQ(copy.copyFrom(m, 0), 2); // 0: the whole source from its start
    EXPECT_EQ(copy.data(), "he");
    m.setPosition(1);
    EXPECT_THROW(copy.copyFrom(m, 5), ScriptException);
}

class FileStreams : public vorlan::stdlib_test::ScratchFolder {};

TEST_F(FileStreams, CreateOpenAndTheModes) {
    {
        FileStream f("T:\\DATA.BIN", kFileCreate);
        f.writeAll("abcdef");
        f.setPosition(2);
        EXPECT_EQ(f.readText(2), "cd");
        f.setSize(4);
        EXPECT_EQ(f.size(), 4);
    }
    EXPECT_EQ(read("DATA.BIN"), "abcd");
    {
        FileStream f("t:\\data.bin", kFileOpenRead | 0x40);
        EXPECT_EQ(f.readRest(), "abcd");
        EXPECT_THROW(f.writeAll("x"), ScriptException);
    }
    {
        FileStream f("T:\\DATA.BIN", kFileOpenWrite);
        f.seek(0, kFromEnd);
        f.writeAll("Z");
        EXPECT_EQ(f.readText(1), ""); // write-only
    }
    EXPECT_EQ(read("DATA.BIN"), "abcdZ");
    MemoryStream m;
    m.loadFromFile("T:\\DATA.BIN");
    EXPECT_EQ(m.data(), "abcdZ");
    m.saveToFile("T:\\COPY.BIN");
    EXPECT_EQ(read("COPY.BIN"), "abcdZ");
    EXPECT_THROW(FileStream("T:\\MISSING.BIN", kFileOpenRead), ScriptException);
    EXPECT_THROW(FileStream("T:\\NO\\DIR.BIN", kFileCreate), ScriptException);
    EXPECT_THROW(FileStream("T:\\", kFileOpenRead), ScriptException);
    EXPECT_THROW(m.loadFromFile("T:\\MISSING.BIN"), ScriptException);
}
