// The engine's parts that no run from outside pins down: where a content search's subject ends, at
// every offset of the scan's steps, and a sort key built over an earlier, longer one.
#include "filter/engine.h"
#include "support/wine_test.h"

// The subject is scanned in steps of 64 bytes, then of 16, so a zero is placed at every offset of
// several steps.
TEST(SubjectLength, EndsAtTheFirstZeroByteOrTheEnd) {
    for (size_t size : {0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 81, 127, 128, 129, 200}) {
        std::string bytes(size, '\x81');
        EXPECT_EQ(SubjectLength(bytes.data(), size), size) << "no zero in " << size << " bytes";
        for (size_t zero = 0; zero < size; ++zero) {
            std::string text = bytes;
            text[zero] = '\0';
            if (zero + 3 < size) text[zero + 3] = '\0';
            EXPECT_EQ(SubjectLength(text.data(), size), zero) << "zero at " << zero << " of " << size;
        }
    }
    std::string tail("abc\0", 4);
    EXPECT_EQ(SubjectLength(tail.data(), 3), 3u) << "a byte past the given length was read";
}

// Sort keys are built over the keys of earlier rows: a key ends where its own parts end.
TEST(SortKey, EndsWhereItsPartsEnd) {
    char clean[kRowBytes] = {}, dirty[kRowBytes];
    std::memset(dirty, 'z', sizeof dirty - 1), dirty[sizeof dirty - 1] = '\0';
    for (char* key : {clean, dirty}) BuildSortKey("C:\\a\\b.txt", kSortModeName, false, key);
    EXPECT_STREQ(dirty, clean) << "a key built over a longer one keeps its tail";
}
