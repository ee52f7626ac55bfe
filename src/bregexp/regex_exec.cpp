// Matching a compiled program against a subject: literal prefilter, start skipping, lazy DFA, NFA simulation.
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
    case Assertion::kNotBeforeNewline: return sym == kSymEnd || byte != '\n';
    case Assertion::kNotBeforeExtend: return sym >= 256 || !IsExtendByte(unsigned(sym));
  }
  return false;
}

// One step of the simulation. Every instruction is entered at most once per
// step, and a flat closure list (at most kMaxFlatClosure leaves) is read at most
// once per kernel entry, so a step costs at most a small constant times the
// program size, however the closures overlap.
class Stepper {
 public:
  Stepper(const Program& program, bool use_flat)
      : program_(program),
        flat_(use_flat && !program.closure_first.empty()),
        mark_(program.insts.size(), 0),
        froms_(program.insts.size() + 1),
        walk_(program.insts.size() + 1) {}

  // True when MATCH is reachable before consuming sym; otherwise stores in
  // next (room for one entry per instruction) the program counters reached by
  // consuming it, each once, and their number in *next_count.
  bool Step(const int32_t* kernel, size_t count, unsigned flags, int sym, int32_t* next, size_t* next_count) {
    *next_count = 0;
    if (++stamp_ == 0) {
      std::fill(mark_.begin(), mark_.end(), 0);
      stamp_ = 1;
    }
    const unsigned byte = sym == kSymFinalNewline ? '\n' : unsigned(sym);
    const bool consumes = sym != kSymEnd;
    const Inst* insts = program_.insts.data();
    const ByteSet* sets = program_.sets.data();
    const int32_t* first = program_.closure_first.data();
    const int32_t* leaves = program_.closure_leaves.data();
    uint32_t* mark = mark_.data();
    const uint32_t stamp = stamp_;
    // Counters after an assertion that held (each assertion holds once per
    // step, so at most one per instruction), and the walk's stack (each Split
    // entered pushes one).
    int32_t* froms = froms_.data();
    int32_t* walk = walk_.data();
    size_t pending = 0;
    size_t produced = 0;
    size_t looked_at = 0;
    size_t i = 0;
    while (i < count || pending > 0) {
      const int32_t from = i < count ? kernel[i++] : froms[--pending];
      ++looked_at;
      int32_t k = 0, stop = 0;
      if (flat_) k = first[from], stop = first[from + 1];
      // A flat list when there is one, else a depth-first walk that follows x
      // at once and keeps y for later.
      const bool walking = k == stop;
      size_t top = 0;
      int32_t pc = from;
      for (;;) {
        if (!walking) {
          if (k == stop) break;
          pc = leaves[k++];
        }
        ++looked_at;
        if (mark[pc] != stamp) {
          mark[pc] = stamp;
          const Inst& inst = insts[pc];
          switch (inst.op) {
            case Op::kSplit:
              walk[top++] = inst.y;
              pc = inst.x;
              continue;
            case Op::kJump:
              pc = inst.x;
              continue;
            case Op::kByteSet:
              if (consumes && sets[inst.set].Has(byte)) next[produced++] = pc + 1;
              break;
            case Op::kAssert:
              if (AssertionHolds(inst.assertion, flags, sym)) froms[pending++] = pc + 1;
              break;
            case Op::kMatch:
              work_ += looked_at;
              return true;
          }
        }
        if (walking) {
          if (top == 0) break;
          pc = walk[--top];
        }
      }
    }
    *next_count = produced;
    work_ += looked_at;
    return false;
  }

  size_t work() const { return work_; }
  void AddWork(size_t units) { work_ += units; }
  void ResetWork() { work_ = 0; }
  size_t Bytes() const { return (mark_.capacity() + froms_.capacity() + walk_.capacity()) * sizeof(int32_t); }

 private:
  const Program& program_;
  const bool flat_;
  std::vector<uint32_t> mark_;
  uint32_t stamp_ = 0;
  std::vector<int32_t> froms_;
  std::vector<int32_t> walk_;
  size_t work_ = 0;
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

// The lazy DFA. A state is a kernel (a sorted set of program counters) and the
// context flags. Kernels are stored delta-encoded as variable-length integers
// in one pool, usually one byte per counter, so that the cache holds large
// working sets (hundreds of states of a thousand counters each) within its
// budget. The cache is cleared when full; when it fills again and again within
// a short stretch of the subject, the search hands over to the NFA simulation.
// The states outlive a search, so that the next search on the same program starts with them.
//
// Start skipping: a state is idle when only the loop in front of the body holds threads and
// no character is open, so the position after it is a character boundary and every match
// still to come starts at or after it. Table entries leading to idle states are marked, and
// from an idle state the search jumps to the next byte that can start a match, resynchronised
// to a character boundary (SkipToStart), and goes on from the state that starts there.
class Dfa {
 public:
  enum class Outcome { kNoMatch, kMatched, kGaveUp };

  size_t Bytes() const {
    return table_.capacity() * sizeof(Cell) +
           (slots_.capacity() + kernel_.capacity() + next_.capacity() + pending_.capacity()) * sizeof(int32_t) +
           states_.capacity() * sizeof(State) + pool_.capacity() + key_.capacity() + bits_.capacity() * 8;
  }

  Dfa(const Program& program, Stepper* stepper, size_t budget, bool may_give_up, bool skip)
      : program_(program),
        stepper_(stepper),
        stride_(program.class_count + 2),
        budget_(budget),
        may_give_up_(may_give_up),
        skip_(skip && program.skip_count > 0),
        slots_(kMinSlots, 0) {
    std::fill(start_rows_, start_rows_ + kFlagCombinations, kUnknown);
  }

  // On kGaveUp, *resume holds the position from which the NFA simulation
  // continues with *kernel and *flags.
  Outcome Search(const unsigned char* begin, const unsigned char* end, std::vector<int32_t>* kernel,
                 unsigned* flags, const unsigned char** resume) {
    const uint8_t* classes = program_.byte_class;
    const unsigned char* last = (end > begin && end[-1] == '\n') ? end - 1 : end;
    last_clear_ = begin;
    clears_ = 0;
    skipping_ = skip_;
    skips_ = 0;
    skipped_ = 0;
    int32_t row = StartRow(kAtStart);
    bool idle = states_[size_t(row / stride_)].idle;
    const unsigned char* p = begin;
    for (;;) {
      if (idle && skipping_) {
        p = SkipToStart(p, end, &row);
        if (p == nullptr) {
          stepper_->AddWork(size_t(end - begin));
          return Outcome::kNoMatch;
        }
      }
      // Cells are pointer-wide so that each byte costs one add and one load.
      const Cell* table = table_.data();
      Cell wide = row;
      while (p < last) {
        const Cell next = table[wide + classes[*p]];
        if (next < 0) break;
        wide = next;
        ++p;
      }
      row = int32_t(wide);
      if (p >= last) break;
      int32_t next = int32_t(table_[size_t(row + classes[*p])]);
      if (next == kUnknown) next = Transition(row, *p, classes[*p], p);
      idle = next <= kIdle;
      if (idle) {
        row = kIdle - next;
        ++p;
        continue;
      }
      if (next < 0) {
        stepper_->AddWork(size_t(p + 1 - begin));
        return Finish(next, p + 1, kernel, flags, resume);
      }
      row = next;
      ++p;
    }
    stepper_->AddWork(size_t(p - begin));
    if (last < end) {
      int32_t next = int32_t(table_[size_t(row + program_.class_count)]);
      if (next == kUnknown) next = Transition(row, kSymFinalNewline, program_.class_count, last);
      if (next <= kIdle) next = kIdle - next;
      if (next < 0) return Finish(next, end, kernel, flags, resume);
      row = next;
    }
    int32_t next = int32_t(table_[size_t(row + program_.class_count + 1)]);
    if (next == kUnknown) next = Transition(row, kSymEnd, program_.class_count + 1, end);
    return next == kMatchRow ? Outcome::kMatched : Outcome::kNoMatch;
  }

 private:
  static constexpr int32_t kUnknown = -1;
  static constexpr int32_t kMatchRow = -2;
  static constexpr int32_t kDeadRow = -3;
  static constexpr int32_t kThrashing = -4;
  // A table entry kIdle - row leads to the idle state at row.
  static constexpr int32_t kIdle = -8;
  static constexpr size_t kMinSlots = 64;
  static constexpr unsigned kFlagCombinations = 16;
  static_assert((kAtStart | kPrevNewline | kPrevWord | kMidChar) < kFlagCombinations, "flags index start_rows_");
  // Skipping stops for the rest of a search when, after kSkipTrial skips, they average fewer
  // than kMinAverageSkip bytes: the next start byte is then too close for a jump to pay.
  static constexpr size_t kSkipTrial = 32;
  static constexpr size_t kMinAverageSkip = 8;
  static_assert(kSkipTrial >= 1 && kMinAverageSkip >= 1, "skipping is tried before it is judged");

  struct State {
    uint32_t offset;  // of the encoded kernel in pool_
    uint32_t size;
    uint32_t hash;
    uint32_t flags;
    bool idle;
  };

  // The row of the state that starts a match attempt at a character boundary with these
  // flags: the kernel {0}, whose closure is that of every idle state with the same flags.
  int32_t StartRow(unsigned flags) {
    if (start_rows_[flags] != kUnknown) return start_rows_[flags];
    const int32_t start = 0;
    Encode(&start, 1);
    const uint32_t hash = Hash(flags);
    int32_t index = Find(hash, flags);
    if (index < 0) {
      if (used_ + Cost(key_.size()) > budget_ && !states_.empty()) Clear();
      index = AddState(hash, flags);
    }
    return start_rows_[flags] = index * stride_;
  }

  // The table entry leading to the state at index.
  int32_t Entry(int32_t index) const { return states_[size_t(index)].idle ? kIdle - index * stride_ : index * stride_; }

  // From the idle state *row at the boundary p: the next boundary s at or after p whose byte can
  // start a match, with *row set to the state that starts there, or null when there is none (a
  // match needs at least one byte, and none can start at or after p).
  //
  // Why s is a boundary: every byte that is not a lead byte ends a character, and every lead
  // byte is also a valid trail byte, so a run of lead bytes that follows a boundary pairs up
  // from its start. A candidate s is a boundary exactly when the run of lead bytes right before
  // it (back to the last known boundary) is even, or when it is odd and s holds no trail byte,
  // so that the run's last lead byte stands alone. A candidate that is not a boundary is the
  // trail byte of a pair, and the byte after it is the next known boundary. The flags at s come
  // from the character that ends there, found the same way. The scans back stay within bytes
  // skipped since the last known boundary, so each byte is read at most three times.
  const unsigned char* SkipToStart(const unsigned char* p, const unsigned char* end, int32_t* row) {
    const unsigned char* known = p;
    unsigned known_flags = states_[size_t(*row / stride_)].flags;
    size_t scanned = 0;
    for (;;) {
      const unsigned char* s = FindAnyOf(program_.skip_bytes, program_.skip_count, known, end);
      if (s == nullptr) {
        stepper_->AddWork(scanned);
        return nullptr;
      }
      const unsigned char* q = s;
      while (q > known && IsLead(q[-1])) --q;
      scanned += size_t(s - q);
      if ((s - q) % 2 != 0 && IsTrail(*s)) {
        known = s + 1;
        known_flags = 0;
        continue;
      }
      stepper_->AddWork(scanned);
      ++skips_;
      skipped_ += size_t(s - p);
      if (skips_ >= kSkipTrial && skipped_ < kMinAverageSkip * skips_) skipping_ = false;
      if (s == p) return s;
      unsigned flags = known_flags;
      if (s > q) {
        flags = 0;  // a pair or a lone lead byte ends at s: neither a line feed nor a word byte
      } else if (s > known) {
        const unsigned char* t = s - 1;
        while (t > known && IsLead(t[-1])) --t;
        stepper_->AddWork(size_t(s - 1 - t));
        const bool single = (s - 1 - t) % 2 == 0 || !IsTrail(s[-1]);
        flags = single ? NextFlags(0, s[-1]) : 0;
      }
      *row = StartRow(flags);
      return s;
    }
  }

  // The first byte in [p, end) that is one of bytes[0 .. count), or null.
  static const unsigned char* FindAnyOf(const uint8_t* bytes, int count, const unsigned char* p,
                                        const unsigned char* end) {
    if (count == 1) return static_cast<const unsigned char*>(std::memchr(p, bytes[0], size_t(end - p)));
    const uint8_t b0 = bytes[0], b1 = bytes[1], b2 = bytes[count - 1];
#ifdef __SSE2__
    const __m128i v0 = _mm_set1_epi8(char(b0)), v1 = _mm_set1_epi8(char(b1)), v2 = _mm_set1_epi8(char(b2));
    for (; end - p >= 16; p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i hit =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, v0), _mm_cmpeq_epi8(v, v1)), _mm_cmpeq_epi8(v, v2));
      const unsigned mask = unsigned(_mm_movemask_epi8(hit));
      if (mask != 0) return p + __builtin_ctz(mask);
    }
#endif
    for (; p < end; ++p) {
      if (*p == b0 || *p == b1 || *p == b2) return p;
    }
    return nullptr;
  }

  Outcome Finish(int32_t next, const unsigned char* resume_at, std::vector<int32_t>* kernel, unsigned* flags,
                 const unsigned char** resume) {
    if (next == kMatchRow) return Outcome::kMatched;
    if (next == kDeadRow) return Outcome::kNoMatch;
    kernel->swap(pending_);
    *flags = pending_flags_;
    *resume = resume_at;
    return Outcome::kGaveUp;
  }

  // Encodes the sorted counters into key_: each as its distance from the one before, 7 bits per byte.
  void Encode(const int32_t* pcs, size_t count) {
    key_.clear();
    key_in_loop_ = count == 0 || pcs[count - 1] < program_.body;
    uint32_t previous = 0;
    for (size_t k = 0; k < count; ++k) {
      uint32_t delta = uint32_t(pcs[k]) - previous;
      previous = uint32_t(pcs[k]);
      while (delta >= 0x80) {
        key_.push_back(uint8_t(delta | 0x80));
        delta >>= 7;
      }
      key_.push_back(uint8_t(delta));
    }
  }

  void Decode(const State& state, std::vector<int32_t>* out) const {
    out->clear();
    const uint8_t* p = pool_.data() + state.offset;
    const uint8_t* const stop = p + state.size;
    uint32_t value = 0;
    while (p < stop) {
      uint32_t delta = 0;
      for (int shift = 0;; shift += 7) {
        const uint8_t b = *p++;
        delta |= uint32_t(b & 0x7F) << shift;
        if (b < 0x80) break;
      }
      value += delta;
      out->push_back(int32_t(value));
    }
  }

  uint32_t Hash(unsigned flags) const {
    uint32_t h = 2166136261u ^ flags;
    for (uint8_t b : key_) h = (h ^ b) * 16777619u;
    return h;
  }

  // The state whose kernel is key_ with these flags, or -1.
  int32_t Find(uint32_t hash, unsigned flags) const {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
      const int32_t entry = slots_[s];
      if (entry == 0) return -1;
      const State& state = states_[size_t(entry - 1)];
      if (state.hash == hash && state.flags == flags && state.size == key_.size() &&
          std::memcmp(pool_.data() + state.offset, key_.data(), key_.size()) == 0) {
        return entry - 1;
      }
    }
  }

  void Place(int32_t index) {
    const size_t mask = slots_.size() - 1;
    size_t s = states_[size_t(index)].hash & mask;
    while (slots_[s] != 0) s = (s + 1) & mask;
    slots_[s] = index + 1;
  }

  size_t Cost(size_t key_size) const {
    return key_size + sizeof(State) + size_t(stride_) * sizeof(Cell) + 2 * sizeof(int32_t);
  }

  // Adds the state of kernel key_ and returns its index.
  int32_t AddState(uint32_t hash, unsigned flags) {
    const int32_t index = int32_t(states_.size());
    used_ += Cost(key_.size());
    const bool idle = skip_ && key_in_loop_ && (flags & kMidChar) == 0;
    states_.push_back({uint32_t(pool_.size()), uint32_t(key_.size()), hash, flags, idle});
    pool_.insert(pool_.end(), key_.begin(), key_.end());
    if (states_.size() * 2 > slots_.size()) {
      slots_.assign(slots_.size() * 2, 0);
      for (int32_t k = 0; k < index; ++k) Place(k);
    }
    Place(index);
    table_.resize(table_.size() + size_t(stride_), kUnknown);
    return index;
  }

  void Clear() {
    std::fill(start_rows_, start_rows_ + kFlagCombinations, kUnknown);
    table_.clear();
    states_.clear();
    pool_.clear();
    slots_.assign(kMinSlots, 0);
    used_ = 0;
  }

  // Sorts the distinct counters; a bitmap over the program replaces sorting
  // when there are many, so that this too stays linear in the program size.
  void SortCounters(int32_t* pcs, size_t count) {
    const size_t n = program_.insts.size();
    if (count * 16 <= n) {
      std::sort(pcs, pcs + count);
      return;
    }
    bits_.assign((n + 63) / 64, 0);
    for (size_t k = 0; k < count; ++k) bits_[size_t(pcs[k]) >> 6] |= uint64_t(1) << (pcs[k] & 63);
    size_t out = 0;
    for (size_t w = 0; w < bits_.size(); ++w) {
      for (uint64_t word = bits_[w]; word != 0; word &= word - 1) pcs[out++] = int32_t(w * 64 + __builtin_ctzll(word));
    }
  }

  int32_t Transition(int32_t row, int sym, int cls, const unsigned char* pos) {
    const State state = states_[size_t(row / stride_)];
    Decode(state, &kernel_);
    next_.resize(program_.insts.size());
    size_t count = 0;
    const bool matched = stepper_->Step(kernel_.data(), kernel_.size(), state.flags, sym, next_.data(), &count);
    if (matched) return table_[size_t(row + cls)] = kMatchRow;
    if (count == 0) return table_[size_t(row + cls)] = kDeadRow;
    SortCounters(next_.data(), count);
    stepper_->AddWork(kernel_.size() + count);
    const unsigned next_flags = NextFlags(state.flags, sym == kSymFinalNewline ? '\n' : unsigned(sym));
    Encode(next_.data(), count);
    const uint32_t hash = Hash(next_flags);
    const int32_t found = Find(hash, next_flags);
    if (found >= 0) return table_[size_t(row + cls)] = Entry(found);
    if (used_ + Cost(key_.size()) > budget_ && !states_.empty()) {
      if (may_give_up_ && ++clears_ >= 3 && size_t(pos - last_clear_) < 10 * states_.size()) {
        pending_.assign(next_.begin(), next_.begin() + std::ptrdiff_t(count));
        pending_flags_ = next_flags;
        return kThrashing;
      }
      last_clear_ = pos;
      Clear();
      return Entry(AddState(hash, next_flags));
    }
    return table_[size_t(row + cls)] = Entry(AddState(hash, next_flags));
  }

  const Program& program_;
  Stepper* stepper_;
  const int stride_;
  const size_t budget_;
  const bool may_give_up_;
  const bool skip_;
  bool skipping_ = false;
  size_t skips_ = 0;
  size_t skipped_ = 0;
  int32_t start_rows_[kFlagCombinations];
  bool key_in_loop_ = false;
  // Row r's entry for class c is table_[r + c]: a row, kUnknown, kMatchRow, kDeadRow or kIdle - row.
  using Cell = ptrdiff_t;
  std::vector<Cell> table_;
  std::vector<State> states_;
  std::vector<uint8_t> pool_;
  std::vector<int32_t> slots_;  // open addressing: a state's index + 1, or 0 when free
  std::vector<uint8_t> key_;
  std::vector<int32_t> kernel_;
  std::vector<int32_t> next_;
  std::vector<uint64_t> bits_;
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

enum class LiteralFound { kYes, kNo, kGaveUp };

// The literal's two rarest bytes pick candidates, which are then compared byte by byte. When
// candidates are many and long to compare (a literal of one repeated common byte), the
// comparisons would grow with the literal's length times the subject's; the search gives up
// as soon as they pass kVerifyPerByte times the bytes it has passed, plus kVerifySlack, so
// that it stays linear in the subject whatever the literal, and the DFA answers instead.
class LiteralFinder {
 public:
  static constexpr size_t kVerifyPerByte = 4;
  static constexpr size_t kVerifySlack = 4096;
  static_assert(kVerifyPerByte >= 1 && kVerifySlack >= 64, "room for the comparisons of ordinary literals");

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

  LiteralFound Find(const unsigned char* begin, const unsigned char* end) const {
    if (n_ == 0) return LiteralFound::kYes;
    if (size_t(end - begin) < n_) return LiteralFound::kNo;
    BoundaryTracker tracker(begin);
    size_t compared = 0;
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
        if (Verify(s, &compared) && tracker.IsBoundary(s)) return LiteralFound::kYes;
        if (compared > kVerifyPerByte * size_t(s - begin) + kVerifySlack) return LiteralFound::kGaveUp;
        mask &= mask - 1;
      }
      p += 16;
    }
#endif
    for (; size_t(end - p) >= n_; ++p) {
      if (Verify(p, &compared) && tracker.IsBoundary(p)) return LiteralFound::kYes;
      if (compared > kVerifyPerByte * size_t(p - begin) + kVerifySlack) return LiteralFound::kGaveUp;
    }
    return LiteralFound::kNo;
  }

 private:
  unsigned Byte(size_t k) const { return static_cast<unsigned char>(literal_.bytes[k]); }

  // Adds the bytes compared to *compared.
  bool Verify(const unsigned char* s, size_t* compared) const {
    for (size_t k = 0; k < n_; ++k) {
      const unsigned b = literal_.fold[k] ? (s[k] | 0x20u) : s[k];
      if (b != Byte(k)) {
        *compared += k + 1;
        return false;
      }
    }
    *compared += n_;
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

struct MatchCache {
  MatchCache(const Program& p, const MatchOptions& o)
      : program(&p),
        options(o),
        stepper(p, o.use_flat_closures),
        dfa(p, &stepper, o.dfa_cache_bytes, o.engine == MatchOptions::Engine::kAuto, o.use_prefilter) {}

  bool Fits(const Program& p, const MatchOptions& o) const {
    return program == &p && options.engine == o.engine && options.dfa_cache_bytes == o.dfa_cache_bytes &&
           options.use_prefilter == o.use_prefilter && options.use_flat_closures == o.use_flat_closures;
  }

  const Program* program;
  const MatchOptions options;
  Stepper stepper;
  Dfa dfa;
};

void FreeMatchCache(MatchCache* cache) noexcept { delete cache; }

size_t MatchCacheBytes(const MatchCache& cache) noexcept {
  return sizeof(MatchCache) + cache.stepper.Bytes() + cache.dfa.Bytes();
}

namespace {

bool Search(const Program& program, MatchCache* cache, const unsigned char* begin, const unsigned char* end,
            const MatchOptions& options) {
  Stepper* stepper = &cache->stepper;
  const size_t size = program.insts.size();
  if (options.engine == MatchOptions::Engine::kNfaOnly) return NfaSearch(stepper, size, {0}, kAtStart, begin, end);
  std::vector<int32_t> kernel;
  unsigned flags = 0;
  const unsigned char* resume = nullptr;
  switch (cache->dfa.Search(begin, end, &kernel, &flags, &resume)) {
    case Dfa::Outcome::kMatched: return true;
    case Dfa::Outcome::kNoMatch: return false;
    case Dfa::Outcome::kGaveUp: break;
  }
  return NfaSearch(stepper, size, std::move(kernel), flags, resume, end);
}

}  // namespace

bool Match(const Program& program, const unsigned char* begin, const unsigned char* end, const MatchOptions& options,
           MatchCachePtr* cache) {
  if (options.work != nullptr) *options.work = 0;
  if (options.use_prefilter) {
    const LiteralFound found = LiteralFinder(program.required).Find(begin, end);
    if (found == LiteralFound::kNo) return false;
    if (found == LiteralFound::kYes && program.literal_only) return true;
  }
  MatchCachePtr own;
  if (cache == nullptr) cache = &own;
  if (!*cache || !(*cache)->Fits(program, options)) cache->reset(new MatchCache(program, options));
  (*cache)->stepper.ResetWork();
  const bool matched = Search(program, cache->get(), begin, end, options);
  if (options.work != nullptr) *options.work = (*cache)->stepper.work();
  return matched;
}

}  // namespace bregexp
