#include "library_calls.h"
#include "szdd_writer.h"
#include "temp_drive.h"

#include "core/cp1250.h"
#include "library/files_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace vorlan::library::testing;

namespace {

class FilesSystem : public TempDrive {
protected:
    void TearDown() override {
        vorlan::library::setFileOpenMode(2);
        TempDrive::TearDown();
    }
    bool fails(std::string_view name, std::vector<Value> args, std::string_view text) {
        return lib.error(name, std::move(args)).find(text) != std::string::npos;
    }
    LibraryCalls lib;
};

// Under root, the effective user becomes nobody for the scope (the real user stays root, so it
// comes back); the folder is opened to others so that only the file's own mode can refuse.
class RunAsNobody {
public:
    explicit RunAsNobody(const std::filesystem::path& folder) {
        if (::geteuid() != 0) return;
        ::chmod(folder.c_str(), 0755);
        active_ = ::seteuid(65534) == 0;
        EXPECT_TRUE(active_) << "cannot become nobody";
    }
    ~RunAsNobody() {
        if (active_ && ::seteuid(0) != 0) std::abort();
    }
    RunAsNobody(const RunAsNobody&) = delete;
    RunAsNobody& operator=(const RunAsNobody&) = delete;

private:
    bool active_ = false;
};

std::string allBytes() {
    std::string s;
    for (int c = 0; c < 256; ++c)
        s += static_cast<char>(c);
    return s;
}

} // namespace

TEST(FileNameParts, WindowsPathsSplitAtSeparatorsAndDrives) {
    LibraryCalls lib;
    // path, then Dir, Drive, Ext, Name, Path
    const std::array<const char*, 6> cases[] = {
        {"C:\\DATA\\FIRMA.DBF", "C:\\DATA", "C:", ".DBF", "FIRMA.DBF", "C:\\DATA\\"},
        {"C:\\FIRMA.DBF", "C:\\", "C:", ".DBF", "FIRMA.DBF", "C:\\"},
        {"C:FIRMA", "C:", "C:", "", "FIRMA", "C:"},
        {"A.TAR.GZ", "", "", ".GZ", "A.TAR.GZ", ""},
        {"\\\\SRV\\SHARE\\DIR\\A.TXT", "\\\\SRV\\SHARE\\DIR", "\\\\SRV\\SHARE", ".TXT", "A.TXT",
         "\\\\SRV\\SHARE\\DIR\\"},
        {"\\\\SRV\\SHARE", "\\\\SRV", "\\\\SRV\\SHARE", "", "SHARE", "\\\\SRV\\"},
        {"C:\\DIR.OLD\\README", "C:\\DIR.OLD", "C:", "", "README", "C:\\DIR.OLD\\"},
        {"data/sub/x.y", "data/sub", "", ".y", "x.y", "data/sub/"},
        {"\\ROOT.TXT", "\\", "", ".TXT", "ROOT.TXT", "\\"},
    };
    const char* functions[] = {"ExtcratFileDir", "ExtcratFileDrive", "ExtcratFileExt",
                               "ExtcratFileName", "ExtcratFilePath"};
    for (const auto& c : cases)
        for (std::size_t f = 0; f < 5; ++f)
            EXPECT_EQ(lib.text(functions[f], {Value(c[0])}), c[f + 1])
                << functions[f] << " " << c[0];
}

TEST_F(FilesSystem, DirectoriesAndDrivesGoThroughTheMappedDrives) {
    std::filesystem::create_directory(root / "Sub");
    EXPECT_FALSE(lib.boolean("ChDir", {Value("T:\\MISSING")}));
    EXPECT_FALSE(lib.boolean("ChDir", {Value("Q:\\")})); // not mapped
    ASSERT_TRUE(lib.boolean("ChDir", {Value("t:\\sub")}));
    EXPECT_EQ(std::filesystem::current_path(), root / "Sub");
    EXPECT_EQ(lib.text("GetCurrentDir"), "T:\\Sub");
    EXPECT_EQ(lib.text("GetAdr", {Value(0)}), "T:\\Sub");
    EXPECT_EQ(lib.text("GetAdr", {Value(kDriveT)}), "T:\\Sub");
    EXPECT_EQ(lib.text("GetAdr", {Value(17)}), ""); // Q: is not mapped
    vorlan::pathMapper().setDriveRoot('Q', "/");
    EXPECT_EQ(lib.text("GetAdr", {Value(17)}),
              "Q:\\"); // mapped, but not holding the current directory

    EXPECT_EQ(lib.integer("DiskFree", {Value(18)}), -1);
    EXPECT_EQ(lib.integer("DiskSize", {Value(27)}), -1);
    const std::int32_t free0 = lib.integer("DiskFree", {Value(0)});
    EXPECT_GE(free0, 0);
    EXPECT_GE(lib.integer("DiskSize", {Value(kDriveT + 256)}),
              free0); // a Byte: the low 8 bits count

    EXPECT_TRUE(lib.boolean("CreateDir", {Value("T:\\NEW")}));
    EXPECT_FALSE(lib.boolean("CreateDir", {Value("T:\\NEW")}));
    EXPECT_FALSE(lib.boolean("CreateDir", {Value("T:\\NO\\PARENT")})); // one level only
    write("NEW/f.txt", "x");
    EXPECT_FALSE(lib.boolean("RemoveDir", {Value("T:\\NEW")}));        // not empty
    EXPECT_FALSE(lib.boolean("RemoveDir", {Value("T:\\NEW\\F.TXT")})); // a file is no directory
    EXPECT_TRUE(exists("NEW/f.txt"));
    std::filesystem::remove(root / "NEW/f.txt");
    EXPECT_TRUE(lib.boolean("RemoveDir", {Value("T:\\new")}));
}

TEST_F(FilesSystem, ExistsDeleteAndRename) {
    write("data.txt", "abc");
    write("other.txt", "zz");
    EXPECT_TRUE(lib.boolean("FileExists", {Value("T:\\DATA.TXT")}));
    EXPECT_FALSE(lib.boolean("FileExists", {Value("T:\\")})); // a directory is no file
    EXPECT_FALSE(lib.boolean("FileExists", {Value("Q:\\DATA.TXT")}));
    EXPECT_FALSE(lib.boolean("FileRename",
                             {Value("T:\\DATA.TXT"), Value("T:\\OTHER.TXT")})); // never replaces
    EXPECT_EQ(read("other.txt"), "zz");
    EXPECT_TRUE(lib.boolean("FileRename", {Value("T:\\DATA.TXT"), Value("T:\\moved.txt")}));
    EXPECT_EQ(read("moved.txt"), "abc");
    EXPECT_FALSE(lib.boolean("FileRename", {Value("T:\\DATA.TXT"), Value("T:\\again.txt")}));
    EXPECT_TRUE(lib.boolean("FileDelete", {Value("T:\\MOVED.TXT")}));
    EXPECT_FALSE(lib.boolean("FileDelete", {Value("T:\\MOVED.TXT")}));
    std::filesystem::create_directory(root / "dir");
    EXPECT_FALSE(lib.boolean("FileDelete", {Value("T:\\DIR")}));
    EXPECT_TRUE(exists("dir"));
}

TEST_F(FilesSystem, FileCopyCopiesBytesAndExpandsPackedFiles) {
    write("bin.dat", allBytes() + allBytes());
    write("copy.dat", std::string(5000, 'x')); // a longer target is emptied first
    EXPECT_TRUE(lib.boolean("FileCopy", {Value("T:\\BIN.DAT"), Value("T:\\COPY.DAT")}));
    EXPECT_EQ(read("copy.dat"), allBytes() + allBytes());
    EXPECT_FALSE(lib.boolean("FileCopy", {Value("T:\\NONE.DAT"), Value("T:\\x.dat")}));
    EXPECT_FALSE(exists("x.dat"));
    EXPECT_FALSE(lib.boolean("FileCopy", {Value("T:\\BIN.DAT"), Value("T:\\NO\\DIR.DAT")}));
    EXPECT_FALSE(
        lib.boolean("FileCopy", {Value("T:\\BIN.DAT"), Value("T:\\bin.dat")})); // onto itself
    EXPECT_EQ(read("bin.dat").size(), 512u);

    const std::string original =
        vorlan::czech("Příliš žluťoučký kůň\r\n") + std::string(300, ' ') + "konec";
    write("SETUP.TX_", packSzdd(original, 'T'));
    EXPECT_TRUE(lib.boolean("FileCopy", {Value("T:\\SETUP.TX_"), Value("T:\\SETUP.TXT")}));
    EXPECT_EQ(read("SETUP.TXT"), original);
    std::string damaged = packSzdd(original, 'T');
    damaged.resize(damaged.size() - 5);
    write("BAD.TX_", damaged);
    EXPECT_FALSE(lib.boolean("FileCopy", {Value("T:\\BAD.TX_"), Value("T:\\BAD.TXT")}));
    EXPECT_FALSE(exists("BAD.TXT")); // no half-written target
}

TEST_F(FilesSystem, WholeFilesTravelAsExactBytesAndFailuresStopTheScript) {
    lib.call("VarToFile", {Value(allBytes()), Value("T:\\ALL.BIN")});
    EXPECT_EQ(lib.text("FileToVar", {Value("T:\\all.bin")}), allBytes());
    lib.call("VarToFile", {Value("short"), Value("T:\\ALL.BIN")}); // overwritten, not appended
    EXPECT_EQ(read("ALL.BIN"), "short");
    EXPECT_EQ(lib.integer("FileSize", {Value("T:\\ALL.BIN")}), 5);

    EXPECT_TRUE(
        fails("FileToVar", {Value("T:\\MISSING.BIN")}, vorlan::czech("Soubor nelze otevřít")));
    EXPECT_TRUE(fails("FileToVar", {Value("T:\\")}, vorlan::czech("Soubor nelze otevřít")));
    EXPECT_TRUE(fails("VarToFile", {Value("x"), Value("T:\\NO\\DIR.BIN")},
                      vorlan::czech("Soubor nelze vytvořit")));
    EXPECT_TRUE(
        fails("FileSize", {Value("T:\\MISSING.TXT")}, vorlan::czech("Chyba vstupu a výstupu 2")));
    EXPECT_TRUE(fails("FileSize", {Value("Q:\\X.TXT")}, vorlan::czech("Chyba vstupu a výstupu 3")));
    vorlan::library::setFileOpenMode(0);
    EXPECT_TRUE(fails("FileSize", {Value("T:\\")}, vorlan::czech("Chyba vstupu a výstupu 5")));
    vorlan::library::setFileOpenMode(2);
    ::chmod((root / "ALL.BIN").c_str(), 0444); // read-only: the default mode opens for writing too
    {
        // File permissions do not bind the super-user: as root, the check runs as nobody.
        const RunAsNobody nobody(root);
        EXPECT_TRUE(
            fails("FileSize", {Value("T:\\ALL.BIN")}, vorlan::czech("Chyba vstupu a výstupu 5")));
    }
    vorlan::library::setFileOpenMode(0);
    EXPECT_EQ(lib.integer("FileSize", {Value("T:\\ALL.BIN")}), 5);
}

TEST(DaysAndMonths, CzechNamesAndEmptyOutsideTheRange) {
    LibraryCalls lib;
    EXPECT_EQ(lib.text("DayName", {Value(1)}), vorlan::czech("pondělí"));
    EXPECT_EQ(lib.text("DayName", {Value(7)}), vorlan::czech("neděle"));
    EXPECT_EQ(lib.text("MonthName", {Value(7)}), vorlan::czech("červenec"));
    EXPECT_EQ(lib.text("MonthName", {Value(12)}), "prosinec");
    for (int n : {0, 8, -1})
        EXPECT_EQ(lib.text("DayName", {Value(n)}), "");
    for (int n : {0, 13})
        EXPECT_EQ(lib.text("MonthName", {Value(n)}), "");
}
