// The shipped sample settings: every line is read as meant, and the files are Shift-JIS with CR LF.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/tables.h"
#include "common/text.h"
#include "settings/settings.h"
#include "support/wine_test.h"

using namespace korval_test;

namespace {

std::string ShippedFile(const char* name) {
    auto bytes = ReadBytes(BinFolder() + "dist\\" + name);
    EXPECT_TRUE(bytes.has_value()) << name << " was not copied beside the tests";
    return bytes.value_or("");
}

// Loads `text` as Korval.ini from a folder of its own, the way Korval does at start.
void LoadSample(const TempDir& dir, const std::string& text) {
    WriteBytes(dir / "Korval.ini", text);
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    lstrcpyA(DefaultSettingsName, "Korval.ini");
    lstrcpyA(SettingsPath, (dir / "Korval.ini").c_str());
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    InsideFolders = 0;
    MouseButtonCount = 3;
    ASSERT_EQ(LoadSettings(nullptr), 1);
}

// "label/execLabel[patterns]" with "!" in front of an exclude list.
std::string DescribeFilter(const FilterEntryRow& row) {
    std::string out = row.exclude ? "!" : "";
    out += std::string(row.label) + "/" + row.execLabel + "[";
    for (int p = 0; p < row.patternCount; ++p) out += (p > 0 ? "," : "") + std::string(row.patterns[p]);
    return out + "]";
}

// "label/execLabel{flags:expression}", flags "$" invert and "*" contents.
std::string DescribeRegexp(const RegexpEntryRow& row) {
    return std::string(row.label) + "/" + row.execLabel + "{" + (row.invert ? "$" : "") +
           (row.searchContents ? "*" : "") + ":" + row.expression + "}";
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The lines of a section that reach its handler: from the line after its header to "%end",
// without blank lines and, except in [exec], without comment lines.
std::vector<std::string> ContentLines(std::string_view text, std::string_view header, bool commentsAllowed) {
    std::vector<std::string> content;
    bool inside = false;
    for (std::string_view line : SplitLines(text)) {
        size_t first = line.find_first_not_of(" \t");
        std::string_view body = first == std::string_view::npos ? std::string_view() : line.substr(first);
        if (!inside) {
            inside = body == header;
            continue;
        }
        if (StrCmpNIA(std::string(body).c_str(), "%end", 4) == 0) break;
        if (body.empty() || (commentsAllowed && body.front() == ';')) continue;
        content.emplace_back(body);
    }
    return content;
}

}  // namespace

TEST(SampleSettings, IsShiftJisWithCrLfAndEveryLineEnded) {
    for (const char* name : {"Korval.ini", "Korval.txt"}) {
        std::string text = ShippedFile(name);
        ASSERT_FALSE(text.empty()) << name;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name << ": the last line must end with CR LF";
        for (size_t i = 0; i < text.size(); ++i) {
            bool crBeforeLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            bool lfAfterCr = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
            if (text[i] == '\r' || text[i] == '\n') {
                ASSERT_TRUE(crBeforeLf || lfAfterCr) << name << ": a lone line break at byte " << i;
            }
            ASSERT_NE(text[i], '\t') << name << ": a tab at byte " << i << " would vanish in a settings line";
        }
        int wide = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
        EXPECT_GT(wide, 0) << name << " is not valid Shift-JIS";
    }
}

TEST(SampleSettings, EachHeaderFirstOccursAsItsOwnLine) {
    std::string text = ShippedFile("Korval.ini");
    for (const char* header : {"[system]", "[filter]", "[regexp]", "[exec]"}) {
        const char* first = StrStrIA(text.c_str(), header);
        ASSERT_NE(first, nullptr) << header << " is missing";
        size_t at = first - text.c_str();
        EXPECT_TRUE(at == 0 || text[at - 1] == '\n') << header << " first occurs inside a line";
        EXPECT_EQ(text.compare(at + lstrlenA(header), 2, "\r\n"), 0) << header << " first occurs inside a line";
    }
}

TEST(SampleSettings, LoadsEverySectionCompletely) {
    TempDir dir;
    std::string text = ShippedFile("Korval.ini");
    LoadSample(dir, text);

    EXPECT_EQ(SystemOptions.sortMode, 1);
    EXPECT_EQ(AllLevels, 1) << "@sub";
    EXPECT_EQ(InsideFolders, 1) << "@sub";
    EXPECT_EQ(SystemOptions.keepFolderBackslash, 0) << "@bs is only shown";
    EXPECT_EQ(SystemOptions.showProgress, 0) << "@bar is only shown";
    EXPECT_EQ(SystemOptions.paramMode, 0) << "@param is only shown";
    EXPECT_EQ(ParamEntryCount, 0);
    EXPECT_EQ(SystemOptions.searchPathSet, 0) << "@path= is only shown";
    EXPECT_STREQ(SystemOptions.editorPath, "") << "@editor= is only shown";
    EXPECT_EQ(MenuPlacement.mode, PlacementMode::Active) << "@menu= is only shown";
    for (const std::string& line : ContentLines(text, "[system]", true)) {
        EXPECT_TRUE(line == "@sub" || line == "@sort=1") << "an unexpected directive line: " << line;
    }

    const std::vector<std::string> filters = {
        "文書/[.txt,.doc,.docx,.rtf,.pdf,.xls,.xlsx,.csv,.ppt,.pptx,.md]",
        "テキスト/メモ帳[.txt,.log,.ini,.csv,.md]",
        "画像/[.jpg,.jpeg,.png,.gif,.bmp,.tif,.tiff,.webp,.ico,.svg]",
        "圧縮ファイル/[.zip,.7z,.rar,.lzh,.cab,.gz,.tgz,.bz2,.xz,.tar]",
        "ソースコード/メモ帳[.c,.cpp,.h,.hpp,.cs,.java,.py,.js,.ts,.html,.css,.xml,.json,.bat,.ps1,.sh,.sql]",
        "フォルダのみ/エクスプローラ[folder]",
        "ファイルのみ/[file]",
        "すべて/[.*]",
        "!一時ファイル以外/[.tmp,.temp,.bak,.old,.dmp]",
    };
    ASSERT_EQ(FilterEntryCount, static_cast<int>(filters.size()));
    for (int i = 0; i < FilterEntryCount; ++i) EXPECT_EQ(DescribeFilter(FilterEntry[i]), filters[i]) << "filter " << i;
    EXPECT_EQ(ContentLines(text, "[filter]", true).size(), 2 * filters.size()) << "a [filter] line was not part of an entry";

    const int kinds[] = {kKindPatterns, kKindPatterns, kKindPatterns, kKindPatterns, kKindPatterns,
                         kKindFolders,  kKindFiles,    kKindAll,      kKindPatterns};
    for (int i = 0; i < FilterEntryCount; ++i) {
        EXPECT_EQ(KindFromPattern(FilterEntry[i].patterns[0]), kinds[i]) << FilterEntry[i].label;
    }

    const std::vector<std::string> regexps = {
        "名前にコピーを含む/{:m/コピー|copy/i}",
        "名前に日付/{:m/\\d{4}-?\\d{2}-?\\d{2}/}",
        "中身にパスワード/メモ帳{*:m/パスワード|password/i}",
        "中身に著作権表示なし/{$*:m/著作権|copyright/i}",
    };
    ASSERT_EQ(RegexpEntryCount, static_cast<int>(regexps.size()));
    for (int i = 0; i < RegexpEntryCount; ++i) EXPECT_EQ(DescribeRegexp(RegexpEntry[i]), regexps[i]) << "regexp " << i;
    EXPECT_EQ(ContentLines(text, "[regexp]", true).size(), 2 * regexps.size()) << "a [regexp] line was not part of an entry";

    struct ExecCase {
        const char* fileName;
        const char* label;
        const char* arguments;
    };
    const ExecCase execs[] = {{"cmd.exe", "一覧表示", "/k dir"}, {"notepad.exe", "メモ帳", ""},
                              {"explorer.exe", "エクスプローラ", ""}};
    ASSERT_EQ(ExecEntryCount, 3) << "a program of the [exec] section was not found";
    for (int i = 0; i < ExecEntryCount; ++i) {
        EXPECT_TRUE(PathFileExistsA(ExecEntry[i].program) && !PathIsDirectoryA(ExecEntry[i].program)) << ExecEntry[i].program;
        EXPECT_EQ(lstrcmpiA(PathFindFileNameA(ExecEntry[i].program), execs[i].fileName), 0) << ExecEntry[i].program;
        EXPECT_STREQ(ExecEntry[i].label, execs[i].label) << "exec " << i;
        EXPECT_STREQ(ExecEntry[i].arguments, execs[i].arguments) << "exec " << i;
    }
    EXPECT_EQ(ContentLines(text, "[exec]", false).size(), 2u * ExecEntryCount) << "an [exec] line was not part of an entry";
}

TEST(SampleSettings, EveryProgramNameOfAnEntryNamesAProgram) {
    TempDir dir;
    LoadSample(dir, ShippedFile("Korval.ini"));
    auto known = [](const char* execLabel) {
        for (int i = 0; i < ExecEntryCount; ++i) {
            if (NamesEqual(ExecEntry[i].label, execLabel)) return true;
        }
        return false;
    };
    for (int i = 0; i < FilterEntryCount; ++i) {
        const char* execLabel = FilterEntry[i].execLabel;
        EXPECT_TRUE(execLabel[0] == '\0' || known(execLabel)) << FilterEntry[i].label;
    }
    for (int i = 0; i < RegexpEntryCount; ++i) {
        const char* execLabel = RegexpEntry[i].execLabel;
        EXPECT_TRUE(execLabel[0] == '\0' || known(execLabel)) << RegexpEntry[i].label;
    }
}

TEST(HelpText, ExplainsEverySwitchMessageAndInstallerCommand) {
    std::string text = ShippedFile("Korval.txt");
    const char* const mentions[] = {
        "/#s=", "/#m=", "/#f=\"", "/#f\r\n", "/#r=\"", "/#r\r\n", "/#e1", "/#e2", "/#k=sft", "/#k=ctl", "/#c",
        "設定ファイル異常", "フィルタを設定してください！", "正規表現検索ができません！",
        "対象データが1000件を超えました。\r\n  処理を続行しますか？", "対象データがありません！",
        "キーを開放してください！", "注意", "バージョン情報",
        "@param", "@path=", "@menu=", "@sub", "@sort=1", "@sort=2", "@bs", "@bar", "@editor=",
        "[system]", "[filter]", "[regexp]", "[exec]", "%end", ">$", ">folder", ">file", ">.*",
        "Shift", "Ctrl", "右ボタン", "&Drop", "&Help", "&Version", "&OK", "&CANCEL",
        "[ 全階層 ]", "[ 転送フォルダ内部 ]", "[ 転送分のみ ]", "[ 転送フォルダのみ ]",
        "送る", "KorvalSetup.exe /install", "/entries", "KorvalSetup.exe /uninstall", "/quiet",
    };
    for (const char* mention : mentions) {
        EXPECT_NE(text.find(mention), std::string::npos) << "the help text does not mention " << mention;
    }
}
