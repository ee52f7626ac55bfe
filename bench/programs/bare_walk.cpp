// The floor of the walk benchmark: enumerates a tree with FindFirstFileA/FindNextFileA and counts
// the files of one extension, nothing more. Usage: bare_walk <folder> <extension with its dot>.
#include <cstdio>

#include "floors.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    WalkCount count;
    if (!CountTree(argv[1], argv[2], &count)) return 2;
    std::printf("%ld files, %ld with %s\n", count.files, count.hits, argv[2]);
    return 0;
}
