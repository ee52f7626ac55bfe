// The [filter], [regexp] and [exec] sections: entries written as pairs of lines, and the pattern splitter.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/sections.h"
#include "settings/settings.h"

namespace {

constexpr char kSeparator[] = " | ";
constexpr size_t kSeparatorLength = sizeof kSeparator - 1;

// Set while the first line of an entry waits for its second line; one flag per section.
int FilterPending;
int RegexpPending;
int ExecPending;

// Splits a label line at the first separator into the row being built.
void StoreLabelLine(const char* line, char* label, char* execLabel) {
    const char* separator = StrStrIA(line, kSeparator);
    if (separator == nullptr) {
        CopyField(label, kPathBytes, line);
        execLabel[0] = '\0';
        return;
    }
    CopyField(label, kPathBytes, std::string_view(line, separator - line));
    CopyField(execLabel, kPathBytes, separator + kSeparatorLength);
}

}  // namespace

int SplitPatternList(const char* text, int row) {
    FilterEntryRow& entry = FilterEntry[row];
    entry.patternCount = 0;
    CopyField(entry.patternText, kPathBytes, text);
    // The pattern text is at most 259 bytes, so no piece needs cutting; the appended line end
    // closes the last piece.
    char work[kPathBytes + 2];
    wsprintfA(work, "%s\r\n", entry.patternText);
    size_t pieceStart = 0;
    for (size_t at = 0; work[at] != '\0'; ++at) {
        char c = work[at];
        bool lineEnd = c == '\r' || c == '\n';
        if (c != ';' && !lineEnd) continue;
        if (at > pieceStart) {
            CopyField(entry.patterns[entry.patternCount++], kPathBytes,
                      std::string_view(work + pieceStart, at - pieceStart));
            if (lineEnd || entry.patternCount == kMaxPatterns) break;
        }
        pieceStart = at + 1;
    }
    return entry.patternCount > 0 ? 1 : 0;
}

void BeginFilterSection() {
    FilterPending = 0;
}

int HandleFilterLine(const char* line) {
    if (FilterPending && line[0] == '>' && line[1] != '\0') {
        FilterEntryRow& entry = FilterEntry[FilterEntryCount];
        entry.exclude = line[1] == '$' ? 1 : 0;
        SplitPatternList(line + (entry.exclude ? 2 : 1), FilterEntryCount);
        ++FilterEntryCount;
        FilterPending = 0;
        return FilterEntryCount < kMaxEntries ? 1 : 0;
    }
    FilterPending = 0;
    if (line[0] != '>') {
        StoreLabelLine(line, FilterEntry[FilterEntryCount].label, FilterEntry[FilterEntryCount].execLabel);
        FilterPending = 1;
    }
    return 1;
}

void BeginRegexpSection() {
    RegexpPending = 0;
}

int HandleRegexpLine(const char* line) {
    RegexpEntryRow& entry = RegexpEntry[RegexpEntryCount];
    if (RegexpPending && std::strlen(line) >= 2) {
        const char* rest = line + CharacterWidth(line);
        entry.invert = rest[0] == '$' ? 1 : 0;
        if (entry.invert) ++rest;
        entry.searchContents = rest[0] == '*' ? 1 : 0;
        if (entry.searchContents) ++rest;
        CopyField(entry.expression, kPathBytes, rest);
        ++RegexpEntryCount;
        RegexpPending = 0;
        return RegexpEntryCount < kMaxEntries ? 1 : 0;
    }
    StoreLabelLine(line, entry.label, entry.execLabel);
    RegexpPending = 1;
    return 1;
}

void BeginExecSection() {
    ExecPending = 0;
}

int HandleExecLine(const char* line) {
    char work[kExpandBytes];
    ExpandWhenParamMode(line, work);
    if (ExecPending && work[0] == '>') {
        CopyField(ExecEntry[ExecEntryCount - 1].arguments, kPathBytes, work + 1);
        ExecPending = 0;
        return 1;
    }
    if (ExecEntryCount == kMaxEntries) return 0;
    ExecPending = 0;
    const char* separator = StrStrIA(work, kSeparator);
    if (separator != nullptr) work[separator - work] = '\0';
    char found[kPathBytes];
    if (!ResolveProgramPath(work, 1, found) || PathIsDirectoryA(found)) return 1;
    ExecEntryRow& entry = ExecEntry[ExecEntryCount];
    CopyField(entry.program, kPathBytes, found);
    if (separator != nullptr) {
        CopyField(entry.label, kPathBytes, separator + kSeparatorLength);
    } else {
        PathParts parts;
        SplitPath(found, &parts);
        wsprintfA(entry.label, "%s%s", parts.base, parts.ext);
    }
    entry.arguments[0] = '\0';
    ++ExecEntryCount;
    ExecPending = 1;
    return 1;
}
