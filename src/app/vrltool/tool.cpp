#include "tool.h"

#include "core/cp1250.h"
#include "script/stream/component_stream.h"
#include "script/stream/text_form.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>

namespace vrltool {

const std::string* Arguments::option(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

Arguments parseArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& valueOptions) {
    Arguments out;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (std::find(valueOptions.begin(), valueOptions.end(), arg) != valueOptions.end()) {
            if (i + 1 >= args.size()) throw UsageError("Volba " + arg + " potřebuje hodnotu");
            if (out.options.count(arg)) throw UsageError("Volba " + arg + " je zadána dvakrát");
            out.options[arg] = args[++i];
        } else {
            throw UsageError("Neznámá volba " + arg);
        }
    }
    return out;
}

std::string readFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw std::runtime_error(path.string() + " je složka, ne soubor");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Nelze otevřít " + path.string());
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("Nelze číst " + path.string());
    return bytes;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("Nelze zapsat " + path.string());
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        else if (end > start && text[end - 1] == '\r')
            --end;
        lines.emplace_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

std::string upperExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of("./\\");
    if (dot == std::string_view::npos || fileName[dot] != '.') return {};
    return vorlan::upperCase(fileName.substr(dot + 1));
}

bool isModuleExtension(std::string_view upperExt) {
    static constexpr std::string_view kinds[] = {"ZLM", "PMB", "TRX", "VBE", "JSE", "BAS"};
    return std::find(std::begin(kinds), std::end(kinds), upperExt) != std::end(kinds);
}

std::optional<std::string> formExtension(std::string_view upperExt) {
    if (upperExt == "ZLM") return ".zfm";
    if (upperExt == "PMB") return ".pfm";
    if (upperExt == "TRX") return ".tfm";
    return std::nullopt;
}

std::string componentBytesFromFile(const std::filesystem::path& path) {
    const std::string bytes = readFile(path);
    try {
        if (bytes.starts_with("TPF0")) {
            vorlan::stream::readComponentStream(bytes);
            return bytes;
        }
        return vorlan::stream::writeComponentStream(vorlan::stream::componentFromText(bytes));
    } catch (const vorlan::stream::StreamError& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

std::optional<std::string> reversibleText(const std::string& bytes) {
    try {
        std::string text =
            vorlan::stream::componentToText(vorlan::stream::readComponentStream(bytes));
        if (vorlan::stream::writeComponentStream(vorlan::stream::componentFromText(text)) != bytes)
            return std::nullopt;
        return text;
    } catch (const vorlan::stream::StreamError&) {
        return std::nullopt;
    }
}

// --- vrltool.ini ---------------------------------------------------------------------------------

namespace {

// Version texts are arbitrary bytes in damaged or odd archives; those go to the file as hex.
bool printable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const char32_t u = vorlan::cp1250ToUnicode(static_cast<unsigned char>(c));
        return u >= 0x20 && (u < 0x7F || u > 0x9F);
    });
}

std::string toHex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

std::string fromHex(std::string_view hex, const std::string& where) {
    auto nibble = [&](char c) {
        if (std::isdigit(static_cast<unsigned char>(c))) return c - '0';
        const int u = std::toupper(static_cast<unsigned char>(c));
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
        throw std::runtime_error(where + ": není šestnáctkový text");
    };
    if (hex.size() % 2) throw std::runtime_error(where + ": lichý počet šestnáctkových číslic");
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        out += static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    return out;
}

} // namespace

void writeSettings(const std::filesystem::path& path, const UnpackedArchive& s) {
    std::string text =
        "; Written by vrltool unpack. 'vrltool pack OUT.VRL --from <this folder>' rebuilds the "
        "archive.\n"
        "; The modules are listed in directory order, each followed by its form file if it has "
        "one.\n"
        "; form=/project= files are text form or binary; formraw=/projectraw= files are taken\n"
        "; byte for byte (streams that did not survive a trip through text form).\n";
    if (printable(s.versionText))
        text += "version=" + vorlan::cp1250ToUtf8(s.versionText) + "\n";
    else
        text += "versionhex=" + toHex(s.versionText) + "\n";
    text += "pad=" + std::to_string(s.padLength) + "\n";
    text += "block1=" + s.block1File + "\n";
    text += (s.projectRaw ? "projectraw=" : "project=") + s.projectFile + "\n";
    for (const auto& m : s.modules) {
        text += "module=" + vorlan::cp1250ToUtf8(m.name) + "\n";
        if (!m.formFile.empty()) text += (m.formRaw ? "formraw=" : "form=") + m.formFile + "\n";
    }
    writeFile(path, text);
}

UnpackedArchive readSettings(const std::filesystem::path& path) {
    UnpackedArchive s;
    bool haveVersion = false;
    const auto lines = splitLines(readFile(path));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string where = path.string() + ", line " + std::to_string(i + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) throw std::runtime_error(where + ": očekávám klíč=hodnota");
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "version") {
            s.versionText = vorlan::utf8ToCp1250(value);
            haveVersion = true;
        } else if (key == "versionhex") {
            s.versionText = fromHex(value, where);
            haveVersion = true;
        } else if (key == "pad") {
            std::size_t used = 0;
            int pad = -1;
            try {
                pad = std::stoi(value, &used);
            } catch (const std::exception&) {
            }
            if (used != value.size() || pad < 0 || pad > 255)
                throw std::runtime_error(where + ": pad musí být číslo od 0 do 255");
            s.padLength = pad;
        } else if (key == "block1") {
            s.block1File = value;
        } else if (key == "project" || key == "projectraw") {
            s.projectFile = value;
            s.projectRaw = key == "projectraw";
        } else if (key == "module") {
            s.modules.push_back({vorlan::utf8ToCp1250(value), {}});
        } else if (key == "form" || key == "formraw") {
            if (s.modules.empty())
                throw std::runtime_error(where + ": " + key + "= před prvním module=");
            s.modules.back().formFile = value;
            s.modules.back().formRaw = key == "formraw";
        } else {
            throw std::runtime_error(where + ": neznámý klíč '" + key + "'");
        }
    }
    if (!haveVersion) throw std::runtime_error(path.string() + ": chybí řádek version=");
    return s;
}

void note(const std::string& text) {
    std::cerr << "vrltool: " << text << '\n';
}

} // namespace vrltool
