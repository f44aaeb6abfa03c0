#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vorlan;
namespace fs = std::filesystem;

namespace {
struct TempTree {
    fs::path root = fs::temp_directory_path() / ("vorlan_pm_" + std::to_string(::getpid()));
    TempTree() {
        fs::create_directories(root / "Data" / "Sub");
        std::ofstream(root / "Data" / "FIRMA.DBF") << "x";
        std::ofstream(root / "Data" / "Sub" / "účet.txt") << "y";
    }
    ~TempTree() { fs::remove_all(root); }
};
} // namespace

TEST(PathMapper, DriveLettersBackslashesAndLetterCase) {
    TempTree tree;
    PathMapper mapper;
    mapper.clearDrives();
    mapper.setDriveRoot('c', tree.root);
    EXPECT_EQ(mapper.toHost("C:\\DATA\\firma.dbf"), tree.root / "Data" / "FIRMA.DBF");
    EXPECT_EQ(mapper.toHost("c:/data/FIRMA.DBF"), tree.root / "Data" / "FIRMA.DBF");
    // Czech names arrive as Windows-1250 and are found in their UTF-8 spelling, in any case.
    EXPECT_EQ(mapper.toHost(czech("C:\\DATA\\SUB\\ÚČET.TXT")),
              tree.root / "Data" / "Sub" / "účet.txt");
    // A name that does not exist keeps its spelling (files about to be created).
    EXPECT_EQ(mapper.toHost("C:\\DATA\\NEW.DBF"), tree.root / "Data" / "NEW.DBF");
    EXPECT_THROW(mapper.toHost("Q:\\X"), std::invalid_argument);
    EXPECT_TRUE(mapper.toHostOrEmpty("Q:\\X").empty());
}

TEST(PathMapper, HostPathsBackToProgramPaths) {
    TempTree tree;
    PathMapper mapper;
    mapper.clearDrives();
    mapper.setDriveRoot('C', tree.root);
    mapper.setDriveRoot('D', tree.root / "Data");
    EXPECT_EQ(mapper.toProgram(tree.root / "Data" / "FIRMA.DBF"),
              "D:\\FIRMA.DBF"); // most specific root
    EXPECT_EQ(mapper.toProgram(tree.root / "x.txt"), "C:\\x.txt");
    EXPECT_EQ(mapper.toProgram("/somewhere/else"), "\\somewhere\\else");
}

TEST(PathMapper, RelativePathsStayRelative) {
    PathMapper mapper;
    EXPECT_EQ(mapper.toHost("SUB\\A.TXT").is_relative(), true);
    EXPECT_EQ(mapper.toHost(""), fs::path("."));
}
