// Shared helpers of the settings tests: parsing a text in-process and describing the tables read.
#pragma once

#include <string>

#include "common/tables.h"
#include "settings/sections.h"

namespace settings_test {

// The state the main window leaves before the settings are read: no /#m= and a known screen.
inline void ResetStartState() {
    MenuPlacement = {PlacementMode::Unset, 0, 0};
    ScreenWidth = 1000;
    MaximizedHeight = 700;
    MouseButtonCount = 3;
    InsideFolders = 0;
    SystemOptions.searchPath[0] = '\0';
    SystemOptions.searchPathSet = 0;
    ParamEntryCount = 0;
}

inline void Parse(const std::string& text) {
    ParseSettingsText(text.data(), text.size());
}

// The [filter] table as "label/execLabel[pattern,pattern]" rows joined by "; ", with "!" in front
// of an entry whose exclude flag is set.
inline std::string Filters() {
    std::string out;
    for (int i = 0; i < FilterEntryCount; ++i) {
        const FilterEntryRow& row = FilterEntry[i];
        if (i > 0) out += "; ";
        if (row.exclude) out += "!";
        out += std::string(row.label) + "/" + row.execLabel + "[";
        for (int p = 0; p < row.patternCount; ++p) out += (p > 0 ? "," : "") + std::string(row.patterns[p]);
        out += "]";
    }
    return out;
}

// The [regexp] table as "label/execLabel{flags:expression}" rows, flags "$" invert and "*" contents.
inline std::string Regexps() {
    std::string out;
    for (int i = 0; i < RegexpEntryCount; ++i) {
        const RegexpEntryRow& row = RegexpEntry[i];
        if (i > 0) out += "; ";
        out += std::string(row.label) + "/" + row.execLabel + "{" + (row.invert ? "$" : "") +
               (row.searchContents ? "*" : "") + ":" + row.expression + "}";
    }
    return out;
}

// The [exec] table as "program|label|arguments" rows joined by "; ".
inline std::string Execs() {
    std::string out;
    for (int i = 0; i < ExecEntryCount; ++i) {
        if (i > 0) out += "; ";
        out += std::string(ExecEntry[i].program) + "|" + ExecEntry[i].label + "|" + ExecEntry[i].arguments;
    }
    return out;
}

// Joins lines with CR LF after each, the way settings files are written.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

}  // namespace settings_test
