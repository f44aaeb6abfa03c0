#include "library_calls.h"
#include "temp_drive.h"

#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "library/files_system.h"

#include <chrono>
#include <sstream>
#include <thread>

using namespace vorlan::library::testing;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// Counts how often a waiting loop lets the windows handle their events.
class CountingUi : public vorlan::HeadlessUi {
public:
    explicit CountingUi(std::ostream* log) : HeadlessUi(log) {}
    void processPendingEvents() override { ++served; }
    int served = 0;
};

class HostServices : public TempDrive {
protected:
    void TearDown() override {
        vorlan::library::clearPortDevices();
        TempDrive::TearDown();
    }
    std::int32_t runExe(const char* file, const char* params, const char* dir, bool wait) {
        return lib.integer("RunExe", {Value(file), Value(params), Value(dir), Value(wait)});
    }
    LibraryCalls lib;
};

} // namespace

TEST_F(HostServices, WaitingRunReportsStartFailuresByNumber) {
    EXPECT_EQ(runExe("NOSUCHPROGRAM.EXE", "", "", true), 2);
    EXPECT_EQ(runExe("T:\\NOSUCH.EXE", "", "", true), 2);
    EXPECT_EQ(runExe("T:\\NO\\DIR\\X.EXE", "", "", true), 3);
    EXPECT_NE(runExe("/bin/true", "", "T:\\NODIR", true), 0);
    EXPECT_EQ(runExe("/bin/false", "  ", "", true), 0); // the child's exit code is not reported
}

TEST_F(HostServices, WaitingRunServesTheWindowsUntilTheChildEnds) {
    std::ostringstream log;
    auto counting = std::make_unique<CountingUi>(&log);
    CountingUi* ui = counting.get();
    auto previous = vorlan::setUi(std::move(counting));
    const auto start = Clock::now();
    // Split like a command line; the drive path reaches the child as a host path; the child
    // runs in the given directory.
    const std::int32_t rc = runExe(
        "/bin/sh", "-c \"sleep 0.3; pwd > where.txt; echo $0 > arg.txt\" T:\\A.TXT", "T:\\", true);
    const auto took = Clock::now() - start;
    const int served = ui->served;
    vorlan::setUi(std::move(previous));
    EXPECT_EQ(rc, 0);
    EXPECT_GE(took, 300ms);
    EXPECT_GT(served, 5);
    EXPECT_EQ(read("where.txt"), root.string() + "\n");
    EXPECT_EQ(read("arg.txt"), (root / "A.TXT").string() + "\n");
    // Without parameters the file text is the whole command line.
    EXPECT_EQ(runExe("/bin/sh -c \"echo one > one.txt\"", "", "T:\\", true), 0);
    EXPECT_EQ(read("one.txt"), "one\n");
}

TEST_F(HostServices, RunWithoutWaitingStartsDetached) {
    const auto start = Clock::now();
    EXPECT_EQ(runExe("/bin/sh", "-c \"sleep 2; echo late > late.txt\"", "T:\\", false), 0);
    // Generous for a loaded machine; a call that waited would take the child's two seconds.
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_FALSE(exists("late.txt"));
    for (auto until = Clock::now() + 10s; Clock::now() < until && read("late.txt").empty();)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(read("late.txt"), "late\n");
    EXPECT_NE(runExe("T:\\NOSUCH.DOC", "", "", false), 0);
}

TEST_F(HostServices, DelayBlocksAndBeepSounds) {
    auto start = Clock::now();
    lib.call("Delay", {Value(60)});
    EXPECT_GE(Clock::now() - start, 60ms);
    start = Clock::now();
    lib.call("Delay", {Value(-1000)});
    EXPECT_LT(Clock::now() - start, 500ms); // not a wait of an unsigned -1000 milliseconds
    int beeps = 0;
    vorlan::library::setBeepHandler([&] { ++beeps; });
    lib.call("Beep");
    vorlan::library::setBeepHandler(nullptr);
    lib.call("Beep");
    EXPECT_EQ(beeps, 1);
}

TEST_F(HostServices, PortsTalkToTheirConnectedDevices) {
    const std::string text = lib.error("PortOutput", {Value(0x378), Value(65)});
    EXPECT_NE(text.find("$378"), std::string::npos);
    // The user learns in Czech where to connect the port.
    EXPECT_NE(text.find("[Ports]"), std::string::npos);
    EXPECT_NE(text.find(vorlan::czech("není připojen")), std::string::npos);

    vorlan::library::setPortDevice(vorlan::library::kPortLpt1, (root / "printer.out").string());
    lib.call("PortOutput", {Value(0x378), Value(65)});
    lib.call("PortOutput",
             {Value(0x10378), Value(0x142)}); // low 16 bits of the port, low 8 of the byte
    vorlan::library::setPortDevice(vorlan::library::kPortLpt1, ""); // closes and disconnects
    EXPECT_EQ(read("printer.out"), "AB");
    lib.error("PortOutput", {Value(0x378), Value(67)});

    write("serial.in", "xy");
    vorlan::library::setPortDevice(vorlan::library::kPortCom1, (root / "serial.in").string());
    EXPECT_EQ(lib.integer("PortInput", {Value(0x3F8)}), 'x');
    EXPECT_EQ(lib.integer("PortInput", {Value(0x3F8)}), 'y');
    EXPECT_EQ(lib.integer("PortInput", {Value(0x3F8)}), 0); // nothing waiting

    // A missing device is an error, not a new file among the devices.
    vorlan::library::setPortDevice(vorlan::library::kPortLpt2, "/dev/vorlan-no-such-printer");
    EXPECT_NE(lib.error("PortOutput", {Value(0x278), Value(1)}).find("/dev/vorlan-no-such-printer"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("/dev/vorlan-no-such-printer"));
}
