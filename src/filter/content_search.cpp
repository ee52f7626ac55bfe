// The regular-expression test of one file through the outside library, and the library's loading.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "common/handles.h"
#include "common/names.h"
#include "common/tables.h"
#include "common/text.h"
#include "filter/engine.h"
#include "filter/filter.h"

namespace {

constexpr char kLibraryName[] = "BREGEXP.DLL";
constexpr int kMessageBytes = 80;

using MatchFunction = int (*)(char* expression, char* subjectStart, char* subjectEnd, void** compiled,
                              char* message);
using FreeFunction = void (*)(void* compiled);

// Valid between a successful load and the unload that follows the run.
HMODULE RegexpModule;

// The subject of one search: the whole file, or the base name. Owns what it allocated.
struct Subject {
    char* bytes = nullptr;
    size_t length = 0;
    bool allocated = false;
    char name[kPartBytes] = {};
    Subject() = default;
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;
    ~Subject() {
        if (allocated) HeapFree(GetProcessHeap(), 0, bytes);
    }
};

// Looked up by name each time it is needed; null when the library lacks it.
template <typename Function>
Function LookUp(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(RegexpModule, name)));
}

// Reads the whole file; the subject ends at its first zero byte. Fails when the file cannot be
// opened, is 4 GB or larger, or cannot be held in memory.
bool ReadContents(const char* path, Subject* subject) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file.handle, &high);
    if (high != 0 || (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) return false;
    size_t bytes = static_cast<size_t>(size) + 1;
    subject->bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes));
    if (subject->bytes == nullptr) return false;
    subject->allocated = true;
    DWORD read = 0;
    if (!ReadFile(file.handle, subject->bytes, size, &read, nullptr)) read = 0;
    subject->bytes[read] = '\0';
    subject->length = SubjectLength(subject->bytes, read);
    return true;
}

}  // namespace

// Eight bytes at a time: the platform's byte-wise scan costs as much as the search itself.
size_t SubjectLength(const char* bytes, size_t length) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    size_t at = 0;
    for (; at + sizeof(uint64_t) <= length; at += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, bytes + at, sizeof word);
        if (((word - kOnes) & ~word & kHighs) != 0) break;
    }
    while (at < length && bytes[at] != '\0') ++at;
    return at;
}

int RegexpLibrary(int release) {
    if (release) {
        if (RegexpModule != nullptr) FreeLibrary(RegexpModule);
        RegexpModule = nullptr;
        return 1;
    }
    RegexpModule = LoadLibraryA(kLibraryName);
    return RegexpModule != nullptr ? 1 : 0;
}

int SearchFile(HWND, const char* path) {
    PathParts parts;
    SplitPath(path, &parts);
    char longExtension[kPartBytes];
    if (FilterSwitch == 2 && !MatchExtension(LongNameExtension(path, longExtension) ? longExtension : parts.ext)) {
        return 0;
    }

    RegexpEntryRow& entry = RegexpEntry[SelectedRegexpIndex];
    Subject subject;
    if (entry.searchContents) {
        if (!ReadContents(path, &subject)) return 0;
    } else {
        subject.length = CopyField(subject.name, kPartBytes, parts.base);
        subject.bytes = subject.name;
    }

    auto match = LookUp<MatchFunction>("BMatch");
    if (match == nullptr) return 0;
    void* compiled = nullptr;
    char message[kMessageBytes] = {};
    int verdict = match(entry.expression, subject.bytes, subject.bytes + subject.length, &compiled, message);
    if (auto release = LookUp<FreeFunction>("BRegfree")) release(compiled);

    bool matched = verdict == 1;
    return matched != (entry.invert != 0) ? 1 : 0;
}
