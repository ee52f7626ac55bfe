// The engine's parts that no run from outside pins down: the exchange sort's order for equal keys
// and where a content search's subject ends.

#include <cstring>
#include <iterator>
#include <random>
#include <utility>

#include "common/tables.h"
#include "filter/engine.h"
#include "support/wine_test.h"

// SortRows against the plain exchange sort it stands for: every pair of positions compared once with
// CompareStringA on the rows' keys, swapped when the first collates after the second. Few distinct
// parts make many keys equal, which is where the two orders could part.
TEST(Sort, RandomRowsEndAsThePlainExchangeSortLeavesThem) {
    const char* const drives[] = {"C:", "c:", "D:", ""};
    const char* const folders[] = {"\\", "\\a\\", "\\A\\", "\\ソ\\b\\", "\\a.b\\"};
    const char* const bases[] = {"x", "X", "表", "ab", ""};
    const char* const extensions[] = {"", ".txt", ".TXT", ".c", ".表"};
    std::mt19937 random(20261207);
    auto pick = [&random](const auto& parts) { return std::string(parts[random() % std::size(parts)]); };
    for (int round = 0; round < 400; ++round) {
        const int mode = round % 2 ? kSortModePath : kSortModeName, count = 1 + static_cast<int>(random() % 80);
        const bool folderRows = round % 4 >= 2;
        std::vector<std::pair<std::string, std::string>> expected;  // key and row
        for (int i = 0; i < count; ++i) {
            std::string row = pick(drives) + pick(folders) + pick(bases) + pick(extensions);
            std::strcpy(ResultList.files[i], row.c_str());
            char key[kRowBytes];
            BuildSortKey(row.c_str(), mode, folderRows, key);
            expected.emplace_back(key, row);
        }
        for (int i = 0; i < count; ++i) {
            for (int j = i + 1; j < count; ++j) {
                if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, expected[i].first.c_str(), -1,
                                   expected[j].first.c_str(), -1) == CSTR_GREATER_THAN) {
                    std::swap(expected[i], expected[j]);
                }
            }
        }
        SortRows(ResultList.files, count, mode, folderRows);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(ResultList.files[i], expected[i].second) << "round " << round << ", row " << i;
        }
    }
}

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
