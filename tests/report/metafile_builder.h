#pragma once
// Builds Windows metafiles and enhanced metafiles record by record for tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report::test {

class WmfBuilder {
public:
    // A placeable file over the frame (logical units, `inch` of them per inch); inch 0: none.
    WmfBuilder(int left, int top, int right, int bottom, int inch, int objects = 8)
        : objects_(objects) {
        if (inch == 0) return;
        std::string h;
        put32(h, 0x9AC6CDD7);
        for (int v : {0, left, top, right, bottom, inch, 0, 0})
            put16(h, v);
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            sum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(h[i]) |
                                              static_cast<unsigned char>(h[i + 1]) << 8);
        put16(h, sum);
        placeable_ = h;
    }

    // A record of 16-bit parameters followed by raw bytes (padded to a whole word).
    WmfBuilder& record(std::uint16_t function, std::initializer_list<int> words,
                       std::string_view bytes = {}) {
        std::string params;
        for (int w : words)
            put16(params, w);
        params.append(bytes);
        if (params.size() % 2) params.push_back('\0');
        put32(records_, static_cast<std::uint32_t>(3 + params.size() / 2));
        put16(records_, function);
        records_ += params;
        return *this;
    }
    WmfBuilder& raw(std::string_view bytes) {
        records_.append(bytes);
        return *this;
    }

    std::string bytes(bool withEnd = true) const {
        std::string body = records_;
        if (withEnd) {
            put32(body, 3);
            put16(body, 0);
        }
        std::string header;
        for (int v : {1, 9, 0x0300})
            put16(header, v);
        put32(header, static_cast<std::uint32_t>((18 + body.size()) / 2));
        put16(header, objects_);
        put32(header, 0);
        put16(header, 0);
        return placeable_ + header + body;
    }

    static void put16(std::string& s, int v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>((v >> 8) & 0xFF));
    }
    static void put32(std::string& s, std::uint32_t v) {
        put16(s, static_cast<int>(v & 0xFFFF));
        put16(s, static_cast<int>(v >> 16));
    }

private:
    int objects_;
    std::string placeable_;
    std::string records_;
};

// An enhanced metafile over bounds (pixels of a reference device of 960 x 960 pixels and
// 254 x 254 millimetres: 96 per inch) and a frame in hundredths of a millimetre.
class EmfBuilder {
public:
    EmfBuilder(std::initializer_list<int> bounds, std::initializer_list<int> frame, int handles = 8)
        : bounds_(bounds), frame_(frame), handles_(handles) {}

    // A record of 32-bit parameters followed by raw bytes (padded to whole 32-bit words).
    EmfBuilder& record(std::uint32_t type, std::initializer_list<int> words,
                       std::string_view bytes = {}) {
        std::string params;
        for (int w : words)
            WmfBuilder::put32(params, static_cast<std::uint32_t>(w));
        params.append(bytes);
        while (params.size() % 4)
            params.push_back('\0');
        WmfBuilder::put32(records_, type);
        WmfBuilder::put32(records_, static_cast<std::uint32_t>(8 + params.size()));
        records_ += params;
        ++count_;
        return *this;
    }
    EmfBuilder& raw(std::string_view bytes) {
        records_.append(bytes);
        return *this;
    }

    std::string bytes() const {
        std::string body = records_;
        WmfBuilder::put32(body, 14); // the end record
        WmfBuilder::put32(body, 20);
        for (int v : {0, 0, 20})
            WmfBuilder::put32(body, static_cast<std::uint32_t>(v));
        std::string h;
        WmfBuilder::put32(h, 1);
        WmfBuilder::put32(h, 88);
        for (int v : bounds_)
            WmfBuilder::put32(h, static_cast<std::uint32_t>(v));
        for (int v : frame_)
            WmfBuilder::put32(h, static_cast<std::uint32_t>(v));
        WmfBuilder::put32(h, 0x464D4520);
        WmfBuilder::put32(h, 0x10000);
        WmfBuilder::put32(h, static_cast<std::uint32_t>(88 + body.size()));
        WmfBuilder::put32(h, static_cast<std::uint32_t>(count_ + 2));
        WmfBuilder::put16(h, handles_);
        WmfBuilder::put16(h, 0);
        for (int v : {0, 0, 0, 960, 960, 254, 254})
            WmfBuilder::put32(h, static_cast<std::uint32_t>(v));
        return h + body;
    }

    // Text as the enhanced records store it: UTF-16, little-endian.
    static std::string utf16(std::u16string_view text) {
        std::string out;
        for (char16_t c : text)
            WmfBuilder::put16(out, c);
        return out;
    }

private:
    std::vector<int> bounds_, frame_;
    int handles_;
    std::string records_;
    int count_ = 0;
};

} // namespace vorlan::report::test
