// Turning a program name into the full path of an existing file, and expanding folder macros.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "common/tables.h"
#include "common/text.h"
#include "settings/settings.h"

namespace {

// The program's own folder, which the shell cannot name.
constexpr int kOwnFolder = -1;

struct FolderMacro {
    const char* name;
    int folder;  // a CSIDL, or kOwnFolder
};

// Searched in this order; each macro is expanded completely before the next is looked for.
constexpr FolderMacro kFolderMacros[] = {
    {"%Korval%", kOwnFolder},
    {"%temp_Korv%", CSIDL_DESKTOP},
    {"%Windows%", CSIDL_WINDOWS},
    {"%Program Files%", CSIDL_PROGRAM_FILES},
    {"%System%", CSIDL_SYSTEM},
    {"%My Pictures%", CSIDL_MYPICTURES},
    {"%My Music%", CSIDL_MYMUSIC},
    {"%My Video%", CSIDL_MYVIDEO},
    {"%My Documents%", CSIDL_PERSONAL},
    {"%Favorites%", CSIDL_FAVORITES},
    {"%Start Menu%", CSIDL_STARTMENU},
    {"%Programs%", CSIDL_PROGRAMS},
    {"%StartUp%", CSIDL_STARTUP},
    {"%SendTo%", CSIDL_SENDTO},
    {"%Internet Cache%", CSIDL_INTERNET_CACHE},
    {"%Fonts%", CSIDL_FONTS},
    {"%Cookies%", CSIDL_COOKIES},
    {"%History%", CSIDL_HISTORY},
    {"%Desktop%", CSIDL_DESKTOP},
    {"%Recent%", CSIDL_RECENT},
    {"%Common Start Menu%", CSIDL_COMMON_STARTMENU},
    {"%Common Programs%", CSIDL_COMMON_PROGRAMS},
    {"%Common StartUp%", CSIDL_COMMON_STARTUP},
    {"%Common Desktop%", CSIDL_COMMON_DESKTOPDIRECTORY},
    {"%Common Favorites%", CSIDL_COMMON_FAVORITES},
    {"%Common My Documents%", CSIDL_COMMON_DOCUMENTS},
    {"%Common My Pictures%", CSIDL_COMMON_PICTURES},
    {"%Common My Music%", CSIDL_COMMON_MUSIC},
    {"%Common My Video%", CSIDL_COMMON_VIDEO},
};
static_assert(sizeof kFolderMacros / sizeof kFolderMacros[0] == 29, "there are 29 folder macros");

// A name that exists: its full path, or the name itself when no full path can be made.
void FullPathOf(const char* name, char* result) {
    char full[kPathBytes];
    DWORD length = GetFullPathNameA(name, kPathBytes, full, nullptr);
    CopyField(result, kPathBytes, (length >= 1 && length < kPathBytes) ? full : name);
}

// SearchPathA in `folders` (null: the system's search order); a result that does not fit is no result.
bool SearchFor(const char* folders, const char* name, char* result) {
    char found[kPathBytes];
    DWORD length = SearchPathA(folders, name, nullptr, kPathBytes, found, nullptr);
    if (length < 1 || length >= kPathBytes) return false;
    CopyField(result, kPathBytes, found);
    return true;
}

// The folder a macro stands for; false when the system cannot give it.
bool MacroFolder(int folder, char* result) {
    if (folder == kOwnFolder) {
        CopyField(result, kPathBytes, ProgramFolder);
        size_t length = std::strlen(result);
        if (length > 0 && result[length - 1] == '\\') result[length - 1] = '\0';
        return true;
    }
    return SHGetSpecialFolderPathA(MainWindow, result, folder, FALSE) != FALSE;
}

// Replaces `length` bytes at `at` of `work` by `replacement`, cutting the whole at kExpandBytes - 1.
// Returns the offset just behind the inserted text.
size_t ReplaceAt(char* work, size_t at, size_t length, const char* replacement) {
    char joined[kExpandBytes * 2 + kPathBytes];
    size_t replacementLength = std::strlen(replacement);
    std::memcpy(joined, work, at);
    std::memcpy(joined + at, replacement, replacementLength);
    std::strcpy(joined + at + replacementLength, work + at + length);
    CopyField(work, kExpandBytes, joined);
    return at + replacementLength;
}

}  // namespace

int ResolveProgramPath(const char* name, int allowExeRetry, char* result) {
    // A name too long for a path names nothing; it comes back cut to the field.
    if (std::strlen(name) >= kPathBytes) {
        CopyField(result, kPathBytes, name);
        return 0;
    }
    char exeName[kPathBytes + 4];
    wsprintfA(exeName, "%s.exe", name);
    if (PathFileExistsA(name)) {
        FullPathOf(name, result);
        return 1;
    }
    if (allowExeRetry && PathFileExistsA(exeName)) {
        FullPathOf(exeName, result);
        return 1;
    }
    if (SystemOptions.searchPathSet) {
        if (SearchFor(SystemOptions.searchPath, name, result)) return 1;
        if (allowExeRetry && SearchFor(SystemOptions.searchPath, exeName, result)) return 1;
    }
    if (SearchFor(nullptr, name, result)) return 1;
    if (allowExeRetry && SearchFor(nullptr, exeName, result)) return 1;
    CopyField(result, kPathBytes, name);
    return 0;
}

void ExpandMacros(const char* text, char* result) {
    char work[kExpandBytes];
    CopyField(work, kExpandBytes, text);
    for (const FolderMacro& macro : kFolderMacros) {
        size_t nameLength = std::strlen(macro.name);
        // The search resumes behind each inserted folder, so a folder whose own name holds the
        // macro cannot make the expansion run forever.
        size_t from = 0;
        while (from < std::strlen(work)) {
            const char* found = StrStrIA(work + from, macro.name);
            if (found == nullptr) break;
            char folder[MAX_PATH + 1];
            if (!MacroFolder(macro.folder, folder)) break;
            from = ReplaceAt(work, found - work, nameLength, folder);
        }
    }
    for (int i = 0; i < ParamEntryCount; ++i) {
        const ParamEntryRow& entry = ParamEntry[i];
        if (entry.key[0] == '\0') continue;
        size_t keyLength = std::strlen(entry.key);
        size_t from = 0;
        while (from < std::strlen(work)) {
            const char* found = StrStrIA(work + from, entry.key);
            if (found == nullptr) break;
            from = ReplaceAt(work, found - work, keyLength, entry.value);
        }
    }
    std::memcpy(result, work, kExpandBytes);
}

void ExpandWhenParamMode(const char* text, char* result) {
    if (SystemOptions.paramMode) {
        ExpandMacros(text, result);
    } else {
        CopyField(result, kExpandBytes, text);
    }
}
