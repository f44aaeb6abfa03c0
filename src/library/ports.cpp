// PortInput and PortOutput. Programs wrote bytes straight to the printer and serial port
// registers; here each port number is connected to a host device (or a plain file) chosen in
// the settings, and the byte goes to or comes from that device.

#include "core/cp1250.h"
#include "library/files_internal.h"
#include "library/files_system.h"
#include "script/bind.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vorlan::library {

using script::ScriptException;

namespace {

struct PortDevice {
    std::string path;
    int readFd = -1;
    int writeFd = -1;

    void close() {
        if (readFd >= 0) ::close(readFd);
        if (writeFd >= 0) ::close(writeFd);
        readFd = writeFd = -1;
    }
};

class PortTable {
public:
    PortTable() = default;
    PortTable(const PortTable&) = delete;
    PortTable& operator=(const PortTable&) = delete;
    ~PortTable() { clear(); }

    void set(std::uint16_t port, std::string path) {
        if (auto it = devices_.find(port); it != devices_.end()) {
            it->second.close();
            devices_.erase(it);
        }
        if (!path.empty()) devices_[port].path = std::move(path);
    }
    void clear() {
        for (auto& [port, device] : devices_)
            device.close();
        devices_.clear();
    }
    std::map<std::uint16_t, std::string> paths() const {
        std::map<std::uint16_t, std::string> out;
        for (const auto& [port, device] : devices_)
            out[port] = device.path;
        return out;
    }

    void write(std::uint16_t port, std::uint8_t byte) {
        PortDevice& d = device(port);
        // Kept open: closing a serial line after every byte would drop its control lines.
        if (d.writeFd < 0) {
            // A plain file collects the bytes and is made when missing; a missing device is an
            // error rather than a new file in the device folder.
            const int create = d.path.starts_with("/dev/") ? 0 : O_CREAT;
            d.writeFd =
                ::open(d.path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC | create, 0666);
            if (d.writeFd < 0) fail(port, d, "nelze otevřít pro zápis");
        }
        for (;;) {
            const ssize_t n = ::write(d.writeFd, &byte, 1);
            if (n == 1) return;
            if (n < 0 && errno == EINTR) continue;
            fail(port, d, "nepřijalo zápis");
        }
    }

    std::uint8_t read(std::uint16_t port) {
        PortDevice& d = device(port);
        if (d.readFd < 0) {
            d.readFd = ::open(d.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (d.readFd < 0) fail(port, d, "nelze otevřít pro čtení");
        }
        // A register always answers at once: without a waiting byte the answer is 0.
        std::uint8_t byte = 0;
        for (;;) {
            const ssize_t n = ::read(d.readFd, &byte, 1);
            if (n == 1) return byte;
            if (n == 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))) return 0;
            if (n < 0 && errno == EINTR) continue;
            fail(port, d, "nelze číst");
        }
    }

private:
    static std::string portName(std::uint16_t port) {
        char text[8];
        std::snprintf(text, sizeof text, "$%X", port);
        return text;
    }

    PortDevice& device(std::uint16_t port) {
        auto it = devices_.find(port);
        if (it == devices_.end())
            throw ScriptException(czech("Port ") + portName(port) +
                                  czech(" není připojen k žádnému zařízení (nastavte ho v oddílu "
                                        "[Ports] souboru vorlan.ini)"));
        return it->second;
    }

    [[noreturn]] static void fail(std::uint16_t port, PortDevice& d, const char* what) {
        const int e = errno;
        d.close();
        throw ScriptException(czech("Port ") + portName(port) + czech(": zařízení ") +
                              utf8ToCp1250(d.path) + " " + czech(what) + " (" + std::strerror(e) +
                              ")");
    }

    std::map<std::uint16_t, PortDevice> devices_;
};

PortTable& ports() {
    static PortTable table;
    return table;
}

std::uint16_t portNumber(std::int32_t port) {
    return static_cast<std::uint16_t>(port & 0xFFFF);
}

} // namespace

void setPortDevice(std::int32_t port, std::string hostPath) {
    ports().set(portNumber(port), std::move(hostPath));
}
void clearPortDevices() {
    ports().clear();
}
std::map<std::uint16_t, std::string> portDevices() {
    return ports().paths();
}

void registerPortFunctions(script::Registry& reg) {
    script::Binder b(reg);
    b.bind("PortInput", "function(port: Integer): Byte",
           [](std::int32_t port) { return ports().read(portNumber(port)); });
    b.bind("PortOutput", "procedure(port: Integer; value: Byte)",
           [](std::int32_t port, std::int32_t value) {
               ports().write(portNumber(port), static_cast<std::uint8_t>(value));
           });
}

} // namespace vorlan::library
