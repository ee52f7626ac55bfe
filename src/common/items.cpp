// Item identities, and the count of items left out for want of a usable ANSI name or path.
#include "common/items.h"

#include <cwchar>

#include "common/handles.h"
#include "common/names.h"

namespace {

// The items counted since the last report, by identity, in an open-addressed table. Past
// kMaxRemembered items (or for an item that cannot be opened) an item is counted without the check.
constexpr int kIdentitySlots = 4096;
constexpr int kMaxRemembered = kIdentitySlots / 4 * 3;
static_assert((kIdentitySlots & (kIdentitySlots - 1)) == 0, "the slot index is a masked hash");
static_assert(kMaxRemembered < kIdentitySlots, "a probe always meets an empty slot");

struct CountedSlot {
    ItemIdentity identity;
    bool used;
};
CountedSlot Counted[kIdentitySlots];
int RememberedCount;

struct WaitingInput {
    ItemIdentity identity;
    bool known;  // the identity could be read
    bool folder;
    char extension[kPartBytes];
};
WaitingInput Waiting[kMaxWaitingInputs];
int WaitingCount;

// Counts an item in LeftOutCount unless it was counted before; without an identity it always counts.
void CountOnce(const ItemIdentity* identity) {
    if (identity == nullptr || RememberedCount >= kMaxRemembered) {
        ++LeftOutCount;
        return;
    }
    unsigned hash = (identity->volume * 31u + identity->indexHigh) * 2654435761u ^ identity->indexLow * 40503u;
    for (unsigned slot = hash & (kIdentitySlots - 1);; slot = (slot + 1) & (kIdentitySlots - 1)) {
        CountedSlot& row = Counted[slot];
        if (!row.used) {
            row.identity = *identity;
            row.used = true;
            ++RememberedCount;
            ++LeftOutCount;
            return;
        }
        if (SameItem(row.identity, *identity)) return;
    }
}

// The extension of the path's final component, from its last dot, converted exactly; empty when
// it has none or does not convert.
void LongExtension(const wchar_t* path, size_t length, char* out) {
    size_t dot = length;
    for (size_t i = length; i > 0 && path[i - 1] != L'\\' && path[i - 1] != L'/'; --i) {
        if (path[i - 1] == L'.') {
            dot = i - 1;
            break;
        }
    }
    if (ToAnsiExactly(path + dot, length - dot, out, kPartBytes) < 0) out[0] = '\0';
}

}  // namespace

bool SameItem(const ItemIdentity& a, const ItemIdentity& b) {
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

bool IdentityOf(const wchar_t* path, ItemIdentity* identity) {
    FileHandle item(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (item.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(item.handle, &information)) return false;
    *identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    return true;
}

void NoteLeftOutInput(const wchar_t* path) {
    if (WaitingCount >= kMaxWaitingInputs) {
        CountLeftOutItem(path);
        return;
    }
    WaitingInput& input = Waiting[WaitingCount++];
    input.known = IdentityOf(path, &input.identity);
    DWORD attributes = GetFileAttributesW(path);
    input.folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    LongExtension(path, std::wcslen(path), input.extension);
}

void CountLeftOutItem(const wchar_t* path) {
    ItemIdentity identity;
    CountOnce(IdentityOf(path, &identity) ? &identity : nullptr);
}

void SettleLeftOutInputs(bool (*couldTake)(bool folder, const char* extension)) {
    for (int i = 0; i < WaitingCount; ++i) {
        const WaitingInput& input = Waiting[i];
        if (couldTake(input.folder, input.extension)) CountOnce(input.known ? &input.identity : nullptr);
    }
    WaitingCount = 0;
}

int LeftOutTotal() {
    SettleLeftOutInputs([](bool, const char*) { return true; });
    return LeftOutCount;
}

void ForgetLeftOut() {
    LeftOutCount = 0;
    WaitingCount = 0;
    if (RememberedCount == 0) return;
    for (CountedSlot& slot : Counted) slot.used = false;
    RememberedCount = 0;
}
