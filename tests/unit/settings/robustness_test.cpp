// Robustness of the settings parser: generated, mutated and extreme texts never break the tables.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/text.h"
#include "settings_fixture.h"
#include "support/wine_test.h"

using namespace settings_test;

namespace {

// Pieces that steer random texts into the parser's interesting paths.
const char* const kPieces[] = {
    "[system]", "[filter]", "[regexp]", "[exec]", "%end", "%END", "\r\n", "\n", "\r", "\t", " | ", ">", ">$", ">$*",
    ">*$", ";", ";;", "@param", "@path=", "@menu=", "@menu=MAX,MAX", "@menu=mouse", "@menu=1234567,", "@sub",
    "@sort=1", "@sort=2", "@bs", "@bar", "@editor=", "%Korval%", "%Windows%", "%Desktop%", "%temp_Korv%", "ソ",
    "表", "\x83", "\x81", "\xfc", "\xe0", ".txt", ".*", "folder", "file", "notepad", "view", "   ", std::string("\0", 1).c_str(),
};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    size_t Below(size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random_); }

    char Byte() {
        // Mostly bytes the parser reacts to, double-byte lead bytes among them.
        static const char kInteresting[] = "[]%>$*;| \t\r\n@,.\x81\x83\x9f\xe0\xfc";
        size_t pick = Below(10);
        if (pick < 4) return kInteresting[Below(sizeof kInteresting - 1)];
        if (pick < 5) return '\0';
        return static_cast<char>(Below(256));
    }

    std::string RandomBytes(size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += Byte();
        return text;
    }

    std::string Piece() {
        const char* piece = kPieces[Below(sizeof kPieces / sizeof kPieces[0])];
        return *piece == '\0' ? std::string(1, '\0') : std::string(piece);
    }

    // Builds a text from pieces and short random runs, the way a damaged settings file looks.
    std::string Pieced(size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i) text += Below(3) == 0 ? RandomBytes(Below(40)) : Piece();
        return text;
    }

    std::string Mutate(std::string text) {
        size_t rounds = 1 + Below(8);
        for (size_t r = 0; r < rounds; ++r) {
            size_t at = Below(text.size() + 1);
            switch (Below(6)) {
            case 0:
                if (!text.empty()) text[Below(text.size())] = Byte();
                break;
            case 1:
                text.insert(at, Piece());
                break;
            case 2:
                text.erase(at, Below(30));
                break;
            case 3:
                text.insert(at, text.substr(Below(text.size() + 1), Below(200)));
                break;
            case 4:
                text.resize(Below(text.size() + 1));
                break;
            default:
                text.insert(at, std::string(Below(700), static_cast<char>("x \t;|>"[Below(6)])));
                break;
            }
        }
        return text;
    }

private:
    std::mt19937 random_;
};

std::vector<std::string> SeedTexts(const std::string& program) {
    return {
        Lines({"[system]", "@sort=2", "@menu=200,150", "@param", "KEY | value", "DIR | %Windows%", "@bar", "@bs",
               "%end", "[filter]", "Documents | Viewer", ">.txt;.doc", "Without images", ">$.jpg;.png", "%end",
               "[regexp]", "Names | Viewer", ">$*a.+b", "%end", "[exec]", program + " | Viewer", ">/r KEY", "%end"}),
        Lines({"[filter]", "ソース | 表示", ">.cpp;.h;.hpp", "; comment", "  All", ">.*", "[regexp]", "R", "x",
               "[exec]", "notepad", ">%Korval%\\x"}),
        Lines({"[system]", "@param", " | empty", "a | b", "@menu=mouse", "@path=" + program, "@editor=notepad"}),
    };
}

// A field is sound when its terminator lies within it and, at full width, it ends on a whole character.
::testing::AssertionResult FieldSound(const char* field, size_t size, const char* what, int row) {
    const void* end = std::memchr(field, '\0', size);
    if (end == nullptr) return ::testing::AssertionFailure() << what << " row " << row << " is not terminated";
    size_t length = static_cast<const char*>(end) - field;
    if (length == size - 1) {
        size_t at = 0;
        while (at < length) at += IsLeadByte(static_cast<unsigned char>(field[at])) ? 2 : 1;
        if (at != length) {
            return ::testing::AssertionFailure() << what << " row " << row << " ends in half a character";
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TablesSound() {
    if (FilterEntryCount < 0 || FilterEntryCount > kMaxEntries) return ::testing::AssertionFailure() << "filter count";
    if (RegexpEntryCount < 0 || RegexpEntryCount > kMaxEntries) return ::testing::AssertionFailure() << "regexp count";
    if (ExecEntryCount < 0 || ExecEntryCount > kMaxEntries) return ::testing::AssertionFailure() << "exec count";
    if (ParamEntryCount < 0 || ParamEntryCount > kMaxParams) return ::testing::AssertionFailure() << "param count";
    if (SystemOptions.sortMode < 0 || SystemOptions.sortMode > 2) return ::testing::AssertionFailure() << "sort mode";
    for (int i = 0; i < kMaxEntries; ++i) {
        const FilterEntryRow& f = FilterEntry[i];
        if (f.patternCount < 0 || f.patternCount > kMaxPatterns) {
            return ::testing::AssertionFailure() << "pattern count " << f.patternCount << " in row " << i;
        }
        for (const auto& check : {FieldSound(f.label, kPathBytes, "filter label", i),
                                  FieldSound(f.execLabel, kPathBytes, "filter exec label", i),
                                  FieldSound(f.patternText, kPathBytes, "pattern text", i),
                                  FieldSound(RegexpEntry[i].label, kPathBytes, "regexp label", i),
                                  FieldSound(RegexpEntry[i].execLabel, kPathBytes, "regexp exec label", i),
                                  FieldSound(RegexpEntry[i].expression, kPathBytes, "expression", i),
                                  FieldSound(ExecEntry[i].program, kPathBytes, "program", i),
                                  FieldSound(ExecEntry[i].label, kPathBytes, "exec label", i),
                                  FieldSound(ExecEntry[i].arguments, kPathBytes, "arguments", i)}) {
            if (!check) return check;
        }
        for (int p = 0; p < f.patternCount; ++p) {
            auto check = FieldSound(f.patterns[p], kPathBytes, "pattern", i);
            if (!check) return check;
            if (f.patterns[p][0] == '\0') return ::testing::AssertionFailure() << "empty pattern in row " << i;
        }
    }
    for (int i = 0; i < kMaxParams; ++i) {
        auto key = FieldSound(ParamEntry[i].key, kParamKeyBytes, "param key", i);
        if (!key) return key;
        auto value = FieldSound(ParamEntry[i].value, kPathBytes, "param value", i);
        if (!value) return value;
    }
    for (int i = 0; i < ParamEntryCount; ++i) {
        if (ParamEntry[i].key[0] == '\0') return ::testing::AssertionFailure() << "empty param key " << i;
    }
    auto search = FieldSound(SystemOptions.searchPath, kSearchPathBytes, "search path", 0);
    if (!search) return search;
    return FieldSound(SystemOptions.editorPath, kPathBytes, "editor path", 0);
}

}  // namespace

TEST(SettingsRobustness, GeneratedAndMutatedTextsKeepTheTablesSound) {
    korval_test::TempDir dir;
    korval_test::WriteBytes(dir / "view.exe", "MZ");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::vector<std::string> seeds = SeedTexts(dir / "view.exe");
    Generator generate(20261206);

    std::vector<std::pair<std::string, std::string>> extremes;
    extremes.emplace_back("empty", "");
    extremes.emplace_back("no line feed", "[filter]" + std::string(100000, 'a'));
    extremes.emplace_back("10 MB single line", "[system]\r\n[filter]\r\nA\r\n>" + std::string(10 << 20, '.') + "\r\n");
    extremes.emplace_back("10 MB without line feed", generate.RandomBytes(10 << 20));
    std::string entries = "[system]\r\n@param\r\n";
    for (int i = 0; i < 5000; ++i) entries += "key" + std::to_string(i) + " | value\r\n";
    entries += "[filter]\r\n";
    for (int i = 0; i < 5000; ++i) entries += "label" + std::to_string(i) + "\r\n>.e;.f\r\n";
    entries += "[regexp]\r\n";
    for (int i = 0; i < 5000; ++i) entries += "label" + std::to_string(i) + "\r\n>x\r\n";
    entries += "[exec]\r\n";
    for (int i = 0; i < 2000; ++i) entries += (i % 2 ? dir / "view.exe" : "nothing" + std::to_string(i)) + "\r\n>/a\r\n";
    extremes.emplace_back("thousands of entries", entries);
    std::string patterns = "[filter]\r\nA\r\n>";
    for (int i = 0; i < 400; ++i) patterns += ";x";
    extremes.emplace_back("a pattern line of many patterns", patterns + "\r\n");

    const auto started = std::chrono::steady_clock::now();
    size_t inputs = 0;
    auto run = [&](const std::string& text, const std::string& what) {
        ResetStartState();
        ParseSettingsText(text.data(), text.size());
        ++inputs;
        ASSERT_TRUE(TablesSound()) << what;
    };
    for (const auto& extreme : extremes) {
        run(extreme.second, extreme.first);
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(FilterEntryCount, 1) << "the last extreme text has one entry";
    EXPECT_EQ(FilterEntry[0].patternCount, 20);
    constexpr int kGenerated = 24000;
    for (int i = 0; i < kGenerated; ++i) {
        std::string text;
        switch (i % 4) {
        case 0:
            text = generate.RandomBytes(generate.Below(3000));
            break;
        case 1:
            text = generate.Pieced(generate.Below(300));
            break;
        default:
            text = generate.Mutate(seeds[generate.Below(seeds.size())]);
            break;
        }
        run(text, "generated input " + std::to_string(i));
        if (HasFatalFailure()) return;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("settings robustness: %zu inputs parsed in %.2f s\n", inputs, seconds);
    EXPECT_EQ(inputs, extremes.size() + kGenerated);
}
