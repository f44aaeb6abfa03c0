#pragma once
// The machine's services for scripts: directories and drives, whole files and the two streamed
// file slots, starting other programs, waiting and beeping, the printer and serial ports, Czech
// day and month names, and the runtime's version.
//
// Every program path goes through the host path mapper; drive numbers (0 the current
// directory's file system, 1 A:, 2 B:, 3 C: ...) name the mapper's drive roots, and a drive that
// is not mapped answers -1 or the empty text.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

// Registers the functions above with the seven port constants (LPT1, LPT1G, LPT2, COM1 to
// COM4).
void registerFilesSystem(script::Registry& registry);

// --- ports

// Port base addresses as scripts name them.
constexpr std::int32_t kPortLpt1 = 0x378;
constexpr std::int32_t kPortLpt1G = 0x3BC;
constexpr std::int32_t kPortLpt2 = 0x278;
constexpr std::int32_t kPortCom1 = 0x3F8;
constexpr std::int32_t kPortCom2 = 0x2F8;
constexpr std::int32_t kPortCom3 = 0x3E8;
constexpr std::int32_t kPortCom4 = 0x2E8;

// Connects a port number (its low 16 bits count) to a host device or file, such as /dev/lp0
// for LPT1 or /dev/ttyS0 for COM1; the application fills this from its settings. An empty path
// disconnects the port. PortOutput writes one byte to the device, PortInput reads one byte from
// it (0 when none is waiting); a port without a device raises a run-time error.
void setPortDevice(std::int32_t port, std::string hostPath);
void clearPortDevices();
std::map<std::uint16_t, std::string> portDevices();

// --- files

// The process-wide file-open mode FileSize opens files with: 0 reading, 1 writing, 2 both
// (the default).
void setFileOpenMode(int mode);

// Closes and empties both streamed-file slots (at the end of the runtime, and for tests).
void closeStreamedFiles();

// --- hardware

// What Beep does; by default the terminal bell when there is a terminal. The application
// installs its own sound.
void setBeepHandler(std::function<void()> beep);

} // namespace vorlan::library
