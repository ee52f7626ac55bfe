// Matching a compiled program against a subject: literal prefilter, lazy DFA, NFA simulation.
//
// Both engines share one step: from a set of program counters (the "kernel",
// taken right after a byte was consumed) and the context flags, follow the
// empty transitions knowing the next input symbol, then consume it. Knowing
// the next symbol is what lets $, \b and the lone-lead-byte guard be decided.
// A subject that ends with a line feed feeds that byte as a symbol of its own,
// so $ and \Z can see that it is final. The DFA caches this step per state and
// byte class; the NFA simulation computes it afresh, in time bounded by the
// program size, for every byte.
#include "regex_exec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace bregexp {

namespace {

constexpr int kSymFinalNewline = 256;
constexpr int kSymEnd = 257;

enum : unsigned { kAtStart = 1, kPrevNewline = 2, kPrevWord = 4, kMidChar = 8 };

// Context after consuming `byte`. kMidChar marks a lead byte whose character
// is not complete yet; no assertion but the trail guard is evaluated there.
unsigned NextFlags(unsigned flags, unsigned byte) {
  if ((flags & kMidChar) && IsTrail(byte)) return 0;
  if (IsLead(byte)) return kMidChar;
  return (byte == '\n' ? kPrevNewline : 0u) | (IsWordByte(byte) ? kPrevWord : 0u);
}

bool AssertionHolds(Assertion a, unsigned flags, int sym) {
  // In the middle of a character only the trail guard is reached, and when it
  // passes the lead byte was a character of its own: neither a line feed nor a word byte.
  const unsigned f = (flags & kMidChar) ? 0u : flags;
  const int byte = sym == kSymFinalNewline ? '\n' : sym;
  const bool next_word = sym < 256 && IsWordByte(unsigned(sym));
  switch (a) {
    case Assertion::kBeginText: return (f & kAtStart) != 0;
    case Assertion::kBeginLine: return (f & kAtStart) || ((f & kPrevNewline) && sym != kSymEnd);
    case Assertion::kEndText: return sym == kSymEnd;
    case Assertion::kEndTextOrFinal: return sym == kSymEnd || sym == kSymFinalNewline;
    case Assertion::kEndLine: return sym == kSymEnd || byte == '\n';
    case Assertion::kWordBoundary: return ((f & kPrevWord) != 0) != next_word;
    case Assertion::kNotWordBoundary: return ((f & kPrevWord) != 0) == next_word;
    case Assertion::kNotBeforeTrail: return sym == kSymEnd || !IsTrail(unsigned(byte));
  }
  return false;
}

class Stepper {
 public:
  Stepper(const Program& program, bool use_flat)
      : program_(program), flat_(use_flat && !program.closure_first.empty()), mark_(program.insts.size(), 0) {}

  // True when MATCH is reachable before consuming sym; otherwise stores in
  // next (room for one entry per instruction) the program counters reached by
  // consuming it, and their number in *next_count.
  bool Step(const int32_t* kernel, size_t count, unsigned flags, int sym, int32_t* next, size_t* next_count) {
    *next_count = 0;
    if (++stamp_ == 0) {
      std::fill(mark_.begin(), mark_.end(), 0);
      stamp_ = 1;
    }
    if (flat_) return StepFlat(kernel, count, flags, sym, next, next_count);
    stack_.assign(std::make_reverse_iterator(kernel + count), std::make_reverse_iterator(kernel));
    return StepWalking(flags, sym, next, next_count);
  }

 private:
  bool StepWalking(unsigned flags, int sym, int32_t* next, size_t* next_count) {
    const int byte = sym == kSymFinalNewline ? '\n' : sym;
    while (!stack_.empty()) {
      const int32_t pc = stack_.back();
      stack_.pop_back();
      if (mark_[pc] == stamp_) continue;
      mark_[pc] = stamp_;
      const Inst& inst = program_.insts[pc];
      switch (inst.op) {
        case Op::kMatch: return true;
        case Op::kJump: stack_.push_back(inst.x); break;
        case Op::kSplit:
          stack_.push_back(inst.y);
          stack_.push_back(inst.x);
          break;
        case Op::kAssert:
          if (AssertionHolds(inst.assertion, flags, sym)) stack_.push_back(pc + 1);
          break;
        case Op::kByteSet:
          if (sym != kSymEnd && program_.sets[inst.set].Has(unsigned(byte))) next[(*next_count)++] = pc + 1;
          break;
      }
    }
    return false;
  }

  bool StepFlat(const int32_t* kernel, size_t count, unsigned flags, int sym, int32_t* next, size_t* next_count) {
    const unsigned byte = sym == kSymFinalNewline ? '\n' : unsigned(sym);
    const bool consumes = sym != kSymEnd;
    const Inst* insts = program_.insts.data();
    const ByteSet* sets = program_.sets.data();
    const int32_t* first = program_.closure_first.data();
    const int32_t* leaves = program_.closure_leaves.data();
    uint32_t* mark = mark_.data();
    const uint32_t stamp = stamp_;
    size_t produced = 0;
    stack_.clear();
    size_t i = 0;
    while (i < count || !stack_.empty()) {
      int32_t from;
      if (i < count) {
        from = kernel[i++];
      } else {
        from = stack_.back();
        stack_.pop_back();
      }
      for (int32_t k = first[from], stop = first[from + 1]; k < stop; ++k) {
        const int32_t pc = leaves[k];
        if (mark[pc] == stamp) continue;
        mark[pc] = stamp;
        const Inst& inst = insts[pc];
        if (inst.op == Op::kByteSet) {
          if (consumes && sets[inst.set].Has(byte)) next[produced++] = pc + 1;
        } else if (inst.op == Op::kAssert) {
          if (AssertionHolds(inst.assertion, flags, sym)) stack_.push_back(pc + 1);
        } else {
          return true;
        }
      }
    }
    *next_count = produced;
    return false;
  }

  const Program& program_;
  const bool flat_;
  std::vector<uint32_t> mark_;
  uint32_t stamp_ = 0;
  std::vector<int32_t> stack_;
};

int SymbolAt(const unsigned char* p, const unsigned char* end) {
  return (p + 1 == end && *p == '\n') ? kSymFinalNewline : int(*p);
}

bool NfaSearch(Stepper* stepper, size_t program_size, std::vector<int32_t> current, unsigned flags,
               const unsigned char* p, const unsigned char* end) {
  size_t count = current.size();
  current.resize(program_size);
  std::vector<int32_t> next(program_size);
  for (; p < end; ++p) {
    size_t next_count = 0;
    if (stepper->Step(current.data(), count, flags, SymbolAt(p, end), next.data(), &next_count)) return true;
    if (next_count == 0) return false;
    flags = NextFlags(flags, *p);
    current.swap(next);
    count = next_count;
  }
  size_t ignored = 0;
  return stepper->Step(current.data(), count, flags, kSymEnd, next.data(), &ignored);
}

class Dfa {
 public:
  enum class Outcome { kNoMatch, kMatched, kGaveUp };

  Dfa(const Program& program, Stepper* stepper, size_t budget, bool may_give_up)
      : program_(program),
        stepper_(stepper),
        stride_(program.class_count + 2),
        budget_(budget),
        may_give_up_(may_give_up) {}

  // On kGaveUp, *resume holds the position from which the NFA simulation
  // continues with *kernel and *flags.
  Outcome Search(const unsigned char* begin, const unsigned char* end, std::vector<int32_t>* kernel,
                 unsigned* flags, const unsigned char** resume) {
    const uint8_t* classes = program_.byte_class;
    const unsigned char* last = (end > begin && end[-1] == '\n') ? end - 1 : end;
    last_clear_ = begin;
    int32_t row = AddState({0}, kAtStart);
    const unsigned char* p = begin;
    for (;;) {
      const int32_t* table = table_.data();
      while (p < last) {
        const int32_t next = table[row + classes[*p]];
        if (next < 0) break;
        row = next;
        ++p;
      }
      if (p >= last) break;
      int32_t next = table_[row + classes[*p]];
      if (next == kUnknown) next = Transition(row, *p, classes[*p], p);
      if (next < 0) return Finish(next, p + 1, kernel, flags, resume);
      row = next;
      ++p;
    }
    if (last < end) {
      int32_t next = table_[row + program_.class_count];
      if (next == kUnknown) next = Transition(row, kSymFinalNewline, program_.class_count, last);
      if (next < 0) return Finish(next, end, kernel, flags, resume);
      row = next;
    }
    int32_t next = table_[row + program_.class_count + 1];
    if (next == kUnknown) next = Transition(row, kSymEnd, program_.class_count + 1, end);
    return next == kMatchRow ? Outcome::kMatched : Outcome::kNoMatch;
  }

 private:
  static constexpr int32_t kUnknown = -1;
  static constexpr int32_t kMatchRow = -2;
  static constexpr int32_t kDeadRow = -3;
  static constexpr int32_t kThrashing = -4;

  struct State {
    std::vector<int32_t> kernel;
    unsigned flags;
  };

  Outcome Finish(int32_t next, const unsigned char* resume_at, std::vector<int32_t>* kernel, unsigned* flags,
                 const unsigned char** resume) {
    if (next == kMatchRow) return Outcome::kMatched;
    if (next == kDeadRow) return Outcome::kNoMatch;
    kernel->swap(pending_);
    *flags = pending_flags_;
    *resume = resume_at;
    return Outcome::kGaveUp;
  }

  static std::string Key(const std::vector<int32_t>& kernel, unsigned flags) {
    std::string key(1 + kernel.size() * sizeof(int32_t), char(flags));
    std::memcpy(&key[1], kernel.data(), kernel.size() * sizeof(int32_t));
    return key;
  }

  size_t Cost(size_t kernel_size) const { return size_t(stride_) * 4 + kernel_size * 12 + 128; }

  int32_t AddState(std::vector<int32_t> kernel, unsigned flags) {
    const int32_t row = int32_t(table_.size());
    used_ += Cost(kernel.size());
    rows_.emplace(Key(kernel, flags), row);
    states_.push_back({std::move(kernel), flags});
    table_.resize(table_.size() + size_t(stride_), kUnknown);
    return row;
  }

  int32_t Transition(int32_t row, int sym, int cls, const unsigned char* pos) {
    const State& state = states_[size_t(row / stride_)];
    const unsigned flags = state.flags;
    next_.resize(program_.insts.size());
    size_t count = 0;
    const bool matched = stepper_->Step(state.kernel.data(), state.kernel.size(), flags, sym, next_.data(), &count);
    next_.resize(count);
    if (matched) return table_[size_t(row + cls)] = kMatchRow;
    if (next_.empty()) return table_[size_t(row + cls)] = kDeadRow;
    std::sort(next_.begin(), next_.end());
    const unsigned next_flags = NextFlags(flags, sym == kSymFinalNewline ? '\n' : unsigned(sym));
    auto found = rows_.find(Key(next_, next_flags));
    if (found != rows_.end()) return table_[size_t(row + cls)] = found->second;
    if (used_ + Cost(next_.size()) > budget_ && !states_.empty()) {
      if (may_give_up_ && ++clears_ >= 3 && size_t(pos - last_clear_) < 10 * states_.size()) {
        pending_ = next_;
        pending_flags_ = next_flags;
        return kThrashing;
      }
      last_clear_ = pos;
      table_.clear();
      states_.clear();
      rows_.clear();
      used_ = 0;
      return AddState(next_, next_flags);
    }
    const int32_t added = AddState(next_, next_flags);
    table_[size_t(row + cls)] = added;
    return added;
  }

  const Program& program_;
  Stepper* stepper_;
  const int stride_;
  const size_t budget_;
  const bool may_give_up_;
  std::vector<int32_t> table_;
  std::vector<State> states_;
  std::unordered_map<std::string, int32_t> rows_;
  std::vector<int32_t> next_;
  std::vector<int32_t> pending_;
  unsigned pending_flags_ = 0;
  size_t used_ = 0;
  int clears_ = 0;
  const unsigned char* last_clear_ = nullptr;
};

// Rough frequency of each byte in English and Japanese text; the prefilter
// scans for the literal's least frequent bytes.
int ByteFrequency(unsigned b) {
  static const char kCommonLetters[] = "etaoinshrdlu";
  if (b == ' ') return 255;
  if (b >= 'a' && b <= 'z') return std::strchr(kCommonLetters, int(b)) ? 200 : 150;
  if (b >= 0x81 && b <= 0x83) return 220;
  if (IsLead(b)) return 110;
  if (b >= 'A' && b <= 'Z') return 60;
  if (b >= '0' && b <= '9') return 50;
  if (b >= 0x80 && IsTrail(b)) return 100;
  if (b < 0x80) return 40;
  return 10;
}

// Answers "does a character start here?" for increasing positions. Every
// byte that is not a lead byte ends a character, and every lead byte is also a
// valid trail byte, so a run of k lead bytes right after a known boundary is
// k/2 double-byte characters: position s starts a character when the run of
// lead bytes just before it is even, or when the odd one out stands alone
// because no trail byte follows it. The run is cut at the last answer, which
// is itself a boundary.
class BoundaryTracker {
 public:
  explicit BoundaryTracker(const unsigned char* begin) : known_(begin) {}

  bool IsBoundary(const unsigned char* s) {
    if (s < known_) return false;
    const unsigned char* q = s;
    while (q > known_ && IsLead(q[-1])) --q;
    const bool boundary = (s - q) % 2 == 0 || !IsTrail(*s);
    known_ = boundary ? s : s + 1;
    return boundary;
  }

 private:
  const unsigned char* known_;
};

class LiteralFinder {
 public:
  explicit LiteralFinder(const Literal& literal) : literal_(literal), n_(literal.bytes.size()) {
    for (size_t k = 0; k < n_; ++k) {
      int f = ByteFrequency(Byte(k));
      if (literal_.fold[k]) f = std::max(f, ByteFrequency(Byte(k) & ~0x20u));
      if (f < best_) {
        second_ = first_;
        second_freq_ = best_;
        first_ = k;
        best_ = f;
      } else if (f < second_freq_) {
        second_ = k;
        second_freq_ = f;
      }
    }
    if (n_ < 2) second_ = first_;
  }

  bool Find(const unsigned char* begin, const unsigned char* end) const {
    if (n_ == 0) return true;
    if (size_t(end - begin) < n_) return false;
    BoundaryTracker tracker(begin);
    const unsigned char* p = begin;
#ifdef __SSE2__
    const __m128i fold1 = _mm_set1_epi8(literal_.fold[first_] ? 0x20 : 0);
    const __m128i fold2 = _mm_set1_epi8(literal_.fold[second_] ? 0x20 : 0);
    const __m128i want1 = _mm_set1_epi8(char(Byte(first_)));
    const __m128i want2 = _mm_set1_epi8(char(Byte(second_)));
    while (size_t(end - p) >= n_ + 15) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + first_));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + second_));
      unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, fold1), want1),
                                                               _mm_cmpeq_epi8(_mm_or_si128(b, fold2), want2))));
      while (mask != 0) {
        const unsigned char* s = p + __builtin_ctz(mask);
        if (Verify(s) && tracker.IsBoundary(s)) return true;
        mask &= mask - 1;
      }
      p += 16;
    }
#endif
    for (; size_t(end - p) >= n_; ++p) {
      if (Verify(p) && tracker.IsBoundary(p)) return true;
    }
    return false;
  }

 private:
  unsigned Byte(size_t k) const { return static_cast<unsigned char>(literal_.bytes[k]); }

  bool Verify(const unsigned char* s) const {
    for (size_t k = 0; k < n_; ++k) {
      const unsigned b = literal_.fold[k] ? (s[k] | 0x20u) : s[k];
      if (b != Byte(k)) return false;
    }
    return true;
  }

  const Literal& literal_;
  const size_t n_;
  size_t first_ = 0;
  size_t second_ = 0;
  int best_ = 1 << 20;
  int second_freq_ = 1 << 20;
};

}  // namespace

bool FindLiteral(const Literal& literal, const unsigned char* begin, const unsigned char* end) {
  return LiteralFinder(literal).Find(begin, end);
}

bool Match(const Program& program, const unsigned char* begin, const unsigned char* end,
           const MatchOptions& options) {
  if (options.use_prefilter) {
    const bool found = FindLiteral(program.required, begin, end);
    if (!found || program.literal_only) return found;
  }
  Stepper stepper(program, options.use_flat_closures);
  const size_t size = program.insts.size();
  if (options.engine == MatchOptions::Engine::kNfaOnly) return NfaSearch(&stepper, size, {0}, kAtStart, begin, end);
  Dfa dfa(program, &stepper, options.dfa_cache_bytes, options.engine == MatchOptions::Engine::kAuto);
  std::vector<int32_t> kernel;
  unsigned flags = 0;
  const unsigned char* resume = nullptr;
  switch (dfa.Search(begin, end, &kernel, &flags, &resume)) {
    case Dfa::Outcome::kMatched: return true;
    case Dfa::Outcome::kNoMatch: return false;
    case Dfa::Outcome::kGaveUp: break;
  }
  return NfaSearch(&stepper, size, std::move(kernel), flags, resume, end);
}

}  // namespace bregexp
