// The subject of a content search ends at the first zero byte, wherever it lies.
#include <gtest/gtest.h>

#include <string>

#include "filter/engine.h"

TEST(SubjectLength, EndsAtTheFirstZeroByteOrTheEnd) {
    for (size_t size : {0, 1, 7, 8, 9, 15, 16, 17, 64, 100}) {
        std::string bytes(size, '\x81');
        EXPECT_EQ(SubjectLength(bytes.data(), size), size) << "no zero in " << size << " bytes";
        for (size_t zero = 0; zero < size; ++zero) {
            std::string text = bytes;
            text[zero] = '\0';
            if (zero + 3 < size) text[zero + 3] = '\0';
            EXPECT_EQ(SubjectLength(text.data(), size), zero) << "zero at " << zero << " of " << size;
        }
    }
    // Bytes after the given length are not looked at.
    std::string tail("abc\0", 4);
    EXPECT_EQ(SubjectLength(tail.data(), 3), 3u);
}
