// Shared setup of the settings and target tests: a known start state, texts parsed in-process, the tables as text.
#pragma once

#include <gtest/gtest.h>

#include "common/tables.h"
#include "settings/sections.h"
#include "settings/settings.h"
#include "support/wine_test.h"
#include "targets/targets.h"

namespace fixture {

using namespace korval_test;
using Paths = std::vector<std::string>;

// What the main window leaves before the settings are read: no /#m=, a known screen, no @param.
inline void Reset() {
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    ScreenWidth = 1000;
    MaximizedHeight = 700;
    InsideFolders = SystemOptions.searchPathSet = SystemOptions.paramMode = ParamEntryCount = 0;
}

inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

inline std::string Section(const std::string& header, std::initializer_list<std::string> lines) {
    return header + "\r\n" + Lines(lines) + "%end\r\n";
}
inline std::string System(std::initializer_list<std::string> lines) { return Section("[system]", lines); }

inline void Parse(const std::string& text) { ParseSettingsText(text.data(), text.size()); }
inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
inline Paths Folders() { return Paths(TargetFolders, TargetFolders + TargetFolderCount); }
inline Paths Files() { return Paths(TargetFiles, TargetFiles + TargetFileCount); }

// What the settings set beyond the defaults, such as "s2 menu=Center F:Docs/View[.txt,.doc] X:C:\v.exe|View|/r".
// Filter rows read "label/execLabel[patterns]" ("!" when excluding), regexp rows "label/execLabel{$*:expression}".
inline std::string State() {
    const char* const modes[] = {"Unset", "", "", "Mouse", "Mouse2", "Center"};
    std::string out;
    auto add = [&out](bool set, const std::string& text) { out += set ? (out.empty() ? "" : " ") + text : ""; };
    auto join = [](int count, auto row) {
        std::string rows;
        for (int i = 0; i < count; ++i) rows += (i ? "; " : "") + row(i);
        return rows;
    };
    add(SystemOptions.sortMode, "s" + std::to_string(SystemOptions.sortMode));
    add(AllLevels || InsideFolders, "sub" + std::to_string(AllLevels) + std::to_string(InsideFolders));
    add(SystemOptions.keepFolderBackslash, "bs");
    add(SystemOptions.showProgress, "bar");
    const MenuPlacementRecord& m = MenuPlacement;
    add(m.mode != PlacementMode::Active, "menu=" + (m.mode == PlacementMode::Explicit ? std::to_string(m.x) + "," +
                                                    std::to_string(m.y) : modes[static_cast<int>(m.mode)]));
    add(SystemOptions.paramMode, "param[" + join(ParamEntryCount, [](int i) {
        return std::string(ParamEntry[i].key) + "=" + ParamEntry[i].value;
    }) + "]");
    add(SystemOptions.searchPathSet, "path=" + std::string(SystemOptions.searchPath));
    add(SystemOptions.editorPath[0], "editor=" + std::string(SystemOptions.editorPath));
    add(FilterEntryCount, "F:" + join(FilterEntryCount, [](int i) {
        const FilterEntryRow& row = FilterEntry[i];
        std::string patterns;
        for (int p = 0; p < row.patternCount; ++p) patterns += (p ? "," : "") + std::string(row.patterns[p]);
        return (row.exclude ? "!" : "") + std::string(row.label) + "/" + row.execLabel + "[" + patterns + "]";
    }));
    add(RegexpEntryCount, "R:" + join(RegexpEntryCount, [](int i) {
        const RegexpEntryRow& row = RegexpEntry[i];
        return std::string(row.label) + "/" + row.execLabel + "{" + (row.invert ? "$" : "") +
               (row.searchContents ? "*" : "") + ":" + row.expression + "}";
    }));
    add(ExecEntryCount, "X:" + join(ExecEntryCount, [](int i) {
        return std::string(ExecEntry[i].program) + "|" + ExecEntry[i].label + "|" + ExecEntry[i].arguments;
    }));
    return out;
}

// A settings text, read after the command-line switches when there are any, and the State it must leave.
struct Row { const char* name; std::string text, want, switches = ""; };

inline void CheckRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        Reset();
        if (!row.switches.empty()) ParseSwitches(row.switches.c_str());
        Parse(row.text);
        EXPECT_EQ(State(), row.want) << row.name;
    }
}

}  // namespace fixture
