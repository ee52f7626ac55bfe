// Generated, mutated and extreme settings texts never leave the tables broken.

#include <random>

#include "fixture.h"

// KORVAL_FUZZ_SEED and KORVAL_FUZZ_INPUTS run other and longer series than the one CI runs.
static unsigned long FromEnvironment(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 10) : fallback;
}
static const unsigned long kSeed = FromEnvironment("KORVAL_FUZZ_SEED", 20261206);
static std::mt19937 engine(kSeed);
static size_t Below(size_t bound) { return bound == 0 ? 0 : engine() % bound; }

// Random edits: a byte; a piece of real settings, a lead or a zero byte; a cut; a copied run; a long run.
static std::string Mutate(std::string text, size_t rounds) {
    static const std::string kPieces[] = {"[system]", "[filter]", "[regexp]", "[exec]", "%end", "%END", "\r\n", "\n",
        "\r", "\t", " | ", ">", ">$", ">$*", ">*$", ";", "@param", "@path=", "@menu=MAX,MAX", "@menu=mouse",
        "@menu=1234567,", "@sub", "@sort=1", "@bs", "@bar", "@editor=", "%Korval%", "%Windows%", "%temp_Korv%", "ソ",
        "表", ".txt", "notepad", "\x81", "\x83", "\x9f", "\xe0", "\xfc", "@", ",", std::string(1, '\0')};
    for (size_t round = 0; round < rounds; ++round) {
        const size_t at = Below(text.size() + 1), kind = Below(7);
        if (kind == 0) text.insert(at, 1, static_cast<char>(Below(256)));
        if (kind >= 1 && kind <= 3) text.insert(at, kPieces[Below(std::size(kPieces))]);
        if (kind == 4) text.erase(at, Below(30));
        if (kind == 5) text.insert(at, text.substr(Below(text.size() + 1), Below(200)));
        if (kind == 6) text.insert(at, std::string(Below(700), "x \t;|>"[Below(6)]));
    }
    return text;
}

// Terminated within its size and, when full, ending on a whole character.
static bool Sound(const char* field, size_t size = kPathBytes) {
    size_t length = strnlen(field, size), at = 0;
    while (at < length) at += IsLeadByte(static_cast<unsigned char>(field[at])) ? 2 : 1;
    return length < size - 1 || (length == size - 1 && at == length);
}

static bool TablesSound() {
    const SystemOptionsRecord& o = SystemOptions;
    auto within = [](int count, int limit) { return count >= 0 && count <= limit; };
    bool sound = within(o.sortMode, 2) && within(ParamEntryCount, kMaxParams) &&
                 within(FilterEntryCount, kMaxEntries) && within(RegexpEntryCount, kMaxEntries) &&
                 within(ExecEntryCount, kMaxEntries) &&
                 Sound(o.searchPath, kSearchPathBytes) && Sound(o.editorPath);
    for (int i = 0; i < kMaxParams; ++i) {
        sound &= Sound(ParamEntry[i].key, kParamKeyBytes) && Sound(ParamEntry[i].value) &&
                 (i >= ParamEntryCount || ParamEntry[i].key[0] != '\0');
    }
    for (const FilterEntryRow& f : FilterEntry) {
        sound &= within(f.patternCount, kMaxPatterns) && Sound(f.label) && Sound(f.execLabel) && Sound(f.patternText);
        for (int p = 0; sound && p < f.patternCount; ++p) sound &= f.patterns[p][0] && Sound(f.patterns[p]);
    }
    for (const RegexpEntryRow& r : RegexpEntry) sound &= Sound(r.label) && Sound(r.execLabel) && Sound(r.expression);
    for (const ExecEntryRow& e : ExecEntry) sound &= Sound(e.program) && Sound(e.label) && Sound(e.arguments);
    return sound;
}

TEST(SettingsRobustness, GeneratedMutatedAndExtremeTextsKeepTheTablesSound) {
    TempDir dir;
    const std::string view = dir / "view.exe";
    WriteBytes(view, "MZ");
    const std::string seed = Text({"[system]", "@sort=2", "@menu=200,150", "@param", "KEY | value", " | empty",
        "DIR | %Windows%", "@bar", "@path=" + view, "@editor=notepad", "%end", "[filter]", "ソース | 表示",
        ">.txt;.doc", "  All", ">$.jpg;.png", "%end", "[regexp]", "Names | View", ">$*a.+b", "[exec]",
        view + " | View", ">/r KEY"});
    // Thousands of pairs and entries, and long lines with and without a line feed.
    std::string pairs, entries;
    for (int i = 0; i < 5000; ++i) pairs += "k" + std::to_string(i) + " | v\r\n";
    for (int i = 0; i < 5000; ++i) entries += (i % 2 ? view : "L" + std::to_string(i)) + "\r\n>.e;x\r\n";
    // Empty, unterminated and huge texts, and the findings of long runs; the last one fills every table.
    const std::string extremes[] = {"", "[filter]" + std::string(100000, 'a'),
        "[regexp]\r\n" + std::string(258, '>') + "\x83\t\t\r\n",
        "[filter]\r\nA\r\n>" + std::string(10 << 20, '.') + "\r\n",
        "[system]\r\n@param\r\n" + pairs + "[filter]\r\n" + entries + "[regexp]\n" + entries + "[exec]\n" + entries};
    const unsigned long generated = FromEnvironment("KORVAL_FUZZ_INPUTS", 24000);
    for (unsigned long i = 0; i < generated + std::size(extremes); ++i) {
        Reset();
        const std::string text = i >= generated ? extremes[i - generated] : i % 2 ? Mutate(seed, 1 + Below(8))
                                                                                  : Mutate("", Below(300));
        Parse(text);
        ASSERT_TRUE(TablesSound()) << "seed " << kSeed << ", input " << i << ": "
                                   << (text.size() <= 4096 ? ::testing::PrintToString(text) : "a long text");
    }
    EXPECT_EQ(std::make_tuple(ParamEntryCount, FilterEntryCount, RegexpEntryCount, ExecEntryCount,
                              std::string(ExecEntry[19].arguments)), std::make_tuple(10, 20, 20, 20, ".e;x"))
        << "full tables; the twentieth program still takes its argument line";
}
