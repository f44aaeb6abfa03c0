#include "library_calls.h"
#include "temp_drive.h"

#include "library/files_system.h"

using namespace vorlan::library::testing;

namespace {

class StreamedFiles : public TempDrive {
protected:
    void SetUp() override {
        TempDrive::SetUp();
        vorlan::library::closeStreamedFiles();
    }
    void TearDown() override {
        vorlan::library::closeStreamedFiles();
        TempDrive::TearDown();
    }
    LibraryCalls lib;
};

} // namespace

TEST_F(StreamedFiles, EmptySlotsGiveNeutralResults) {
    for (const char* name : {"FileReadGetPos", "FileWriteGetPos", "FileReadSize", "FileWriteSize"})
        EXPECT_EQ(lib.integer(name), -1) << name;
    EXPECT_EQ(lib.text("FileReadLine"), "");
    EXPECT_EQ(lib.text("FileReadBlock", {Value(5)}), "");
    lib.call("FileWriteBlock", {Value("lost")});
    lib.call("FileReadSetPos", {Value(3)});
    lib.call("FileReadClose");
    lib.call("FileWriteClose");
}

TEST_F(StreamedFiles, ReadLineKeepsTheLineEnd) {
    write("lines.txt", "ab\r\ncd");
    lib.call("FileReadOpen", {Value("T:\\LINES.TXT")});
    EXPECT_EQ(lib.integer("FileReadSize"), 6);
    EXPECT_EQ(lib.text("FileReadLine"), "ab\r\n");
    EXPECT_EQ(lib.integer("FileReadGetPos"), 4);
    EXPECT_EQ(lib.text("FileReadLine"), "cd");
    EXPECT_EQ(lib.text("FileReadLine"), "");
    write("lf.txt", "\n\nx\n");
    lib.call("FileReadOpen", {Value("T:\\lf.txt")});
    EXPECT_EQ(lib.text("FileReadLine"), "\n");
    EXPECT_EQ(lib.text("FileReadLine"), "\n");
    EXPECT_EQ(lib.text("FileReadLine"), "x\n");
    EXPECT_EQ(lib.text("FileReadLine"), "");
}

TEST_F(StreamedFiles, ReadBlockGivesWhatIsLeft) {
    write("six.bin", std::string("ab\0def", 6));
    lib.call("FileReadOpen", {Value("T:\\SIX.BIN")});
    EXPECT_EQ(lib.text("FileReadBlock", {Value(0)}), "");
    EXPECT_EQ(lib.text("FileReadBlock", {Value(2)}), "ab");
    EXPECT_EQ(lib.text("FileReadBlock", {Value(10)}), std::string("\0def", 4));
    EXPECT_EQ(lib.text("FileReadBlock", {Value(10)}), "");
    lib.call("FileReadSetPos", {Value(1)});
    EXPECT_EQ(lib.text("FileReadBlock", {Value(std::numeric_limits<std::int32_t>::max())}),
              std::string("b\0def", 5));
}

TEST_F(StreamedFiles, OpeningAMissingFileLeavesTheReadSlotAsItWas) {
    write("a.txt", "first\n");
    lib.call("FileReadOpen", {Value("T:\\A.TXT")});
    EXPECT_EQ(lib.text("FileReadBlock", {Value(2)}), "fi");
    for (const char* missing : {"T:\\MISSING.TXT", "Q:\\A.TXT", "T:\\"})
        lib.call("FileReadOpen", {Value(missing)});
    EXPECT_EQ(lib.text("FileReadLine"), "rst\n");
    lib.call("FileReadClose");
    lib.call("FileReadClose");
    EXPECT_EQ(lib.text("FileReadLine"), "");
    EXPECT_EQ(lib.integer("FileReadGetPos"), -1);
}

TEST_F(StreamedFiles, WritingAddsNoLineEndsAndMayLeaveGaps) {
    write("out.txt", "old contents that must go");
    lib.call("FileWriteOpen", {Value("T:\\OUT.TXT")});
    EXPECT_EQ(lib.integer("FileWriteSize"), 0);
    lib.call("FileWriteLine", {Value("x")});
    lib.call("FileWriteLine", {Value("y")});
    EXPECT_EQ(lib.integer("FileWriteSize"), 2);
    lib.call("FileWriteSetPos", {Value(5)});
    EXPECT_EQ(lib.integer("FileWriteSize"), 2); // moving alone does not grow the file
    lib.call("FileWriteBlock", {Value(std::string("z\0", 2))});
    EXPECT_EQ(lib.integer("FileWriteGetPos"), 7);
    lib.call("FileWriteSetPos", {Value(0)});
    lib.call("FileWriteBlock", {Value("X")});
    lib.call("FileWriteClose");
    EXPECT_EQ(read("out.txt"), std::string("Xy\0\0\0z\0", 7));

    // A failed open leaves the slot empty, and the earlier file keeps what it had.
    lib.call("FileWriteOpen", {Value("T:\\ONE.TXT")});
    lib.call("FileWriteBlock", {Value("1")});
    lib.call("FileWriteOpen", {Value("T:\\NO\\SUCH\\DIR.TXT")});
    EXPECT_EQ(lib.integer("FileWriteGetPos"), -1);
    lib.call("FileWriteBlock", {Value("2")});
    EXPECT_EQ(read("ONE.TXT"), "1");
}
