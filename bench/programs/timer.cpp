// Times programs from inside Wine, so that Wine's own start-up is not counted. Reads a plan file
// (system code page) of lines "name<TAB>working folder<TAB>command line", runs one round to warm
// the caches, then `rounds` rounds of every line, and prints "name median-ms min-ms" per
// line. Usage: timer <rounds> <plan file>.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct Line {
    std::string name;
    std::string folder;
    std::string commandLine;
    std::vector<double> times;
};

std::vector<Line> ReadPlan(const char* path) {
    std::vector<Line> plan;
    FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return plan;
    char text[40000];
    while (std::fgets(text, sizeof text, in)) {
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        size_t first = line.find('\t');
        size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos) continue;
        plan.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1), line.substr(second + 1), {}});
    }
    std::fclose(in);
    return plan;
}

// Runs one command line to its end with its output discarded; returns the milliseconds it took.
double Time(const Line& line) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(line.commandLine.begin(), line.commandLine.end());
    commandLine.push_back('\0');
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        line.folder.empty() ? nullptr : line.folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", line.commandLine.c_str());
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    int rounds = std::atoi(argv[1]);
    std::vector<Line> plan = ReadPlan(argv[2]);
    if (plan.empty() || rounds < 1) return 2;
    for (Line& line : plan) Time(line);
    // Each round runs the lines in an order of its own, shuffled from a fixed seed: a program runs
    // slower right after some others have ended, and a fixed order would charge that to the same
    // program every round.
    std::vector<size_t> order(plan.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::mt19937 shuffle(2026);
    for (int round = 0; round < rounds; ++round) {
        std::shuffle(order.begin(), order.end(), shuffle);
        for (size_t i : order) plan[i].times.push_back(Time(plan[i]));
    }
    for (Line& line : plan) {
        std::sort(line.times.begin(), line.times.end());
        std::printf("%s %.1f %.1f\n", line.name.c_str(), line.times[line.times.size() / 2], line.times.front());
    }
    return 0;
}
