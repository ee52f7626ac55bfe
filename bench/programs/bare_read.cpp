// The floor of the content benchmark: reads every file below a folder whole into memory, with one
// buffer for all, and does nothing with the bytes. Usage: bare_read <folder>.
#include <cstdio>

#include "floors.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    unsigned long long bytesRead = 0;
    if (!ReadTree(argv[1], &bytesRead)) return 2;
    std::printf("%llu bytes read\n", bytesRead);
    return 0;
}
