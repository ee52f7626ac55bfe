// Targets that arrive as wide text (the command line, clipboard text): every path in them is made
// to name its item in the code page before the ANSI splitter sees it.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "common/items.h"
#include "common/names.h"
#include "common/tables.h"
#include "targets/targets.h"
#include "targets/tokens.h"

namespace {

// The command line after the rewriting; CommandLineText points into it.
std::string RewrittenCommandLine;

// The path the ANSI splitter would test for the token [first, end): without the characters the
// rules drop, one pair of enclosing double quotes, the blanks around it, and a folder's trailing
// backslash.
std::wstring TokenPath(const wchar_t* text, size_t first, size_t end, int mode) {
    std::wstring path;
    for (size_t at = first; at < end; ++at) {
        if (!IsIgnoredInToken(text[at], mode)) path += text[at];
    }
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    size_t start = path.find_first_not_of(L' ');
    if (start == std::wstring::npos) return std::wstring();
    path = path.substr(start, path.find_last_not_of(L' ') - start + 1);
    path.resize(FolderPathLength(path.c_str(), path.size()));
    return path;
}

// True when the ANSI splitter can take `path` as it is written: it converts exactly, fits a table
// row, and parsing leaves every name of it as it is.
bool KeptAsWritten(const std::wstring& path) {
    char ansiPath[kPathBytes];
    return !HoldsChangedName(path.c_str(), path.size()) &&
           ToAnsiExactly(path.c_str(), path.size(), ansiPath, kPathBytes) >= 0;
}

bool NamesItem(const std::wstring& path) {
    return !path.empty() && path.size() < kWidePathChars &&
           GetFileAttributesW(PlatformPath(path.c_str(), path.size())) != INVALID_FILE_ATTRIBUTES;
}

// Text that converts exactly, appended to `out`; false (and nothing appended) when it does not.
bool AppendExactly(std::string* out, const wchar_t* text, size_t length) {
    std::string converted(length * 2 + 1, '\0');
    int written = ToAnsiExactly(text, length, &converted[0], converted.size());
    if (written < 0) return false;
    out->append(converted.data(), static_cast<size_t>(written));
    return true;
}

// Text that names nothing: characters the code page lacks become its default character, so the
// text still names nothing and a switch keeps its shape.
void AppendLossily(std::string* out, const wchar_t* text, size_t length) {
    if (length == 0 || AppendExactly(out, text, length)) return;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) return;
    std::string converted(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), &converted[0], size, nullptr,
                        nullptr);
    *out += converted;
}

// The part of the command line behind the program's own name, found as the entry point finds it.
const wchar_t* CommandLineTail(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') ++line;
        if (*line == L'"') ++line;
    } else {
        while (*line > L' ') ++line;
    }
    while (*line != L'\0' && *line <= L' ') ++line;
    return line;
}

}  // namespace

int AnsiPathOfItem(const wchar_t* path, char* out) {
    if (AnsiPathOf(path, out)) return 1;
    std::wstring item(path, wcsnlen(path, kWidePathChars));
    if (NamesItem(item)) NoteLeftOutInput(PlatformPath(item.c_str(), item.size()));
    return 0;
}

bool RewriteUnusablePaths(const wchar_t* text, size_t length, int mode, std::string* out) {
    length = wcsnlen(text, length);
    out->clear();
    bool rewritten = false;
    size_t copied = 0;
    ScanTokens(text, length, mode, [&](size_t first, size_t end) {
        // Between two tokens lie only separators and dropped characters, all of them ASCII.
        AppendLossily(out, text + copied, first - copied);
        copied = end;
        std::wstring path = TokenPath(text, first, end, mode);
        char ansiPath[kPathBytes];
        bool fits = KeptAsWritten(path);
        size_t before = out->size();
        if (AppendExactly(out, text + first, end - first) && (fits || !NamesItem(path))) return false;
        out->resize(before);
        rewritten = true;
        if (!NamesItem(path)) {
            AppendLossily(out, text + first, end - first);
        } else if (AnsiPathOfItem(path.c_str(), ansiPath)) {
            // In quotes, so that the token keeps its bounds whatever stands next to it.
            *out += '"';
            *out += ansiPath;
            *out += '"';
        }
        return false;
    });
    AppendLossily(out, text + copied, length - copied);
    return rewritten;
}

char* ReadableCommandLine(char* ansiText) {
    const wchar_t* text = CommandLineTail(GetCommandLineW());
    std::wstring whole(text);
    std::wstring item = whole.substr(0, FolderPathLength(whole.c_str(), whole.size()));
    char path[kPathBytes];
    if (NamesItem(item)) {
        // The whole line names one item: the run controller keeps it together as one target.
        if (KeptAsWritten(item)) return ansiText;
        RewrittenCommandLine = AnsiPathOfItem(item.c_str(), path) ? path : "";
    } else if (!RewriteUnusablePaths(text, whole.size(), kCommandLineMode, &RewrittenCommandLine)) {
        return ansiText;
    }
    return &RewrittenCommandLine[0];
}
