#include "library_calls.h"

#include <sstream>

using namespace vorlan::library::testing;

TEST(LibraryRegistration, NamesSpellingsAndConstants) {
    LibraryCalls lib;
    // Listings show these spellings: chr is lower case and the file-name parts say "Extcrat".
    std::istringstream names("SysVarSet SysVarGet SysVarClear SysVarShow Abs ArcSin ArcTan Cos "
                             "CoTan Exp Ln Max Min Random Round "
                             "RealRound Sin Sqr Sqrt Tan Trunc Inc Dec IncVar DecVar Delete chr "
                             "Insert Length Ord Pos SetLength Str "
                             "Val ChDir GetAdr DiskFree DiskSize ExtcratFileDir ExtcratFileDrive "
                             "ExtcratFileExt ExtcratFileName "
                             "ExtcratFilePath FileCopy CreateDir RemoveDir GetCurrentDir "
                             "SetCurrentDir FileDelete FileExists "
                             "FileRename FileSize FileToVar VarToFile FileReadOpen FileWriteOpen "
                             "FileReadBlock FileWriteBlock "
                             "FileReadLine FileWriteLine FileReadClose FileWriteClose "
                             "FileReadSetPos FileReadGetPos FileWriteSetPos "
                             "FileWriteGetPos FileReadSize FileWriteSize RunExe Beep Delay DayName "
                             "MonthName PortInput PortOutput "
                             "Version Replicate Space StrToReal RealToStr CsKamToLat CsKamToWin "
                             "CsKamToAsc CsLatToKam CsLatToWin "
                             "CsLatToAsc CsWinToKam CsWinToLat CsWinToAsc");
    int count = 0;
    for (std::string name; names >> name; ++count) {
        const auto* proc = lib.registry().findProc(name);
        ASSERT_NE(proc, nullptr) << name;
        EXPECT_EQ(proc->name, name);
    }
    EXPECT_EQ(count, 89);

    const std::pair<const char*, int> ports[] = {{"LPT1", 0x378}, {"LPT1G", 0x3BC}, {"LPT2", 0x278},
                                                 {"COM1", 0x3F8}, {"COM2", 0x2F8},  {"COM3", 0x3E8},
                                                 {"COM4", 0x2E8}};
    for (const auto& [name, value] : ports) {
        const Value* v = lib.registry().findConst(name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_TRUE(v->identical(Value(value))) << name;
    }
    EXPECT_EQ(lib.text("Version"), "2.04 - 31/12/2000");
}
