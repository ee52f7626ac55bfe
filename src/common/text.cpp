// Path splitting, name equality and character-safe cuts in the system code page.
#include "common/text.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kLowestTrailByte = 0x40;

}  // namespace

bool IsLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}

int CharacterWidth(const char* text) {
    return (IsLeadByte(static_cast<unsigned char>(text[0])) && static_cast<unsigned char>(text[1]) >= kLowestTrailByte)
               ? 2
               : 1;
}

bool EndsWithBackslash(const char* text) {
    bool last = false;
    for (size_t i = 0; text[i] != '\0';) {
        int width = CharacterWidth(text + i);
        last = width == 1 && text[i] == '\\';
        i += static_cast<size_t>(width);
    }
    return last;
}

bool JoinField(char* field, size_t size, std::string_view head, std::string_view tail) {
    if (head.size() + tail.size() >= size) {
        if (size > 0) field[0] = '\0';
        return false;
    }
    std::memcpy(field, head.data(), head.size());
    std::memcpy(field + head.size(), tail.data(), tail.size());
    field[head.size() + tail.size()] = '\0';
    return true;
}

size_t CopyField(char* field, size_t size, std::string_view text) {
    if (size == 0) return 0;
    size_t keep = 0;
    size_t limit = size - 1;
    while (keep < text.size()) {
        size_t width = IsLeadByte(static_cast<unsigned char>(text[keep])) ? 2 : 1;
        if (keep + width > limit) break;
        keep = std::min(keep + width, text.size());
    }
    std::memcpy(field, text.data(), keep);
    field[keep] = '\0';
    return keep;
}

void SplitPath(const char* path, PathParts* parts) {
    std::string_view text(path);
    size_t start = 0;
    parts->drive[0] = '\0';
    if (text.size() >= 2 && text[1] == ':' &&
        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        CopyField(parts->drive, kPartBytes, text.substr(0, 2));
        start = 2;
    }
    size_t nameStart = start;           // just behind the last separator
    size_t lastDot = std::string_view::npos;
    for (size_t i = start; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c) && i + 1 < text.size()) {
            i += 2;
            continue;
        }
        if (c == '\\' || c == '/') {
            nameStart = i + 1;
            lastDot = std::string_view::npos;
        } else if (c == '.') {
            lastDot = i;
        }
        ++i;
    }
    CopyField(parts->folder, kPartBytes, text.substr(start, nameStart - start));
    size_t extStart = lastDot == std::string_view::npos ? text.size() : lastDot;
    CopyField(parts->base, kPartBytes, text.substr(nameStart, extStart - nameStart));
    CopyField(parts->ext, kPartBytes, text.substr(extStart));
}

bool NamesEqual(const char* a, const char* b) {
    return lstrlenA(a) == lstrlenA(b) && StrStrIA(a, b) != nullptr;
}

int KindFromPattern(const char* firstPattern) {
    if (StrCmpNIA(firstPattern, "folder", 6) == 0) return kKindFolders;
    if (StrCmpNIA(firstPattern, "file", 4) == 0) return kKindFiles;
    if (StrCmpNIA(firstPattern, ".*", 2) == 0) return kKindAll;
    return kKindPatterns;
}
