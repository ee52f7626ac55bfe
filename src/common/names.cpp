// Exact conversion of wide names to the code page, and the short and long forms of paths.
#include "common/names.h"

#include <climits>
#include <cstring>
#include <cwchar>

#include "common/handles.h"

namespace {

// Below this length every path function takes a path without the prefix; a search pattern adds
// "\*" and a created folder needs room for an 8.3 name, hence the margin below MAX_PATH.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;
constexpr wchar_t kLocalPrefix[] = L"\\\\?\\";
constexpr wchar_t kUncPrefix[] = L"\\\\?\\UNC";
constexpr size_t kLocalPrefixLength = sizeof kLocalPrefix / sizeof(wchar_t) - 1;
constexpr size_t kUncPrefixLength = sizeof kUncPrefix / sizeof(wchar_t) - 1;

// Scratch of the path functions: each result is used before the next call of the same function.
wchar_t PrefixedPath[kUncPrefixLength + kWidePathChars];
wchar_t ShortPath[kWidePathChars];
wchar_t LongPath[kWidePathChars];
wchar_t TruePath[kWidePathChars];
wchar_t ItemPath[kWidePathChars];

// The path a platform function returned, without the prefix that PlatformPath added.
const wchar_t* WithoutPrefix(wchar_t* path, size_t* length) {
    if (std::wcsncmp(path, L"\\\\?\\UNC\\", kUncPrefixLength + 1) == 0) {
        // "\\?\UNC\server" becomes "\\server": the C is overwritten by the second backslash.
        path[kUncPrefixLength - 1] = L'\\';
        *length -= kUncPrefixLength - 1;
        return path + kUncPrefixLength - 1;
    }
    if (std::wcsncmp(path, kLocalPrefix, kLocalPrefixLength) == 0) {
        *length -= kLocalPrefixLength;
        return path + kLocalPrefixLength;
    }
    return path;
}

bool IsAscii(const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x80) return false;
    }
    return true;
}

// The short name of the item that the first `length` characters of `path` name, in `out`
// (kPathBytes); its length, or -1 when it has none that converts.
int ShortNameOf(const wchar_t* path, size_t length, char* out) {
    std::wmemcpy(ItemPath, path, length);
    ItemPath[length] = L'\0';
    WIN32_FIND_DATAW entry;
    SearchHandle search(FindFirstFileW(PlatformPath(ItemPath, length), &entry));
    if (search.handle == INVALID_HANDLE_VALUE) return -1;
    return ShortAnsiName(entry.cAlternateFileName, out, kPathBytes);
}

// `path` (`length` characters) with every name that does not convert, or that parsing would change,
// replaced by its short name, and every other name and separator kept as written, in `out`
// (kPathBytes). Returns its length, or -1 when it is kPathBytes or longer or a name has no short name.
int NamewiseAnsiPath(const wchar_t* path, size_t length, char* out) {
    size_t written = 0;
    size_t start = 0;
    for (size_t end = 0; end <= length; ++end) {
        bool last = end == length;
        if (!last && path[end] != L'\\' && path[end] != L'/') continue;
        char name[kPathBytes];
        int nameLength = ParsingChangesName(path + start, end - start)
                             ? -1
                             : ToAnsiExactly(path + start, end - start, name, kPathBytes);
        if (nameLength < 0) nameLength = ShortNameOf(path, end, name);
        if (nameLength < 0) return -1;
        size_t grown = written + static_cast<size_t>(nameLength) + (last ? 0 : 1);
        if (grown >= kPathBytes) return -1;
        std::memcpy(out + written, name, static_cast<size_t>(nameLength));
        written += static_cast<size_t>(nameLength);
        if (!last) out[written++] = static_cast<char>(path[end]);
        start = end + 1;
    }
    out[written] = '\0';
    return static_cast<int>(written);
}

}  // namespace

int ToAnsiExactly(const wchar_t* text, size_t length, char* out, size_t size) {
    if (size == 0) return -1;
    out[0] = '\0';
    if (IsAscii(text, length)) {
        if (length + 1 > size) return -1;
        for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
        out[length] = '\0';
        return static_cast<int>(length);
    }
    if (length > INT_MAX || size - 1 > INT_MAX) return -1;
    BOOL usedDefault = FALSE;
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), out,
                                      static_cast<int>(size - 1), nullptr, &usedDefault);
    if (written <= 0 || usedDefault) {
        out[0] = '\0';
        return -1;
    }
    out[written] = '\0';
    return written;
}

bool ParsingChangesName(const wchar_t* name, size_t length) {
    if (length == 0 || (name[length - 1] != L'.' && name[length - 1] != L' ')) return false;
    bool dotEntry = name[0] == L'.' && (length == 1 || (length == 2 && name[1] == L'.'));
    return !dotEntry;
}

bool HoldsChangedName(const wchar_t* path, size_t length) {
    size_t start = 0;
    for (size_t end = 0; end <= length; ++end) {
        if (end < length && path[end] != L'\\' && path[end] != L'/') continue;
        if (ParsingChangesName(path + start, end - start)) return true;
        start = end + 1;
    }
    return false;
}

int ShortAnsiName(const wchar_t* shortName, char* out, size_t size) {
    size_t length = std::wcslen(shortName);
    if (length == 0 || ParsingChangesName(shortName, length)) return -1;
    return ToAnsiExactly(shortName, length, out, size);
}

int ChooseAnsiName(const wchar_t* longName, const wchar_t* shortName, char* out, size_t size) {
    size_t longLength = std::wcslen(longName);
    if (!ParsingChangesName(longName, longLength)) {
        int length = ToAnsiExactly(longName, longLength, out, size);
        if (length >= 0) return length;
    }
    return ShortAnsiName(shortName, out, size);
}

const wchar_t* PlatformPath(const wchar_t* path, size_t length) {
    if (length + kUncPrefixLength >= sizeof PrefixedPath / sizeof(wchar_t)) return path;
    if (length < kPlainPathLimit && !HoldsChangedName(path, length)) return path;
    if (path[0] != L'\0' && path[1] == L':' && path[2] == L'\\') {
        std::wmemcpy(PrefixedPath, kLocalPrefix, kLocalPrefixLength);
        std::wmemcpy(PrefixedPath + kLocalPrefixLength, path, length + 1);
        return PrefixedPath;
    }
    if (path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.') {
        // "\\server\share" becomes "\\?\UNC\server\share".
        std::wmemcpy(PrefixedPath, kUncPrefix, kUncPrefixLength);
        std::wmemcpy(PrefixedPath + kUncPrefixLength, path + 1, length);
        return PrefixedPath;
    }
    return path;
}

int ShortAnsiPathOf(const wchar_t* path, char* out) {
    DWORD length = GetShortPathNameW(path, ShortPath, kWidePathChars);
    if (length == 0 || length >= kWidePathChars) return -1;
    size_t shortLength = length;
    const wchar_t* plain = WithoutPrefix(ShortPath, &shortLength);
    // A name without a short one stays long in the short form, and may be one that parsing changes.
    if (HoldsChangedName(plain, shortLength)) return -1;
    return ToAnsiExactly(plain, shortLength, out, kPathBytes);
}

size_t FolderPathLength(const wchar_t* path, size_t length) {
    if (length < 2 || path[length - 1] != L'\\') return length;
    DWORD attributes = GetFileAttributesW(PlatformPath(path, length));
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? length - 1 : length;
}

int AnsiPathOf(const wchar_t* path, char* out) {
    size_t length = wcsnlen(path, kWidePathChars);
    if (length >= kWidePathChars) return 0;
    length = FolderPathLength(path, length);
    if (!HoldsChangedName(path, length) && ToAnsiExactly(path, length, out, kPathBytes) >= 0) return 1;
    if (NamewiseAnsiPath(path, length, out) >= 0) return 1;
    std::wmemcpy(ItemPath, path, length);
    ItemPath[length] = L'\0';
    return ShortAnsiPathOf(PlatformPath(ItemPath, length), out) >= 0 ? 1 : 0;
}

bool NamewisePathFits(const char* path) {
    size_t length = TrueWidePath(path, TruePath, kWidePathChars);
    char out[kPathBytes];
    return length > 0 && NamewiseAnsiPath(TruePath, length, out) >= 0;
}

size_t TrueWidePath(const char* path, wchar_t* out, size_t size) {
    if (size == 0) return 0;
    int converted = MultiByteToWideChar(CP_ACP, 0, path, -1, out, static_cast<int>(size));
    if (converted <= 0) {
        out[0] = L'\0';
        return 0;
    }
    size_t length = static_cast<size_t>(converted) - 1;
    // Every short name the platform makes up holds a tilde; a path without one has none to expand.
    if (std::strchr(path, '~') == nullptr) return length;
    DWORD longLength = GetLongPathNameW(PlatformPath(out, length), LongPath, kWidePathChars);
    if (longLength == 0 || longLength >= kWidePathChars) return length;
    size_t expanded = longLength;
    const wchar_t* plain = WithoutPrefix(LongPath, &expanded);
    if (expanded + 1 > size) return length;
    std::wmemcpy(out, plain, expanded + 1);
    return expanded;
}

bool LongNameExtension(const char* path, char* out) {
    if (std::strchr(path, '~') == nullptr) return false;
    size_t length = TrueWidePath(path, TruePath, kWidePathChars);
    size_t nameStart = length;
    while (nameStart > 0 && TruePath[nameStart - 1] != L'\\' && TruePath[nameStart - 1] != L'/') --nameStart;
    size_t dot = length;
    for (size_t i = nameStart; i < length; ++i) {
        if (TruePath[i] == L'.') dot = i;
    }
    return ToAnsiExactly(TruePath + dot, length - dot, out, kPartBytes) >= 0;
}
