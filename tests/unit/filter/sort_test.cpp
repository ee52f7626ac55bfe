// The engine's parts that no run from outside pins down: the exchange sort's order for equal keys
// and where a content search's subject ends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "filter/engine.h"

TEST(Sort, RowsB1B2AWithEqualKeysB1AndB2EndAsAB2B1) {
    const std::vector<std::string> rows = {"C:\\B\\X.TXT", "c:\\b\\x.txt", "C:\\a\\a.txt"};
    for (int mode : {kSortModePath, kSortModeName}) {
        for (size_t i = 0; i < rows.size(); ++i) std::strcpy(ResultList.files[i], rows[i].c_str());
        SortRows(ResultList.files, 3, mode, false);
        EXPECT_EQ(std::vector<std::string>(ResultList.files, ResultList.files + 3),
                  (std::vector<std::string>{rows[2], rows[1], rows[0]}))
            << "mode " << mode;
    }
}

// The subject is scanned eight bytes at a time, so a zero is placed at every offset of several words.
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
    std::string tail("abc\0", 4);
    EXPECT_EQ(SubjectLength(tail.data(), 3), 3u) << "a byte past the given length was read";
}
