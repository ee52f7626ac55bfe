// The shipped sample settings load completely: every table holds exactly the entries the file means.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/tables.h"
#include "settings/settings.h"
#include "support/wine_test.h"

using namespace korval_test;

TEST(SampleSettings, LoadsEveryTableCompletely) {
    const std::string text = ReadBytes(BinFolder() + "dist\\Korval.ini").value_or("");
    ASSERT_FALSE(text.empty()) << "Korval.ini was not copied beside the tests";
    TempDir dir;
    WriteBytes(dir / "Korval.ini", text);
    lstrcpyA(ProgramFolder, (dir.path() + "\\").c_str());
    lstrcpyA(DefaultSettingsName, "Korval.ini");
    lstrcpyA(SettingsPath, (dir / "Korval.ini").c_str());
    // Other tests of this program may have set these as a command line does; here the file alone decides.
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    InsideFolders = 0;
    ASSERT_EQ(LoadSettings(nullptr), 1);

    // One row per table entry: "label/program label[patterns]" with "!" for an exclude list,
    // "label/program label{$ inverted, * contents:expression}" and "program file|label|arguments",
    // after one row of the editor, @sort, @sub (two values), @bs, @bar, @param (mode, count), @path= and @menu=.
    std::vector<std::string> loaded = {"editor=" + std::string(SystemOptions.editorPath)};
    for (int v : {SystemOptions.sortMode, AllLevels, InsideFolders, SystemOptions.keepFolderBackslash,
                  SystemOptions.showProgress, SystemOptions.paramMode, ParamEntryCount, SystemOptions.searchPathSet,
                  static_cast<int>(MenuPlacement.mode)}) {
        loaded[0] += " " + std::to_string(v);
    }
    for (int i = 0; i < FilterEntryCount; ++i) {
        const FilterEntryRow& f = FilterEntry[i];
        std::string row = std::string(f.exclude ? "!" : "") + f.label + "/" + f.execLabel;
        for (int p = 0; p < f.patternCount; ++p) row += (p ? "," : "[") + std::string(f.patterns[p]);
        loaded.push_back(row + "]");
    }
    for (int i = 0; i < RegexpEntryCount; ++i) {
        const RegexpEntryRow& r = RegexpEntry[i];
        loaded.push_back(std::string(r.label) + "/" + r.execLabel + "{" + (r.invert ? "$" : "") +
                         (r.searchContents ? "*" : "") + ":" + r.expression + "}");
    }
    // A program that is not found leaves no entry, so a missing program shows as a missing row.
    for (int i = 0; i < ExecEntryCount; ++i) {
        std::string file = PathFindFileNameA(ExecEntry[i].program);
        CharLowerA(file.data());
        loaded.push_back(file + "|" + ExecEntry[i].label + "|" + ExecEntry[i].arguments);
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
