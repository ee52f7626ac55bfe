// Benchmark driver: the engine against LC_ALL=C grep -E -c on a generated 200 MB Shift-JIS corpus.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bregexp_api.h"

namespace {

using Clock = std::chrono::steady_clock;

// No word here has exactly five lower-case letters, so four such words in a
// row never occur; "Sherlock" is never followed by "Holmes".
const char* const kWords[] = {
    "Sherlock", "Holmes",   "Watson",  "Baker",   "Street",  "London",   "detective", "mystery", "evening",
    "morning",  "window",   "letter",  "matter",  "little",  "should",   "before",    "through", "remarked",
    "observed", "carriage", "singular", "problem", "clearly", "perhaps", "himself",   "nothing", "the",
    "of",       "and",      "to",      "in",      "is",      "was",      "that",      "his",     "he",
    "it",       "with",     "had",     "for",     "you",     "not",      "have",      "but",     "be",
    "at",       "on",       "as",      "my",      "said",    "upon",     "this",      "from",    "very",
    "one",      "what",     "some",    "been",    "into",    "door",     "room",      "over",    "case",
    "man",      "her",      "she",     "him",     "all",     "we",       "so",        "no",      "an",
};

// The literal searched for is 亜亜 (88 9F 88 9F). The corpus never holds it on
// character boundaries, only inside ｈ 檀 殆 (82 88, 9F 88, 9F 40).
const char kMisalignedHost[] = "\x82\x88\x9F\x88\x9F\x40";
const char kJapaneseLiteral[] = "\x88\x9F\x88\x9F";

std::string JapaneseChar(std::mt19937& rng) {
  const unsigned kind = rng() % 10;
  unsigned lead, trail;
  if (kind < 4) {
    lead = 0x82, trail = 0x9F + rng() % 83;  // hiragana
  } else if (kind < 6) {
    lead = 0x83, trail = 0x40 + rng() % 86;  // katakana
    if (trail >= 0x7F) ++trail;
  } else if (kind < 7) {
    lead = 0x81, trail = 0x41 + rng() % 2;  // 、。
  } else {
    lead = 0x89 + rng() % 0x17, trail = 0x40 + rng() % 188;  // kanji
    if (trail >= 0x7F) ++trail;
  }
  return {char(lead), char(trail)};
}

std::string MakeCorpus(size_t size) {
  std::mt19937 rng(2024);
  std::string out;
  out.reserve(size + 4096);
  const size_t word_count = sizeof kWords / sizeof kWords[0];
  while (out.size() < size) {
    if (rng() % 2 == 0) {
      std::string line;
      size_t previous = word_count;
      while (line.size() < 72) {
        size_t w = rng() % word_count;
        if (previous == 0 && w == 1) w = 2;
        std::string word = kWords[w];
        if (line.empty() && word[0] >= 'a') word[0] = char(word[0] - 0x20);
        line += word;
        line += (rng() % 12 == 0) ? ". " : " ";
        previous = w;
      }
      out += line;
    } else {
      for (int k = 0; k < 36; ++k) out += (rng() % 40 == 0) ? std::string(kMisalignedHost) : JapaneseChar(rng);
    }
    out += '\n';
  }
  return out;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct EngineRun {
  double seconds;
  int result;
};

EngineRun TimeEngine(const std::string& expression, const std::string& subject, int repeats) {
  EngineRun best{1e9, -2};
  for (int r = 0; r < repeats; ++r) {
    void* compiled = nullptr;
    char message[bregexp::kMessageSize];
    const auto start = Clock::now();
    best.result = bregexp::MatchExpression(expression.c_str(), subject.data(), subject.data() + subject.size(),
                                           &compiled, message);
    best.seconds = std::min(best.seconds, Seconds(Clock::now() - start));
    bregexp::Free(compiled);
    if (best.result < 0) std::fprintf(stderr, "%s: %s\n", expression.c_str(), message);
  }
  return best;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

double TimeGrep(const std::string& options, const std::string& pattern, const std::string& path, std::string* count) {
  const std::string command =
      "LC_ALL=C grep -E -c " + options + " -e " + ShellQuote(pattern) + " " + ShellQuote(path);
  double best = 1e9;
  for (int r = 0; r < 3; ++r) {
    const auto start = Clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return best;
    char buf[64] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, pipe);
    pclose(pipe);
    best = std::min(best, Seconds(Clock::now() - start));
    *count = std::string(buf, n);
    while (!count->empty() && count->back() == '\n') count->pop_back();
  }
  return best;
}

struct Case {
  const char* name;
  std::string expression;
  std::string grep_options;
  std::string grep_pattern;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS-PATH\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  const std::string corpus = MakeCorpus(size_t(200) << 20);
  std::ofstream(path, std::ios::binary).write(corpus.data(), std::streamsize(corpus.size()));
  std::printf("corpus: %zu bytes of English and Japanese lines in %s\n", corpus.size(), path.c_str());

  const std::vector<Case> cases = {
      {"literal", "m/Sherlock Holmes/", "", "Sherlock Holmes"},
      {"japanese-misaligned", std::string("m/") + kJapaneseLiteral + "/", "", kJapaneseLiteral},
      {"caseless", "m/sherlock holmes/i", "-i", "sherlock holmes"},
      {"classes", "m/[a-z]{5}\\s+[a-z]{5}\\s+[a-z]{5}\\s+[a-z]{5}/", "",
       "[a-z]{5}\\s+[a-z]{5}\\s+[a-z]{5}\\s+[a-z]{5}"},
  };
  std::vector<std::pair<std::string, double>> ratios;
  bool ok = true;
  for (const Case& c : cases) {
    const EngineRun engine = TimeEngine(c.expression, corpus, 3);
    std::string count;
    const double grep = TimeGrep(c.grep_options, c.grep_pattern, path, &count);
    std::printf("%-20s engine %.3f s (result %d)  grep %.3f s (count %s)\n", c.name, engine.seconds, engine.result,
                grep, count.c_str());
    if (engine.result != 0) {
      std::printf("%-20s FAILED: the engine reports a match where there is none\n", c.name);
      ok = false;
    }
    ratios.emplace_back(c.name, engine.seconds / grep);
  }

  std::mt19937 rng(5);
  std::string ab(size_t(20) << 20, 'a');
  for (char& ch : ab) ch = (rng() & 1) ? 'a' : 'b';
  const std::string pathological = "m/[ab]*a[ab]{20}[^ab]/";
  const EngineRun n = TimeEngine(pathological, ab.substr(0, ab.size() / 2), 3);
  const EngineRun n2 = TimeEngine(pathological, ab, 3);
  std::printf("%-20s engine %.3f s on 10 MB (result %d), %.3f s on 20 MB (result %d)\n", "pathological", n.seconds,
              n.result, n2.seconds, n2.result);
  if (n.result != 0 || n2.result != 0) ok = false;

  // A program of 2,400 instructions whose empty-transition closures overlap (each optional [ab]?
  // reaches all the ones after it), on runs of 799 a's: the work per byte must stay within the
  // program's size; the goal is under 0.3 s per 100 KB.
  std::string runs;
  while (runs.size() < size_t(20) << 20) runs += std::string(799, 'a') + "x";
  runs.resize(size_t(20) << 20);
  const std::string big = "m/([ab]?){800}[ab]{800}/";
  const EngineRun small = TimeEngine(big, runs.substr(0, size_t(100) << 10), 3);
  const EngineRun b1 = TimeEngine(big, runs.substr(0, runs.size() / 2), 3);
  const EngineRun b2 = TimeEngine(big, runs, 3);
  const double mb_per_second = double(runs.size()) / double(1 << 20) / b2.seconds;
  std::printf("%-20s engine %.3f s on 100 KB (result %d), %.3f s on 10 MB (result %d), %.3f s on 20 MB (result %d), "
              "%.0f MB/s\n",
              "big-program", small.seconds, small.result, b1.seconds, b1.result, b2.seconds, b2.result, mb_per_second);
  if (small.result != 0 || b1.result != 0 || b2.result != 0 || small.seconds >= 0.3) ok = false;

  for (const auto& r : ratios) std::printf("ratio engine/grep %s = %.2f\n", r.first.c_str(), r.second);
  std::printf("ratio engine/linear pathological = %.2f\n", n2.seconds / n.seconds);
  std::printf("ratio engine/linear big-program = %.2f (%.0f MB/s)\n", b2.seconds / b1.seconds, mb_per_second);
  return ok ? 0 : 1;
}
