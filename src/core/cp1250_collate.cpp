#include "core/cp1250_collate.h"

#include "core/cp1250.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vorlan {
namespace {

// Secondary weights: how an accented letter differs from its base letter.
enum Accent : unsigned char {
    kNoAccent = 2,
    kAcute,
    kCaron,
    kRing,
    kCircumflex,
    kBreve,
    kDiaeresis,
    kDoubleAcute,
    kOgonek,
    kCedilla,
    kDotAbove,
    kStroke,
    kSharp,
};

enum class Kind : unsigned char { Plain, Ignorable, LetterC, SharpS };

struct Weights {
    unsigned char primary = 0;
    unsigned char secondary = kNoAccent;
    unsigned char tertiary = 2; // 2 lower case or no case, 3 capital
    Kind kind = Kind::Plain;
};

// Letters of the Czech alphabet in order; the ones written with two bytes here stand for the
// letters of their own (Č, CH, Ř, Š, Ž) and µ, which sorts after the Latin letters.
enum Letter : int {
    A,
    B,
    C,
    CCaron,
    D,
    E,
    F,
    G,
    H,
    CH,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    RCaron,
    S,
    SCaron,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    ZCaron,
    Micro,
    kLetterCount
};

struct Decomposed {
    char32_t codePoint;
    Letter letter;
    Accent accent;
};

// Accented letters of the code page, both cases, by code point.
constexpr Decomposed kDecomposed[] = {
    {0xC1, A, kAcute},          {0xE1, A, kAcute},          {0xC2, A, kCircumflex},
    {0xE2, A, kCircumflex},     {0x102, A, kBreve},         {0x103, A, kBreve},
    {0xC4, A, kDiaeresis},      {0xE4, A, kDiaeresis},      {0x104, A, kOgonek},
    {0x105, A, kOgonek},        {0x106, C, kAcute},         {0x107, C, kAcute},
    {0xC7, C, kCedilla},        {0xE7, C, kCedilla},        {0x10C, CCaron, kNoAccent},
    {0x10D, CCaron, kNoAccent}, {0x10E, D, kCaron},         {0x10F, D, kCaron},
    {0x110, D, kStroke},        {0x111, D, kStroke},        {0xC9, E, kAcute},
    {0xE9, E, kAcute},          {0xCB, E, kDiaeresis},      {0xEB, E, kDiaeresis},
    {0x118, E, kOgonek},        {0x119, E, kOgonek},        {0x11A, E, kCaron},
    {0x11B, E, kCaron},         {0xCD, I, kAcute},          {0xED, I, kAcute},
    {0xCE, I, kCircumflex},     {0xEE, I, kCircumflex},     {0x139, L, kAcute},
    {0x13A, L, kAcute},         {0x13D, L, kCaron},         {0x13E, L, kCaron},
    {0x141, L, kStroke},        {0x142, L, kStroke},        {0x143, N, kAcute},
    {0x144, N, kAcute},         {0x147, N, kCaron},         {0x148, N, kCaron},
    {0xD3, O, kAcute},          {0xF3, O, kAcute},          {0xD4, O, kCircumflex},
    {0xF4, O, kCircumflex},     {0x150, O, kDoubleAcute},   {0x151, O, kDoubleAcute},
    {0xD6, O, kDiaeresis},      {0xF6, O, kDiaeresis},      {0x154, R, kAcute},
    {0x155, R, kAcute},         {0x158, RCaron, kNoAccent}, {0x159, RCaron, kNoAccent},
    {0x15A, S, kAcute},         {0x15B, S, kAcute},         {0x15E, S, kCedilla},
    {0x15F, S, kCedilla},       {0x160, SCaron, kNoAccent}, {0x161, SCaron, kNoAccent},
    {0x162, T, kCedilla},       {0x163, T, kCedilla},       {0x164, T, kCaron},
    {0x165, T, kCaron},         {0xDA, U, kAcute},          {0xFA, U, kAcute},
    {0x16E, U, kRing},          {0x16F, U, kRing},          {0x170, U, kDoubleAcute},
    {0x171, U, kDoubleAcute},   {0xDC, U, kDiaeresis},      {0xFC, U, kDiaeresis},
    {0xDD, Y, kAcute},          {0xFD, Y, kAcute},          {0x179, Z, kAcute},
    {0x17A, Z, kAcute},         {0x17B, Z, kDotAbove},      {0x17C, Z, kDotAbove},
    {0x17D, ZCaron, kNoAccent}, {0x17E, ZCaron, kNoAccent}, {0xB5, Micro, kNoAccent},
};

bool letterOf(char32_t cp, Letter& letter, Accent& accent) {
    if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    if (cp >= 'a' && cp <= 'z') {
        static constexpr Letter kLatin[26] = {A, B, C, D, E, F, G, H, I, J, K, L, M,
                                              N, O, P, Q, R, S, T, U, V, W, X, Y, Z};
        letter = kLatin[cp - 'a'];
        accent = kNoAccent;
        return true;
    }
    for (const Decomposed& d : kDecomposed)
        if (d.codePoint == cp) {
            letter = d.letter;
            accent = d.accent;
            return true;
        }
    return false;
}

bool isSpace(char32_t cp) {
    return cp == ' ' || cp == 0xA0 || (cp >= 0x09 && cp <= 0x0D);
}

struct Table {
    std::array<Weights, 256> byByte{};
    unsigned char chPrimary = 0;
    unsigned char sPrimary = 0;
};

Table buildTable() {
    Table t;
    // Symbols first (blanks before the rest, then by code point), then digits, then letters.
    std::vector<std::pair<char32_t, int>> symbols;
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = cp1250ToUnicode(static_cast<unsigned char>(b));
        Letter letter{};
        Accent accent{};
        if (b == '-' || b == '\'' || b == 0xAD)
            t.byByte[b].kind = Kind::Ignorable;
        else if (!(b >= '0' && b <= '9') && !letterOf(cp, letter, accent) && cp != 0xDF)
            symbols.emplace_back(isSpace(cp) ? cp : cp + 0x110000, b);
    }
    std::sort(symbols.begin(), symbols.end());
    int next = 2;
    for (const auto& [key, b] : symbols)
        t.byByte[b].primary = static_cast<unsigned char>(next++);
    for (int d = '0'; d <= '9'; ++d)
        t.byByte[d].primary = static_cast<unsigned char>(next++);
    const int firstLetter = next;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t cp = cp1250ToUnicode(byte);
        Weights& w = t.byByte[b];
        Letter letter{};
        Accent accent{};
        if (cp == 0xDF) {
            w.kind = Kind::SharpS;
            letter = S;
            accent = kSharp;
        } else if (!letterOf(cp, letter, accent)) {
            continue;
        }
        w.primary = static_cast<unsigned char>(firstLetter + letter);
        w.secondary = accent;
        if (letter == C && accent == kNoAccent) w.kind = Kind::LetterC;
    }
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (cp1250Lower(byte) != byte) t.byByte[b].tertiary = 3;
    }
    t.chPrimary = static_cast<unsigned char>(firstLetter + CH);
    t.sPrimary = static_cast<unsigned char>(firstLetter + S);
    return t;
}

const Table& table() {
    static const Table t = buildTable();
    return t;
}

constexpr char kLevelEnd = 1;

unsigned char at(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// Drops the weights at the end of a level that have the smallest value: two texts with the
// same letters have levels of the same length, so this keeps their order and shortens keys.
void trimLevel(std::string& out, std::size_t levelStart) {
    while (out.size() > levelStart && static_cast<unsigned char>(out.back()) == kNoAccent)
        out.pop_back();
}

} // namespace

void appendCollationKey(std::string& out, std::string_view text, bool caseSensitive) {
    const Table& t = table();
    const std::size_t n = text.size();
    // Which bytes begin the letter CH (C followed by H in either case).
    const auto startsCh = [&](std::size_t i) {
        return t.byByte[at(text, i)].kind == Kind::LetterC && i + 1 < n &&
               cp1250Upper(at(text, i + 1)) == 'H';
    };
    // Primary level.
    for (std::size_t i = 0; i < n; ++i) {
        const Weights& w = t.byByte[at(text, i)];
        if (w.kind == Kind::Ignorable) continue;
        if (startsCh(i)) {
            out += static_cast<char>(t.chPrimary);
            ++i;
        } else if (w.kind == Kind::SharpS) {
            out += static_cast<char>(t.sPrimary);
            out += static_cast<char>(t.sPrimary);
        } else {
            out += static_cast<char>(w.primary);
        }
    }
    out += kLevelEnd;
    // Accents.
    std::size_t level = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Weights& w = t.byByte[at(text, i)];
        if (w.kind == Kind::Ignorable) continue;
        if (startsCh(i)) {
            out += static_cast<char>(kNoAccent);
            ++i;
            continue;
        }
        out += static_cast<char>(w.secondary);
        if (w.kind == Kind::SharpS) out += static_cast<char>(w.secondary);
    }
    trimLevel(out, level);
    out += kLevelEnd;
    // Letter case.
    if (caseSensitive) {
        level = out.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Weights& w = t.byByte[at(text, i)];
            if (w.kind == Kind::Ignorable) continue;
            out += static_cast<char>(w.tertiary);
            if (w.kind == Kind::SharpS) out += static_cast<char>(w.tertiary);
        }
        trimLevel(out, level);
        out += kLevelEnd;
    }
    // Whatever is left (hyphens, apostrophes, and the exact bytes) decides between texts that
    // are otherwise equal.
    if (caseSensitive) {
        out.append(text);
    } else {
        for (char c : text)
            out += static_cast<char>(cp1250Upper(static_cast<unsigned char>(c)));
    }
}

std::string collationKey(std::string_view text, bool caseSensitive) {
    std::string key;
    key.reserve(text.size() * 3 + 4);
    appendCollationKey(key, text, caseSensitive);
    return key;
}

int compareCollated(std::string_view a, std::string_view b, bool caseSensitive) {
    if (caseSensitive ? a == b : equalsNoCase(a, b)) return 0;
    thread_local std::string ka;
    thread_local std::string kb;
    ka.clear();
    kb.clear();
    appendCollationKey(ka, a, caseSensitive);
    appendCollationKey(kb, b, caseSensitive);
    const int c = ka.compare(kb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace vorlan
