// Files and folders through the path mapper: a scratch folder is drive T:.
#include "stdlib_calls.h"

#include "core/path_mapper.h"
#include "stdlib/sysutils_dates.h"
#include "stdlib/sysutils_files.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;
namespace fs = std::filesystem;

namespace {

class FilesTest : public StdlibTest {
protected:
    void SetUp() override {
        StdlibTest::SetUp();
        savedDrives_ = pathMapper().drives();
        savedCwd_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "vorlan_stdlib_XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        pathMapper().setDriveRoot('T', root_);
        fs::current_path(root_);
    }
    void TearDown() override {
        fs::current_path(savedCwd_);
        pathMapper().clearDrives();
        for (const auto& [drive, path] : savedDrives_)
            pathMapper().setDriveRoot(drive, path);
        fs::remove_all(root_);
        StdlibTest::TearDown();
    }
    void write(const std::string& name, const std::string& text = "x") {
        std::ofstream(root_ / name) << text;
    }
    bool yes(const char* name, std::vector<Value> args) { return call(name, args).toBool(); }

    fs::path root_;

private:
    std::map<char, fs::path> savedDrives_;
    fs::path savedCwd_;
};

} // namespace

TEST_F(FilesTest, FoldersAndFilesThroughTheMapper) {
    write("DATA.TXT");
    EXPECT_TRUE(yes("DirectoryExists", {Value("T:\\")}));
    EXPECT_FALSE(yes("DirectoryExists", {Value("T:\\DATA.TXT")}));
    EXPECT_TRUE(yes("ForceDirectories", {Value("T:\\A\\B\\C\\")}));
    EXPECT_TRUE(fs::is_directory(root_ / "A" / "B" / "C"));
    EXPECT_TRUE(yes("RenameFile", {Value("t:\\data.txt"), Value("T:\\A\\NEW.TXT")}));
    EXPECT_TRUE(fs::exists(root_ / "A" / "NEW.TXT"));
    write("OTHER.TXT");
    // The new name exists already: nothing moves.
    EXPECT_FALSE(yes("RenameFile", {Value("T:\\OTHER.TXT"), Value("T:\\A\\NEW.TXT")}));
    EXPECT_TRUE(yes("DeleteFile", {Value("T:\\OTHER.TXT")}));
    EXPECT_FALSE(fs::exists(root_ / "OTHER.TXT"));
}

TEST_F(FilesTest, MissingPathsAnswerFalseOrMinusOne) {
    for (const char* name : {"DeleteFile", "DirectoryExists"}) {
        EXPECT_FALSE(yes(name, {Value("T:\\NIC\\NENI.TXT")})) << name;
        EXPECT_FALSE(yes(name, {Value("")})) << name;
        EXPECT_FALSE(yes(name, {Value("Q:\\UNMAPPED")})) << name;
    }
    EXPECT_FALSE(yes("RenameFile", {Value("T:\\NENI"), Value("T:\\JINY")}));
    EXPECT_FALSE(yes("ForceDirectories", {Value("Q:\\X")}));
    EXPECT_EQ(call("FileAge", {Value("T:\\NENI")}).toInt(), -1);
    EXPECT_EQ(call("FileGetAttr", {Value("T:\\NENI")}).toInt(), -1);
    EXPECT_NE(call("FileSetAttr", {Value("T:\\NENI"), Value(1)}).toInt(), 0);
    EXPECT_EQ(text("FileSearch", {Value("NENI.TXT"), Value("T:\\;T:\\A")}), "");
}

TEST_F(FilesTest, AttributesAndFileDates) {
    write("R.TXT");
    EXPECT_EQ(call("FileGetAttr", {Value("T:\\R.TXT")}).toInt(), kFaArchive);
    EXPECT_EQ(call("FileSetAttr", {Value("T:\\R.TXT"), Value(kFaReadOnly)}).toInt(), 0);
    EXPECT_EQ(call("FileGetAttr", {Value("T:\\R.TXT")}).toInt(), kFaArchive | kFaReadOnly);
    call("FileSetAttr", {Value("T:\\R.TXT"), Value(0)});
    EXPECT_EQ(call("FileGetAttr", {Value("T:\\")}).toInt() & kFaDirectory, kFaDirectory);
    const std::int32_t age = call("FileAge", {Value("T:\\R.TXT")}).toInt();
    const double when = fileDateToDateTime(age).days;
    EXPECT_LT(std::abs(when - now().days), 1.0 / 24);
    const DateTime d{encodeDate(2001, 2, 3).days + encodeTime(4, 5, 6, 0).days};
    EXPECT_EQ(fileDateToDateTime(dateTimeToFileDate(d)).days, d.days);
    EXPECT_EQ(text("FileSearch", {Value("R.TXT"), Value("T:\\A;T:\\")}), "T:\\R.TXT");
}

TEST_F(FilesTest, NamesAreSplitByTheirText) {
    EXPECT_EQ(extractFileName("C:\\DATA\\FIRMA.DBF"), "FIRMA.DBF");
    EXPECT_EQ(extractFilePath("C:\\DATA\\FIRMA.DBF"), "C:\\DATA\\");
    EXPECT_EQ(extractFileDir("C:\\DATA\\FIRMA.DBF"), "C:\\DATA");
    EXPECT_EQ(extractFileDir("C:\\FIRMA.DBF"), "C:\\");
    EXPECT_EQ(extractFileDrive("C:\\DATA"), "C:");
    EXPECT_EQ(extractFileDrive("\\\\server\\share\\dir"), "\\\\server\\share");
    EXPECT_EQ(extractFileExt("C:\\DATA.OLD\\FIRMA"), "");
    EXPECT_EQ(extractFileExt("a/b.c/d.txt"), ".txt");
    EXPECT_EQ(changeFileExt("C:\\DATA\\FIRMA.DBF", ".NTX"), "C:\\DATA\\FIRMA.NTX");
    EXPECT_EQ(changeFileExt("FIRMA", ".BAK"), "FIRMA.BAK");
    EXPECT_EQ(includeTrailingBackslash("C:\\X"), "C:\\X\\");
    EXPECT_EQ(excludeTrailingBackslash("C:\\X\\"), "C:\\X");
    EXPECT_EQ(expandFileName("A\\..\\B\\.\\C.TXT"), "T:\\B\\C.TXT");
    EXPECT_EQ(expandFileName("\\X.TXT"), "T:\\X.TXT");
    EXPECT_EQ(expandFileName("D:\\A\\..\\..\\B"), "D:\\B");
    EXPECT_EQ(expandFileName("T:Y"), "T:\\Y");
}
