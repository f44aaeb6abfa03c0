// Files and folders through the path mapper: a scratch folder is drive T:.
#include "stdlib_calls.h"

#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "stdlib/file_search.h"
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

TEST(FileSearch, WindowsWildcards) {
    EXPECT_TRUE(matchesWildcard("FIRMA.DBF", "*.dbf"));
    EXPECT_TRUE(matchesWildcard("firma.dbf", "F?RMA.*"));
    EXPECT_TRUE(matchesWildcard("README", "*.*")); // no dot, as on the platform
    EXPECT_TRUE(matchesWildcard("a.b.c", "*.c"));
    EXPECT_TRUE(matchesWildcard("abcabd", "*ab?")); // the star has to take back characters
    EXPECT_TRUE(matchesWildcard("X", "**X*"));
    EXPECT_FALSE(matchesWildcard("FIRMA.NTX", "*.DBF"));
    EXPECT_FALSE(matchesWildcard("AB", "A?B"));
    EXPECT_FALSE(matchesWildcard("", "?"));
    // Czech letters compare by their Windows-1250 upper case.
    EXPECT_TRUE(matchesWildcard("\xF8\xE1\x64ky.txt", "\xD8\xC1\x44KY.*")); // řádky / ŘÁDKY
}

TEST_F(FilesTest, SearchRecordsAndTheirCodes) {
    write("B.TXT", "12345");
    write("a.txt");
    fs::create_directory(root_ / "SUB");
    Value rec;
    ASSERT_EQ(findFirst("T:\\*.TXT", kFaAnyFile, rec), 0);
    auto* r = dynamic_cast<SearchRec*>(script::nativeObjectOf(rec));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->current.name, "a.txt");
    EXPECT_EQ(findNext(rec), 0);
    EXPECT_EQ(r->current.name, "B.TXT");
    EXPECT_EQ(r->current.size, 5);
    EXPECT_EQ(r->current.attr & kFaDirectory, 0);
    EXPECT_EQ(findNext(rec), kSearchNoMoreFiles);
    EXPECT_EQ(findNext(rec), kSearchNoMoreFiles);
    // The same record serves the next search; folders come only when asked for.
    ASSERT_EQ(findFirst("T:\\S*", kFaArchive, rec), kSearchNoMoreFiles);
    ASSERT_EQ(findFirst("T:\\S*", kFaDirectory, rec), 0);
    EXPECT_EQ(dynamic_cast<SearchRec*>(script::nativeObjectOf(rec)), r);
    EXPECT_EQ(r->current.name, "SUB");
    EXPECT_NE(r->current.attr & kFaDirectory, 0);
    findClose(rec);
    EXPECT_EQ(findNext(rec), kSearchNoMoreFiles);
    EXPECT_EQ(findFirst("T:\\NIC\\*.*", kFaAnyFile, rec), kSearchPathNotFound);
    EXPECT_EQ(findFirst("Q:\\*.*", kFaAnyFile, rec), kSearchPathNotFound);
    Value notARecord(std::string("x"));
    EXPECT_EQ(findNext(notARecord), kSearchNoMoreFiles);
}
