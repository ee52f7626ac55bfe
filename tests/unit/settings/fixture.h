// Shared setup of the settings and target tests: a known start state, texts parsed in-process, the tables as text.
#pragma once

#include <sstream>

#include "settings/sections.h"
#include "settings/settings.h"
#include "support/wine_test.h"
#include "targets/targets.h"

using Paths = std::vector<std::string>;
using Strings = std::initializer_list<std::string>;

// What the main window leaves before the settings are read: no /#m=, a known screen, no @param.
inline void Reset() {
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    ScreenWidth = 1000;
    MaximizedHeight = 700;
    InsideFolders = SystemOptions.searchPathSet = SystemOptions.paramMode = ParamEntryCount = 0;
}

inline std::string Text(Strings lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}
inline std::string Section(std::string head, Strings lines) { return head + "\r\n" + Text(lines) + "%end\r\n"; }
inline std::string System(Strings lines) { return Section("[system]", lines); }
inline void Parse(const std::string& text) { ParseSettingsText(text.data(), text.size()); }
inline Paths Folders() { return Paths(TargetFolders, TargetFolders + TargetFolderCount); }
inline Paths Files() { return Paths(TargetFiles, TargetFiles + TargetFileCount); }

// What the settings set beyond the defaults, such as "s2 menu=Center F:Docs/View[.txt,.doc] X:C:\v.exe|View|/r".
// Filter rows read "label/execLabel[patterns]" ("!" when excluding), regexp rows "label/execLabel{$*:expression}".
inline std::string State() {
    const char* const modes[] = {"Unset", "", "", "Mouse", "Mouse2", "Center"};
    const SystemOptionsRecord& o = SystemOptions;
    std::ostringstream out;
    if (o.sortMode) out << " s" << o.sortMode;
    if (AllLevels || InsideFolders) out << " sub" << AllLevels << InsideFolders;
    if (o.keepFolderBackslash) out << " bs";
    if (o.showProgress) out << " bar";
    if (MenuPlacement.mode != PlacementMode::Active) out << " menu=" << modes[static_cast<int>(MenuPlacement.mode)];
    if (MenuPlacement.mode == PlacementMode::Explicit) out << MenuPlacement.x << "," << MenuPlacement.y;
    if (o.paramMode) out << " param[";
    for (int i = 0; i < ParamEntryCount; ++i) out << (i ? "; " : "") << ParamEntry[i].key << "=" << ParamEntry[i].value;
    if (o.paramMode) out << "]";
    if (o.searchPathSet) out << " path=" << o.searchPath;
    if (o.editorPath[0]) out << " editor=" << o.editorPath;
    for (int i = 0; i < FilterEntryCount; ++i) {
        const FilterEntryRow& f = FilterEntry[i];
        out << (i ? "; " : " F:") << (f.exclude ? "!" : "") << f.label << "/" << f.execLabel << "[";
        for (int p = 0; p < f.patternCount; ++p) out << (p ? "," : "") << f.patterns[p];
        out << "]";
    }
    for (int i = 0; i < RegexpEntryCount; ++i) {
        const RegexpEntryRow& r = RegexpEntry[i];
        out << (i ? "; " : " R:") << r.label << "/" << r.execLabel << "{" << (r.invert ? "$" : "")
            << (r.searchContents ? "*" : "") << ":" << r.expression << "}";
    }
    for (int i = 0; i < ExecEntryCount; ++i) {
        out << (i ? "; " : " X:") << ExecEntry[i].program << "|" << ExecEntry[i].label << "|" << ExecEntry[i].arguments;
    }
    return out.str().erase(0, 1);
}

// A settings text, read after the command-line switches, and the State it must leave.
struct Row { const char* name; std::string text, want, switches = ""; };

inline void CheckRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        Reset();
        ParseSwitches(row.switches.c_str());
        Parse(row.text);
        EXPECT_EQ(State(), row.want) << row.name;
    }
}
