// Generated, mutated and extreme settings texts never leave the tables broken.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/text.h"
#include "fixture.h"

using namespace fixture;

namespace {

std::mt19937 engine(20261206);

size_t Below(size_t bound) { return bound == 0 ? 0 : engine() % bound; }

// Applies random edits: a byte; a piece of real settings, a lead or a zero byte; a cut; a copied run; a truncation;
// a long run of one byte.
std::string Mutate(std::string text, size_t rounds) {
    static const std::string kPieces[] = {
        "[system]", "[filter]", "[regexp]", "[exec]", "%end", "%END", "\r\n", "\n", "\r", "\t", " | ", ">", ">$",
        ">$*", ">*$", ";", "@param", "@path=", "@menu=", "@menu=MAX,MAX", "@menu=mouse", "@menu=1234567,", "@sub",
        "@sort=1", "@bs", "@bar", "@editor=", "%Korval%", "%Windows%", "%temp_Korv%", "ソ", "表", ".txt", "notepad",
        "\x81", "\x83", "\x9f", "\xe0", "\xfc", "@", ",", std::string(1, '\0')};
    for (size_t round = 0; round < rounds; ++round) {
        const size_t at = Below(text.size() + 1), kind = Below(8);
        if (kind == 0) text.insert(at, 1, static_cast<char>(Below(256)));
        if (kind >= 1 && kind <= 3) text.insert(at, kPieces[Below(std::size(kPieces))]);
        if (kind == 4) text.erase(at, Below(30));
        if (kind == 5) text.insert(at, text.substr(Below(text.size() + 1), Below(200)));
        if (kind == 6 && Below(10) == 0) text.resize(Below(text.size() + 1));
        if (kind == 7) text.insert(at, std::string(Below(700), "x \t;|>"[Below(6)]));
    }
    return text;
}

// Terminated within its size and, when full, ending on a whole character.
bool Sound(const char* field, size_t size) {
    const size_t length = strnlen(field, size);
    size_t at = 0;
    while (at < length) at += IsLeadByte(static_cast<unsigned char>(field[at])) ? 2 : 1;
    return length < size - 1 || (length == size - 1 && at == length);
}

bool TablesSound() {
    bool sound = SystemOptions.sortMode >= 0 && SystemOptions.sortMode <= 2 && ParamEntryCount >= 0 &&
                 ParamEntryCount <= kMaxParams && Sound(SystemOptions.searchPath, kSearchPathBytes) &&
                 Sound(SystemOptions.editorPath, kPathBytes);
    for (int count : {FilterEntryCount, RegexpEntryCount, ExecEntryCount}) sound &= count >= 0 && count <= kMaxEntries;
    for (int i = 0; i < kMaxParams; ++i) {
        sound &= Sound(ParamEntry[i].key, kParamKeyBytes) && Sound(ParamEntry[i].value, kPathBytes) &&
                 (i >= ParamEntryCount || ParamEntry[i].key[0] != '\0');
    }
    for (int i = 0; i < kMaxEntries; ++i) {
        const FilterEntryRow& f = FilterEntry[i];
        const RegexpEntryRow& r = RegexpEntry[i];
        const ExecEntryRow& e = ExecEntry[i];
        sound &= f.patternCount >= 0 && f.patternCount <= kMaxPatterns;
        const char* const fields[] = {f.label, f.execLabel, f.patternText, r.label, r.execLabel, r.expression,
                                      e.program, e.label, e.arguments};
        for (const char* field : fields) sound &= Sound(field, kPathBytes);
        for (int p = 0; sound && p < f.patternCount; ++p) sound &= f.patterns[p][0] && Sound(f.patterns[p], kPathBytes);
    }
    return sound;
}

}  // namespace

TEST(SettingsRobustness, GeneratedMutatedAndExtremeTextsKeepTheTablesSound) {
    TempDir dir;
    WriteBytes(dir / "view.exe", "MZ");
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    const std::string seed = Lines(
        {"[system]", "@sort=2", "@menu=200,150", "@param", "KEY | value", " | empty", "DIR | %Windows%", "@bar",
         "@path=" + dir / "view.exe", "@editor=notepad", "%end", "[filter]", "ソース | 表示", ">.txt;.doc", "  All",
         ">$.jpg;.png", "%end", "[regexp]", "Names | View", ">$*a.+b", "[exec]", dir / "view.exe | View", ">/r KEY"});
    // Thousands of pairs and entries, and long lines with and without a line feed.
    std::string pairs, entries;
    for (int i = 0; i < 5000; ++i) {
        pairs += "k" + std::to_string(i) + " | v\r\n";
        entries += (i % 2 ? dir / "view.exe" : "L" + std::to_string(i)) + "\r\n>.e;x\r\n";
    }
    const std::string extremes[] = {
        "", "[filter]" + std::string(100000, 'a'), "[filter]\r\nA\r\n>" + std::string(10 << 20, '.') + "\r\n",
        "[system]\r\n@param\r\n" + pairs + "[filter]\r\n" + entries + "[regexp]\n" + entries + "[exec]\n" + entries};
    constexpr int kExtremes = sizeof extremes / sizeof extremes[0], kGenerated = 24000;
    for (int i = 0; i < kExtremes + kGenerated; ++i) {
        Reset();
        Parse(i < kExtremes ? extremes[i] : i % 2 ? Mutate(seed, 1 + Below(8)) : Mutate("", Below(300)));
        ASSERT_TRUE(TablesSound()) << "input " << i;
    }
}
