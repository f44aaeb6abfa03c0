#include "library/szdd.h"
#include "szdd_writer.h"

#include <gtest/gtest.h>

#include <random>

using vorlan::library::expandSzdd;
using vorlan::library::testing::packSzdd;

namespace {

std::span<const std::uint8_t> bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string header(std::uint32_t size, char method = 'A') {
    std::string h = std::string("SZDD\x88\xF0\x27\x33", 8) + method + 'X';
    for (int i = 0; i < 4; ++i)
        h += static_cast<char>((size >> (8 * i)) & 0xFF);
    return h;
}

} // namespace

TEST(Szdd, BackReferencesReadTheSpaceFilledWindowAndOverlapThemselves) {
    // A reference to position 0 before anything was written gives spaces.
    auto r = expandSzdd(bytes(header(3) + std::string("\x00\x00\x00", 3)));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data, "   ");
    EXPECT_EQ(r.lastNameCharacter, 'X');
    // A literal 'a' lands at 4096 - 16; a reference there of length 5 repeats it while writing.
    r = expandSzdd(bytes(header(6) + std::string{'\x01', 'a', '\xF0', '\xF2'}));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data, "aaaaaa");
    // The window wraps: 24 literals, then a reference to the first of them (position 4080).
    std::string stream;
    std::string expected;
    for (int group = 0; group < 3; ++group) {
        stream += '\xFF';
        for (int k = 0; k < 8; ++k) {
            const char c = static_cast<char>('a' + (group * 8 + k) % 26);
            stream += c;
            expected += c;
        }
    }
    stream += std::string("\x00\xF0\xF0", 3); // flags, then position 0xFF0 length 3
    expected += expected.substr(0, 3);
    r = expandSzdd(bytes(header(static_cast<std::uint32_t>(expected.size())) + stream));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data, expected);
}

TEST(Szdd, PackedDataExpandToTheOriginal) {
    std::mt19937 gen(7);
    std::string text, binary;
    const char* words[] = {"faktura ", "sklad ", "    ", "\r\n", "DPH 21 % ", "\x9A\xE8\xF8 "};
    for (int i = 0; i < 400; ++i)
        text += words[gen() % 6];
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>(gen() % 7 == 0 ? gen() & 0xFF : 0);
    for (const std::string& original : {text, binary, std::string(), std::string(5000, ' ')}) {
        const auto r = expandSzdd(bytes(packSzdd(original)));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.data, original);
    }
}

TEST(Szdd, DamagedFilesFailWithAReason) {
    const std::string good = packSzdd("hello, hello, hello world");
    EXPECT_FALSE(expandSzdd(bytes(good.substr(0, 10))).ok);                    // short header
    EXPECT_FALSE(expandSzdd(bytes("KWAJ" + good.substr(4))).ok);               // another magic
    EXPECT_FALSE(expandSzdd(bytes(header(3, 'B') + std::string(4, '\0'))).ok); // unknown method
    // Cut inside a back reference: flags say "reference" but only one byte follows.
    auto r = expandSzdd(bytes(header(3) + std::string("\x00\x00", 2)));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("back reference"), std::string::npos);
    // The stream gives fewer or more bytes than the header says.
    EXPECT_FALSE(expandSzdd(bytes(good.substr(0, good.size() - 1))).ok);
    std::string longer = header(2) + std::string("\xFF"
                                                 "abc",
                                                 4);
    EXPECT_FALSE(expandSzdd(bytes(longer)).ok);
    // A header claiming gigabytes from a few bytes fails before reserving anything.
    r = expandSzdd(bytes(header(0xFFFFFFFFu) + "\xFF"
                                               "abc"));
    EXPECT_FALSE(r.ok);
}
