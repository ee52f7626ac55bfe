// Times the result sort of a filter run on 1000 file paths of a real tree, in both sort modes, with
// korval_core's own sort. Usage: sort_bench <folder>; prints "sort MODE median-ms" per mode.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/tables.h"
#include "filter/engine.h"

namespace {

void Collect(const std::string& folder, std::vector<std::string>* files) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Collect(folder + "\\" + name, files);
        } else {
            files->push_back(folder + "\\" + name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::vector<std::string> all;
    Collect(argv[1], &all);
    if (all.size() < static_cast<size_t>(kMaxResults)) return 2;
    // 1000 paths spread over the whole tree, in a scrambled order.
    std::vector<std::string> rows;
    for (int i = 0; i < kMaxResults; ++i) rows.push_back(all[all.size() * i / kMaxResults]);
    unsigned seed = 2024;
    for (size_t i = rows.size() - 1; i > 0; --i) {
        seed = seed * 1103515245 + 12345;
        std::swap(rows[i], rows[(seed >> 8) % (i + 1)]);
    }
    for (int mode : {kSortModePath, kSortModeName}) {
        std::vector<double> times;
        for (int round = 0; round < 7; ++round) {
            for (int i = 0; i < kMaxResults; ++i) std::strcpy(ResultList.files[i], rows[i].c_str());
            ResultList.fileCount = kMaxResults;
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            SortRows(ResultList.files, kMaxResults, mode, false);
            QueryPerformanceCounter(&end);
            times.push_back(Milliseconds(start, end));
        }
        std::sort(times.begin(), times.end());
        std::printf("sort %d %.2f\n", mode, times[times.size() / 2]);
    }
    return 0;
}
