// The shipped sample settings load completely, and KorvalSetup plans one safely named shortcut per entry.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/tables.h"
#include "settings/settings.h"
#include "setup/setup.h"
#include "support/wine_test.h"

using namespace korval_test;

TEST(SampleSettings, LoadsEveryTableCompletely) {
    // The copy beside the tests is read in place: loading only reads it.
    lstrcpyA(ProgramFolder, (BinFolder() + "dist\\").c_str());
    lstrcpyA(SettingsPath, (BinFolder() + "dist\\Korval.ini").c_str());
    ASSERT_EQ(LoadSettings(nullptr), 1) << SettingsPath;

    // One row per table entry: "label/program label[patterns]" with "!" for an exclude list,
    // "label/program label{$ inverted, * contents:expression}" and "program file|label|arguments",
    // after one row of the editor, @sort, @sub (two values), @bs, @bar, @param (mode, count), @path= and @menu=.
    std::vector<std::string> loaded = {"editor=" + std::string(SystemOptions.editorPath)};
    for (int v : {SystemOptions.sortMode, AllLevels, InsideFolders, SystemOptions.keepFolderBackslash,
                  SystemOptions.showProgress, SystemOptions.paramMode, ParamEntryCount, SystemOptions.searchPathSet,
                  static_cast<int>(MenuPlacement.mode)}) {
        loaded[0] += " " + std::to_string(v);
    }
    for (const FilterEntryRow* f = FilterEntry; f < FilterEntry + FilterEntryCount; ++f) {
        std::string row = std::string(f->exclude ? "!" : "") + f->label + "/" + f->execLabel;
        for (int p = 0; p < f->patternCount; ++p) row += (p ? "," : "[") + std::string(f->patterns[p]);
        loaded.push_back(row + "]");
    }
    for (const RegexpEntryRow* r = RegexpEntry; r < RegexpEntry + RegexpEntryCount; ++r) {
        loaded.push_back(std::string(r->label) + "/" + r->execLabel + "{" + (r->invert ? "$" : "") +
                         (r->searchContents ? "*" : "") + ":" + r->expression + "}");
    }
    // A program that is not found leaves no entry, so a missing program shows as a missing row.
    for (const ExecEntryRow* e = ExecEntry; e < ExecEntry + ExecEntryCount; ++e) {
        std::string file = PathFindFileNameA(e->program);
        CharLowerA(file.data());
        loaded.push_back(file + "|" + e->label + "|" + e->arguments);
    }
    // Of the directives only @sub and @sort=1 are active; the others are shown commented out.
    const std::vector<std::string> expected = {
        "editor= 1 1 1 0 0 0 0 0 " + std::to_string(static_cast<int>(PlacementMode::Active)),
        "文書/[.txt,.doc,.docx,.rtf,.pdf,.xls,.xlsx,.csv,.ppt,.pptx,.md]", "テキスト/メモ帳[.txt,.log,.ini,.csv,.md]",
        "画像/[.jpg,.jpeg,.png,.gif,.bmp,.tif,.tiff,.webp,.ico,.svg]",
        "圧縮ファイル/[.zip,.7z,.rar,.lzh,.cab,.gz,.tgz,.bz2,.xz,.tar]",
        "ソースコード/メモ帳[.c,.cpp,.h,.hpp,.cs,.java,.py,.js,.ts,.html,.css,.xml,.json,.bat,.ps1,.sh,.sql]",
        "フォルダのみ/エクスプローラ[folder]", "ファイルのみ/[file]", "すべて/[.*]", "!一時ファイル以外/[.tmp,.temp,.bak,.old,.dmp]",
        "名前にコピーを含む/{:m/コピー|copy/i}", "名前に日付/{:m/\\d{4}-?\\d{2}-?\\d{2}/}",
        "中身にパスワード/メモ帳{*:m/パスワード|password/i}", "中身に著作権表示なし/{$*:m/著作権|copyright/i}",
        "cmd.exe|一覧表示|/k dir", "notepad.exe|メモ帳|", "explorer.exe|エクスプローラ|"};
    for (size_t i = 0; i < std::max(loaded.size(), expected.size()); ++i) {
        EXPECT_EQ(i < loaded.size() ? loaded[i] : "-", i < expected.size() ? expected[i] : "-") << "row " << i;
    }
}

// The entries' shortcuts: names the file system takes, no two alike, none for a label Korval could not find.
TEST(SetupPlan, OneSafelyNamedDistinctShortcutPerEntryKorvalCanFind) {
    const std::string kanji = std::string(49, 'a') + "表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表";
    // ポ and 表 have the trail bytes | and \, which stay; a cut never halves a character.
    const std::vector<std::string> filters = {"ポ|表\\", "a/b:c*d?e<f>g", "a\x01" "b", "con", "LPT1.txt", "Nul  .x",
                                              "console", std::string(150, 'a'), kanji, "x", "a\"b", "con",
                                              std::string(259, 'L')};
    const std::vector<std::string> regexps = {"CON", "a_b", "a/b"};
    const std::vector<std::string> expected = {
        "ポ_表_.lnk /#f=", "a_b_c_d_e_f_g.lnk /#f=", "a_b.lnk /#f=", "_con.lnk /#f=", "_LPT1.txt.lnk /#f=",
        "_Nul  .x.lnk /#f=", "console.lnk /#f=", std::string(100, 'a') + ".lnk /#f=", kanji.substr(0, 99) + ".lnk /#f=",
        "_CON (2).lnk /#r=", "a_b (2).lnk /#r=", "a_b (3).lnk /#r="};
    FilterEntryCount = RegexpEntryCount = 0;
    for (const std::string& label : filters) lstrcpyA(FilterEntry[FilterEntryCount++].label, label.c_str());
    for (const std::string& label : regexps) lstrcpyA(RegexpEntry[RegexpEntryCount++].label, label.c_str());
    static EntryShortcut planned[kMaxEntryShortcuts];
    const size_t count = static_cast<size_t>(PlanEntryShortcuts(planned));
    for (size_t i = 0; i < std::max(count, expected.size()); ++i) {
        const std::string row = i < count ? planned[i].fileName + (" " + std::string(planned[i].arguments, 4)) : "-";
        EXPECT_EQ(row, i < expected.size() ? expected[i] : "-") << "shortcut " << i;
    }
}
