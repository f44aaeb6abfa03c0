#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "script/basic/basic_runner.h"
#include "script/basic/script_encoder.h"
#include "script/builtins.h"
#include "script/encoded/script_decoder.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace vorlan;
using namespace vorlan::script;
using encoded::DecodeError;
using encoded::decodeScript;
using vorlan::testing::encodeScriptBlock;

namespace {

// "Hi" worked out by hand: positions 0 and 1 use tables 1 and 2; 'H' is 'u' in table 1 and 'i'
// is 'b' in table 2. The length 2 is the bytes 02 00 00 00 in base 64 ("AgAAAA"), the checksum
// 72 + 105 = 177 the bytes B1 00 00 00 ("sQAAAA").
constexpr const char* kHandMadeHi = "#@~^AgAAAA==ubsQAAAA==^#~@";

TEST(EncodedScript, DecodesAHandMadeBlock) {
    EXPECT_EQ(decodeScript(kHandMadeHi), "Hi");
    EXPECT_EQ(encodeScriptBlock("Hi"), kHandMadeHi);
    EXPECT_EQ(decodeScript(std::string("before ") + kHandMadeHi + " after"), "before Hi after");
}

TEST(EncodedScript, RoundTripsEveryCharacterTheFormatCarries) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    // Longer than one position cycle, with the escaped characters at many positions.
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += all + "<@>\r\n" + std::string(static_cast<std::size_t>(i), 'x');
    EXPECT_EQ(decodeScript(encodeScriptBlock(text)), text);
    EXPECT_EQ(decodeScript(encodeScriptBlock("")), "");
    // Two blocks and plain text between them.
    EXPECT_EQ(decodeScript(encodeScriptBlock("a = 1") + "\n" + encodeScriptBlock("b = 2")),
              "a = 1\nb = 2");
    EXPECT_EQ(decodeScript("no block here"), "no block here");
}

TEST(EncodedScript, DamagedBlocksAreRejected) {
    const std::string good = encodeScriptBlock("MsgBox \"x\"");
    std::string badChecksum = good;
    badChecksum[good.size() - 12] = badChecksum[good.size() - 12] == 'A' ? 'B' : 'A';
    std::string badDigit = good;
    badDigit[5] = '*';
    std::string longer = good;
    longer[4] = 'z'; // a length far beyond the text
    std::string badEscape = encodeScriptBlock("@");
    badEscape[13] = '?';
    for (const std::string& bad :
         {badChecksum, badDigit, longer, badEscape, good.substr(0, good.size() - 4),
          good.substr(0, 10), good.substr(0, 4), std::string("#@~^AQAAAA==@")}) {
        EXPECT_THROW(decodeScript(bad), DecodeError) << bad;
    }
}

// ---- the runner of encoded Basic modules

std::vector<std::string>& printed() {
    static std::vector<std::string> lines;
    return lines;
}

void registerNames() {
    static bool done = false;
    if (done) return;
    done = true;
    Registry& reg = registry();
    if (!reg.findClass("TComponent")) {
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
    }
    basic::registerVbScriptRunner(reg);
    reg.registerProc(
        "EncOut", "procedure(Text: Variant)",
        [](NativeObject*, std::span<Value> a, Value&) { printed().push_back(a[0].toString()); });
}

// The module as a host file: the scripter picks the runner by its extension.
class ModuleFile {
public:
    explicit ModuleFile(const std::string& contents) {
        path_ = std::filesystem::temp_directory_path() /
                ("vorlan_encoded_" + std::to_string(::getpid()) + ".VBE");
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~ModuleFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

TEST(EncodedBasicModule, IsChosenByItsExtensionDecodedAndRun) {
    registerNames();
    printed().clear();
    const std::string source = "Function Twice(x)\r\n  Twice = x * 2\r\nEnd Function\r\n"
                               "EncOut \"" +
                               czech("žluťoučký") + " <ok> @ \" & Twice(21)\r\n";
    const ModuleFile file(encodeScriptBlock(source) + "\r\n");
    Scripter s;
    s.scriptFile = file.path();
    std::vector<std::string> errors;
    s.onError = [&](Scripter&, const ExceptionInfo& info, int, int, bool&) {
        errors.push_back(info.description);
    };
    s.run();
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(printed(), (std::vector<std::string>{czech("žluťoučký") + " <ok> @ 42"}));
    Value args[] = {Value(5)};
    EXPECT_TRUE(s.callByName("twice", args).identical(Value(10)));
}

TEST(EncodedBasicModule, ADamagedEncodingFailsTheLoadWithAMessage) {
    registerNames();
    std::string block = encodeScriptBlock("EncOut 1");
    block[block.size() - 12] ^= 1; // the checksum
    const ModuleFile file(block);
    Scripter s;
    s.scriptFile = file.path();
    std::vector<std::string> errors;
    s.onError = [&](Scripter&, const ExceptionInfo& info, int, int, bool&) {
        errors.push_back(info.source + ": " + info.description);
    };
    s.run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(vorlan::czech("kontrolní součet")), std::string::npos) << errors[0];
    EXPECT_EQ(s.runner(), nullptr);
}

} // namespace
