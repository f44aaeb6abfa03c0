#include "data/script/file_names.h"

#include <gtest/gtest.h>

using namespace vorlan::data;

TEST(TableFileNames, BareNamesLandInTheDirectoryWithTheDefaultExtension) {
    EXPECT_EQ(completeFileName("firma", ".DBF", "C:\\DATA"), "C:\\DATA\\firma.DBF");
    EXPECT_EQ(completeFileName("  firma.dat ", ".DBF", "C:\\DATA\\"), "C:\\DATA\\firma.dat");
    EXPECT_EQ(completeFileName("D:\\X\\firma", ".PTS", "C:\\DATA"), "D:\\X\\firma.PTS");
    EXPECT_EQ(completeFileName("sub/firma", ".DBF", "C:\\DATA"), "sub/firma.DBF");
    EXPECT_EQ(completeFileName("   ", ".DBF", "C:\\DATA"), "");
}

TEST(TableFileNames, ADotInAFolderNameIsNoExtension) {
    EXPECT_EQ(completeFileName("C:\\DATA.OLD\\FIRMA", ".DBF", "C:\\"), "C:\\DATA.OLD\\FIRMA.DBF");
}

TEST(TableFileNames, SplitKeepsTheRootSeparator) {
    auto split = splitFileName("C:\\DATA\\FIRMA.DBF");
    EXPECT_EQ(split.directory, "C:\\DATA");
    EXPECT_EQ(split.file, "FIRMA.DBF");
    split = splitFileName("C:\\FIRMA.DBF");
    EXPECT_EQ(split.directory, "C:\\");
    split = splitFileName("\\FIRMA.DBF");
    EXPECT_EQ(split.directory, "\\");
    EXPECT_EQ(split.file, "FIRMA.DBF");
}
