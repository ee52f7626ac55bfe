// The regular-expression test of one file through the outside library, and the library's loading.
#include <windows.h>

#include <emmintrin.h>

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

// The subject of one search: the whole file, or the base name.
struct Subject {
    char* bytes = nullptr;
    size_t length = 0;
    char name[kPartBytes] = {};
};

// The contents of the file under search. One buffer serves every file of a run: it grows when a
// file needs more room and is released when the library is unloaded after the run.
char* SubjectBuffer;
size_t SubjectCapacity;

// Room beyond a file's bytes: its terminator and one byte more, so that the next file of the same
// size ends before the space offered to a single read.
constexpr size_t kSubjectSpare = 2;
// A file is read at most this much at a time, so that Esc is looked at while a big file comes in.
constexpr DWORD kReadPart = 4u << 20;

// Looked up by name each time it is needed; null when the library lacks it.
template <typename Function>
Function LookUp(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(RegexpModule, name)));
}

// Grows the buffer to at least `bytes`, keeping its contents; false when memory runs out.
bool Reserve(size_t bytes) {
    if (bytes <= SubjectCapacity) return true;
    size_t capacity = bytes > SubjectCapacity + SubjectCapacity / 2 ? bytes : SubjectCapacity + SubjectCapacity / 2;
    void* grown = SubjectBuffer == nullptr ? HeapAlloc(GetProcessHeap(), 0, capacity)
                                           : HeapReAlloc(GetProcessHeap(), 0, SubjectBuffer, capacity);
    if (grown == nullptr) return false;
    SubjectBuffer = static_cast<char*>(grown);
    SubjectCapacity = capacity;
    return true;
}

// Reads into the subject buffer behind its first `*read` bytes until it holds `limit` bytes, a part
// at a time. True when the file ended first: a read returned less than it was offered, failed
// (the subject is then empty), or Esc stopped the run.
bool ReadUpTo(HANDLE file, size_t limit, size_t* read) {
    while (*read < limit) {
        if (StopKeyPressed()) return true;
        DWORD part = limit - *read < kReadPart ? static_cast<DWORD>(limit - *read) : kReadPart;
        DWORD got = 0;
        if (!ReadFile(file, SubjectBuffer + *read, part, &got, nullptr)) {
            *read = 0;
            return true;
        }
        *read += got;
        if (got < part) return true;
    }
    return false;
}

// Reads the whole file into the subject buffer: a read that stops short of the room offered has
// met the end of the file, so a file smaller than the buffer takes one read and no size query.
// The subject ends at the first zero byte; a failed read leaves it empty. Fails when the file
// cannot be opened, is 4 GB or larger, or cannot be held in memory, and when Esc stopped the run.
bool ReadContents(const char* path, Subject* subject) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    size_t read = 0;
    bool whole = SubjectCapacity > 1 && ReadUpTo(file.handle, SubjectCapacity - 1, &read);
    if (!whole) {
        DWORD high = 0;
        DWORD size = GetFileSize(file.handle, &high);
        if (high != 0 || (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)) return false;
        if (!Reserve(static_cast<size_t>(size) + kSubjectSpare)) return false;
        ReadUpTo(file.handle, size, &read);
    }
    if (RunStopped) return false;
    SubjectBuffer[read] = '\0';
    subject->bytes = SubjectBuffer;
    subject->length = SubjectLength(SubjectBuffer, read);
    return true;
}

}  // namespace

// Sixty-four bytes a step: a byte-wise scan costs as much as the search itself.
size_t SubjectLength(const char* bytes, size_t length) {
    constexpr size_t kBlock = sizeof(__m128i);
    constexpr size_t kStep = 4 * kBlock;
    const __m128i zero = _mm_setzero_si128();
    size_t at = 0;
    for (; at + kStep <= length; at += kStep) {
        const __m128i* step = reinterpret_cast<const __m128i*>(bytes + at);
        __m128i zeros = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(step), zero), _mm_cmpeq_epi8(_mm_loadu_si128(step + 1), zero)),
            _mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(step + 2), zero), _mm_cmpeq_epi8(_mm_loadu_si128(step + 3), zero)));
        if (_mm_movemask_epi8(zeros) != 0) break;
    }
    for (; at + kBlock <= length; at += kBlock) {
        int zeros = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at)), zero));
        if (zeros != 0) return at + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(zeros)));
    }
    while (at < length && bytes[at] != '\0') ++at;
    return at;
}

int RegexpLibrary(int release) {
    if (release) {
        if (RegexpModule != nullptr) FreeLibrary(RegexpModule);
        RegexpModule = nullptr;
        if (SubjectBuffer != nullptr) HeapFree(GetProcessHeap(), 0, SubjectBuffer);
        SubjectBuffer = nullptr;
        SubjectCapacity = 0;
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
