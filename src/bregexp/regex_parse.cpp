// Parser from an expression in match-operator form to a syntax tree over characters.
//
// The pattern is decoded into Shift-JIS characters before any syntax is looked
// at, so a trail byte that equals an ASCII metacharacter is never one. Then, as
// Perl's lexer does for every delimiter but ', the quoting and case escapes
// \Q \U \L \F \u \l ... \E are applied to the pattern's text, escapes and all.
// Group nesting is tracked on an explicit stack, so no input can exhaust the C
// stack, and a lower bound of the program's size is kept as the tree grows, so
// an oversized pattern fails before it is built.
#include "regex_parse.h"

#include <algorithm>
#include <utility>

#include "regex_compile.h"

namespace bregexp {

bool SetContains(const CharSet& set, Code c) {
  auto it = std::upper_bound(set.begin(), set.end(), c, [](Code v, const Range& r) { return v < r.lo; });
  return it != set.begin() && std::prev(it)->hi >= c;
}

namespace {

void Normalize(CharSet* set) {
  std::sort(set->begin(), set->end(), [](const Range& a, const Range& b) { return a.lo < b.lo; });
  CharSet merged;
  for (const Range& r : *set) {
    if (!merged.empty() && r.lo <= merged.back().hi + 1) {
      merged.back().hi = std::max(merged.back().hi, r.hi);
    } else {
      merged.push_back(r);
    }
  }
  *set = std::move(merged);
}

CharSet Complement(const CharSet& set) {
  CharSet out;
  Code next = 0;
  for (const Range& r : set) {
    if (r.lo > next) out.push_back({next, r.lo - 1});
    next = r.hi + 1;
  }
  if (next <= kMaxCode) out.push_back({next, kMaxCode});
  return out;
}

// Adds the other codes of every character the set holds a code of.
void AddSameCharacters(CharSet* set) {
  static const Code first_duplicated = [] {
    Code first = kMaxCode;
    ForEachDuplicate([&](Code, Code canonical) { first = std::min(first, canonical); });
    return first;
  }();
  if (set->empty() || set->back().hi < first_duplicated) return;
  std::vector<Code> held;
  ForEachDuplicate([&](Code code, Code canonical) {
    if (SetContains(*set, code) || SetContains(*set, canonical)) held.push_back(canonical);
  });
  if (held.empty()) return;
  std::sort(held.begin(), held.end());
  ForEachDuplicate([&](Code code, Code canonical) {
    if (!std::binary_search(held.begin(), held.end(), canonical)) return;
    set->push_back({code, code});
    set->push_back({canonical, canonical});
  });
  Normalize(set);
}

// Every code that has a case partner, as ranges.
constexpr Range kFoldable[] = {
    {'A', 'Z'},       {'a', 'z'},       {0x8260, 0x8279}, {0x8281, 0x829A}, {0x839F, 0x83B6}, {0x83BF, 0x83D6},
    {0x8440, 0x8460}, {0x8470, 0x847E}, {0x8480, 0x8491}, {0x8754, 0x875D}, {0xEEEF, 0xEEF8}, {0xFA40, 0xFA53},
};

void FoldClose(CharSet* set) {
  CharSet extra;
  for (const Range& r : kFoldable) {
    for (Code c = r.lo; c <= r.hi; ++c) {
      if (SetContains(*set, c)) {
        Code p = FoldPartner(c);
        extra.push_back({p, p});
      }
    }
  }
  set->insert(set->end(), extra.begin(), extra.end());
  Normalize(set);
}

// Closes a normalized set over the codes of one character and, when caseless, over case.
void CloseSet(CharSet* set, bool caseless) {
  AddSameCharacters(set);
  if (caseless) {
    FoldClose(set);
    AddSameCharacters(set);
  }
}

// The codes a literal character matches.
CharSet LiteralSet(Code c, bool caseless) {
  CharSet set;
  Code same[3];
  const int n = SameCharacter(c, same);
  for (int k = 0; k < n; ++k) {
    set.push_back({same[k], same[k]});
    const Code partner = FoldPartner(same[k]);
    if (caseless && partner != same[k]) {
      Code others[3];
      const int m = SameCharacter(partner, others);
      for (int j = 0; j < m; ++j) set.push_back({others[j], others[j]});
    }
  }
  Normalize(&set);
  return set;
}

bool IsAsciiDigit(Code c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlpha(Code c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsOctalDigit(Code c) { return c >= '0' && c <= '7'; }
bool IsBlank(Code c) { return c == ' ' || c == '\t'; }
bool IsPatternSpace(Code c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x0B; }
int HexValue(Code c) {
  if (IsAsciiDigit(c)) return int(c - '0');
  if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
  return -1;
}
int OctalValue(Code c) { return IsOctalDigit(c) ? int(c - '0') : -1; }

// The ideographic space (8140) is horizontal white space to Perl whatever the character-set rules.
constexpr Code kIdeographicSpace = 0x8140;

CharSet WordSet() { return {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}}; }
CharSet SpaceSet() { return {{'\t', '\r'}, {' ', ' '}}; }
CharSet NotNewline() { return Complement({{'\n', '\n'}}); }

// \d \w \s \h \v and their negations; false for other letters. \d \w \s are ASCII (Perl's /a).
bool ShorthandSet(Code letter, CharSet* out) {
  CharSet set;
  switch (letter | 0x20) {
    case 'd': set = {{'0', '9'}}; break;
    case 'w': set = WordSet(); break;
    case 's': set = SpaceSet(); break;
    case 'h': set = {{'\t', '\t'}, {' ', ' '}, {kIdeographicSpace, kIdeographicSpace}}; break;
    case 'v': set = {{'\n', '\r'}}; break;
    default: return false;
  }
  *out = (letter >= 'A' && letter <= 'Z') ? Complement(set) : set;
  return true;
}

bool PosixSet(const std::string& name, CharSet* out) {
  static const std::pair<const char*, CharSet> kTable[] = {
      {"alpha", {{'A', 'Z'}, {'a', 'z'}}},
      {"digit", {{'0', '9'}}},
      {"alnum", {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}}},
      {"upper", {{'A', 'Z'}}},
      {"lower", {{'a', 'z'}}},
      {"space", {{'\t', '\r'}, {' ', ' '}}},
      {"blank", {{'\t', '\t'}, {' ', ' '}}},
      {"punct", {{'!', '/'}, {':', '@'}, {'[', '`'}, {'{', '~'}}},
      {"print", {{' ', '~'}}},
      {"graph", {{'!', '~'}}},
      {"cntrl", {{0, 0x1F}, {0x7F, 0x7F}}},
      {"xdigit", {{'0', '9'}, {'A', 'F'}, {'a', 'f'}}},
      {"word", {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}}},
      {"ascii", {{0, 0x7F}}},
  };
  for (const auto& entry : kTable) {
    if (name == entry.first) {
      *out = entry.second;
      return true;
    }
  }
  return false;
}

const char kUnicodeRules[] = "\\d \\s \\w \\b or POSIX class under /d /l /u unsupported";

struct Flags {
  bool i = false;
  bool m = false;
  bool s = false;
  bool n = false;
  int x = 0;           // 1 under x, 2 under xx
  bool ascii = true;   // false under d, l or u (Unicode rules for \d \s \w \b and POSIX classes)
};

// Reads Perl's modifier letters (m s i x p o d u a l n g c) the way Perl
// checks them: p o g c change nothing here, a may come twice and d l u once,
// and only one of a d l u may be given.
class Modifiers {
 public:
  explicit Modifiers(Flags* flags) : flags_(flags) {}

  // The flag that i, m, s or n sets and clears; null for the other letters.
  bool* Switch(Code letter) {
    switch (letter) {
      case 'i': return &flags_->i;
      case 'm': return &flags_->m;
      case 's': return &flags_->s;
      case 'n': return &flags_->n;
      default: return nullptr;
    }
  }

  // Null when the letter is accepted; otherwise the reason.
  const char* On(Code letter) {
    if (bool* flag = Switch(letter)) {
      *flag = true;
      return nullptr;
    }
    switch (letter) {
      case 'x': ++x_; return nullptr;
      case 'p': case 'o': case 'g': case 'c': return nullptr;
      case 'a': case 'd': case 'l': case 'u':
        if ((charset_ != 0 && charset_ != letter) || (letter == 'a' ? a_ == 2 : charset_ == letter)) {
          return "conflicting or repeated charset flags";
        }
        charset_ = letter;
        a_ += letter == 'a';
        flags_->ascii = letter == 'a';
        return nullptr;
      default: return "unknown flag letter";
    }
  }

  const char* Off(Code letter) {
    if (bool* flag = Switch(letter)) {
      *flag = false;
      return nullptr;
    }
    switch (letter) {
      case 'x': x_off_ = true; return nullptr;
      case 'p': case 'o': case 'g': case 'c': return nullptr;
      case 'a': case 'd': case 'l': case 'u': return "charset flag after -";
      default: return "unknown flag letter";
    }
  }

  void Finish() {
    if (x_ > 0) flags_->x = x_ >= 2 ? 2 : 1;
    if (x_off_) flags_->x = 0;
  }

 private:
  Flags* flags_;
  int x_ = 0;
  bool x_off_ = false;
  int a_ = 0;
  Code charset_ = 0;
};

struct PatternChar {
  Code c;
  uint32_t offset;  // expressions are at most kMaxExpressionBytes long
};

// Nested \Q doubles the backslashes each time (as quotemeta does in Perl); the
// text it yields is limited so that no expression can make it grow without bound.
constexpr size_t kMaxExpandedChars = 2 * kMaxExpressionBytes;
static_assert(kMaxExpandedChars == 131072, "the message names the limit");

// Perl's lexer applies \Q (quotemeta), \U \L \F (uc, lc, fc) and \u \l
// (ucfirst, lcfirst) to the raw text that follows them, backslashes and
// escape letters included (\U\w becomes \W), until \E or the end. Each open
// modifier collects its text; closing it transforms the text into the one below.
class CaseEscapes {
 public:
  // False with the reason and its offset when Perl's lexer would report a
  // syntax error, or when nested \Q would double the text past the limit.
  bool Apply(std::vector<PatternChar> raw, std::vector<PatternChar>* out, ParseError* error) {
    stack_.assign(1, Frame());
    stack_.back().text.reserve(raw.size());
    const size_t n = raw.size();
    for (size_t k = 0; k < n;) {
      const bool escape = raw[k].c == '\\' && k + 1 < n;
      const Code e = escape ? raw[k + 1].c : 0;
      if (!escape || !IsCaseEscape(e)) {
        const size_t len = escape ? 2 : 1;
        for (size_t j = 0; j < len; ++j) stack_.back().text.push_back(raw[k + j]);
        k += len;
        continue;
      }
      if (e == 'E') {
        while (stack_.size() > 1 && IsOneShot(stack_.back().mod)) {
          if (!CloseNonEmpty(raw[k].offset, error)) return false;
        }
        if (stack_.size() > 1 && !CloseNonEmpty(raw[k].offset, error)) return false;
        k += 2;
        continue;
      }
      // A modifier closed at once does nothing.
      if (k + 3 < n && raw[k + 2].c == '\\' && raw[k + 3].c == 'E') {
        k += 4;
        continue;
      }
      // Perl reorders \L\u and \U\l into \u\L and \l\U.
      const Code after = k + 3 < n && raw[k + 2].c == '\\' ? raw[k + 3].c : 0;
      if ((e == 'L' && after == 'u') || (e == 'U' && after == 'l')) {
        std::swap(raw[k + 1].c, raw[k + 3].c);
        continue;
      }
      if (e == 'L' || e == 'U' || e == 'F') {
        // A new case modifier first closes everything down to the last open one.
        while (std::any_of(stack_.begin() + 1, stack_.end(), [](const Frame& f) { return IsWholeCase(f.mod); })) {
          if (!CloseNonEmpty(raw[k].offset, error)) return false;
        }
      }
      stack_.push_back(Frame{e, {}});
      k += 2;
    }
    const size_t end = raw.empty() ? 0 : raw.back().offset + 1;
    while (stack_.size() > 1) {
      if (!Close(end, error)) return false;
    }
    *out = std::move(stack_.back().text);
    return true;
  }

 private:
  struct Frame {
    Code mod = 0;
    std::vector<PatternChar> text;
  };

  static bool IsCaseEscape(Code e) {
    return e == 'L' || e == 'U' || e == 'Q' || e == 'F' || e == 'E' || e == 'l' || e == 'u';
  }
  static bool IsOneShot(Code mod) { return mod == 'l' || mod == 'u'; }
  static bool IsWholeCase(Code mod) { return mod == 'L' || mod == 'U' || mod == 'F'; }

  static bool Error(const char* what, size_t offset, ParseError* error) {
    error->what = what;
    error->offset = offset;
    return false;
  }

  // Closing a modifier that collected nothing, other than at the end, is a syntax error in Perl.
  bool CloseNonEmpty(size_t offset, ParseError* error) {
    if (stack_.back().text.empty()) return Error("bad case modifier sequence", offset, error);
    return Close(offset, error);
  }

  bool Close(size_t offset, ParseError* error) {
    Frame frame = std::move(stack_.back());
    stack_.pop_back();
    std::vector<PatternChar>& into = stack_.back().text;
    if (into.size() + 2 * frame.text.size() > kMaxExpandedChars) {
      return Error("text over 131072 characters once \\Q is applied", offset, error);
    }
    for (size_t k = 0; k < frame.text.size(); ++k) {
      PatternChar ch = frame.text[k];
      switch (frame.mod) {
        case 'Q':
          if (ch.c < 0x80 && !IsWordByte(ch.c)) into.push_back({'\\', ch.offset});
          break;
        case 'U': ch.c = ToUpper(ch.c); break;
        case 'L': case 'F': ch.c = ToLower(ch.c); break;
        case 'u': if (k == 0) ch.c = ToUpper(ch.c); break;
        case 'l': if (k == 0) ch.c = ToLower(ch.c); break;
        default: break;
      }
      into.push_back(ch);
    }
    return true;
  }

  std::vector<Frame> stack_;
};

struct Escape {
  enum Kind { kChar, kSet, kAssert, kNode } kind = kChar;
  Code c = 0;
  CharSet set;
  Assertion assertion = Assertion::kBeginText;
  int node = -1;
};

struct Frame {
  std::vector<int> alternatives;
  std::vector<int> items;
  Flags saved;
  size_t offset = 0;
  bool atom_ready = false;  // an atom a quantifier may apply to ends here (not after (?i))
  bool last_quantified = false;
  // Instructions the finished alternatives (with their splits and jumps) and
  // the current one need at least.
  int64_t done = 0;
  int64_t current = 0;
};

class Parser {
 public:
  // `dropped` lists, in increasing order, byte offsets of backslashes that the
  // operator form removes (those escaping a non-bracket delimiter).
  Parser(const std::string& text, size_t begin, size_t end, const std::vector<size_t>& dropped, Flags flags,
         bool interpolating, Regex* out, ParseError* error)
      : flags_(flags), interpolating_(interpolating), out_(out), error_(error) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t next_drop = 0;
    for (size_t k = begin; k < end;) {
      if (next_drop < dropped.size() && dropped[next_drop] == k) {
        ++next_drop;
        ++k;
        continue;
      }
      size_t len = CharLength(bytes + k, bytes + end);
      chars_.push_back({DecodeChar(bytes + k, len), uint32_t(k)});
      k += len;
    }
  }

  bool Run() {
    if (interpolating_ && !CaseEscapes().Apply(std::move(chars_), &chars_, error_)) return false;
    frames_.emplace_back();
    frames_.back().saved = flags_;
    size_t i = 0;
    const size_t n = chars_.size();
    while (i < n) {
      if (const size_t next = SkipIgnored(i); next != i) {
        i = next;
        continue;
      }
      const Code c = chars_[i].c;
      const size_t off = chars_[i].offset;
      bool ok = true;
      switch (c) {
        case '(': ok = OpenGroup(&i); break;
        case ')': ok = CloseGroup(off); ++i; break;
        case '|': ok = EndAlternative(off); ++i; break;
        case '*': ok = Quantify(&i, 1, 0, kUnbounded); break;
        case '+': ok = Quantify(&i, 1, 1, kUnbounded); break;
        case '?': ok = Quantify(&i, 1, 0, 1); break;
        case '{': {
          int lo = 0, hi = 0;
          size_t len = 0;
          // A quantifier with nothing before it is a literal brace, as in Perl.
          if (ReadBraces(i, &lo, &hi, &len, &ok) && frames_.back().atom_ready) {
            ok = Quantify(&i, len, lo, hi);
          } else if (ok) {
            // Perl refuses a literal brace right after a backslash and a letter (\d{x}).
            if (i >= 2 && chars_[i - 2].c == '\\' && IsAsciiAlpha(chars_[i - 1].c)) {
              return Fail("unescaped { after an escape", off);
            }
            ok = PushAtom(MakeLiteral(c, off));
            ++i;
          }
          break;
        }
        case '^':
          ok = PushAtom(MakeAssert(flags_.m ? Assertion::kBeginLine : Assertion::kBeginText, off));
          ++i;
          break;
        case '$':
          ok = PushAtom(MakeAssert(flags_.m ? Assertion::kEndLine : Assertion::kEndTextOrFinal, off));
          ++i;
          break;
        case '.':
          ok = PushAtom(MakeSet(flags_.s ? CharSet{{0, kMaxCode}} : NotNewline(), off));
          ++i;
          break;
        case '[': ok = ParseClass(&i); break;
        case '\\': ok = ParseEscapeAtom(&i); break;
        default: ok = PushAtom(MakeLiteral(c, off)); ++i; break;
      }
      if (!ok) return false;
    }
    if (frames_.size() > 1) return Fail("unmatched (", frames_.back().offset);
    // \10 and above are octal escapes only when the pattern has fewer groups.
    for (const auto& [number, offset] : octal_or_backreference_) {
      if (number <= groups_) return Fail("backreference unsupported", offset);
    }
    out_->root = FinishFrame(&frames_.back());
    return true;
  }

 private:
  bool Fail(const char* what, size_t offset) {
    error_->what = what;
    error_->offset = offset;
    return false;
  }

  int64_t SizeOf(int node) const { return sizes_[size_t(node)]; }

  int AddNode(const Node& node) {
    int64_t size = 0;
    switch (node.kind) {
      case NodeKind::kEmpty: break;
      case NodeKind::kSet: size = ClassInstructions(out_->sets[size_t(node.set)]); break;
      case NodeKind::kAssert: size = 1; break;
      case NodeKind::kConcat: case NodeKind::kAlt:
        for (int k = 0; k < node.kid_count; ++k) size += SizeOf(out_->kids[size_t(node.first_kid + k)]);
        if (node.kind == NodeKind::kAlt) size += 2 * (node.kid_count - 1);
        break;
      case NodeKind::kRepeat: size = RepeatSize(SizeOf(out_->kids[size_t(node.first_kid)]), node.min, node.max); break;
    }
    out_->nodes.push_back(node);
    sizes_.push_back(size);
    return int(out_->nodes.size() - 1);
  }

  int MakeSet(CharSet set, size_t off) {
    out_->sets.push_back(std::move(set));
    Node node;
    node.kind = NodeKind::kSet;
    node.set = int(out_->sets.size() - 1);
    node.offset = off;
    return AddNode(node);
  }

  // A literal keeps its code for the prefilter when it matches that code alone,
  // or an ASCII letter in either case.
  int MakeLiteral(Code c, size_t off) {
    CharSet set = LiteralSet(c, flags_.i);
    const bool alone = set.size() == 1 && set[0].lo == set[0].hi;
    const bool ascii_pair = c < 0x80 && set.size() == 2 && set[0].lo == set[0].hi && set[1].lo == set[1].hi;
    const int index = MakeSet(std::move(set), off);
    if (alone || ascii_pair) {
      out_->nodes[size_t(index)].literal = c;
      out_->nodes[size_t(index)].caseless = ascii_pair;
    }
    return index;
  }

  int MakeAssert(Assertion a, size_t off) {
    Node node;
    node.kind = NodeKind::kAssert;
    node.assertion = a;
    node.offset = off;
    return AddNode(node);
  }

  int MakeList(NodeKind kind, const std::vector<int>& items, size_t off) {
    if (items.size() == 1) return items[0];
    Node node;
    node.kind = items.empty() ? NodeKind::kEmpty : kind;
    node.offset = off;
    node.first_kid = int(out_->kids.size());
    node.kid_count = int(items.size());
    out_->kids.insert(out_->kids.end(), items.begin(), items.end());
    return AddNode(node);
  }

  // Fails once the group being built needs more instructions than a program may have.
  bool CheckSize(size_t off) {
    const Frame& f = frames_.back();
    return f.done + f.current <= kMaxInstructions || Fail("program over 20000 instructions", off);
  }

  bool PushAtom(int node) {
    Frame& f = frames_.back();
    f.items.push_back(node);
    f.current += SizeOf(node);
    f.atom_ready = true;
    f.last_quantified = false;
    return CheckSize(out_->nodes[size_t(node)].offset);
  }

  bool EndAlternative(size_t off) {
    Frame& f = frames_.back();
    f.alternatives.push_back(MakeList(NodeKind::kConcat, f.items, f.offset));
    f.items.clear();
    f.done += f.current + 2;
    f.current = 0;
    f.atom_ready = false;
    f.last_quantified = false;
    return CheckSize(off);
  }

  int FinishFrame(Frame* f) {
    f->alternatives.push_back(MakeList(NodeKind::kConcat, f->items, f->offset));
    return MakeList(NodeKind::kAlt, f->alternatives, f->offset);
  }

  bool Quantify(size_t* i, size_t len, int lo, int hi) {
    Frame& f = frames_.back();
    const size_t off = chars_[*i].offset;
    if (!f.atom_ready) return Fail("quantifier follows nothing", off);
    if (f.last_quantified) return Fail("nested quantifiers", off);
    *i += len;
    if (hi != kUnbounded && lo > hi) {
      // As in Perl, the item becomes one that never matches, and what follows has nothing to quantify.
      const int never = MakeSet({}, off);
      f.current += SizeOf(never) - SizeOf(f.items.back());
      f.items.back() = never;
      f.atom_ready = false;
      return CheckSize(off);
    }
    // The lazy or possessive mark may follow after blank space and comments, as Perl reads it.
    const size_t mark = SkipIgnored(*i);
    if (mark < chars_.size() && chars_[mark].c == '?') {
      *i = mark + 1;
    } else if (mark < chars_.size() && chars_[mark].c == '+') {
      return Fail("possessive quantifier unsupported", chars_[mark].offset);
    }
    Node node;
    node.kind = NodeKind::kRepeat;
    node.min = lo;
    node.max = hi;
    node.offset = off;
    node.first_kid = int(out_->kids.size());
    node.kid_count = 1;
    out_->kids.push_back(f.items.back());
    const int repeat = AddNode(node);
    f.current += SizeOf(repeat) - SizeOf(f.items.back());
    f.items.back() = repeat;
    f.last_quantified = true;
    return CheckSize(off);
  }

  // The first character from k on that is not blank space under x, a comment under x, or a (?#...) comment.
  size_t SkipIgnored(size_t k) const {
    const size_t n = chars_.size();
    for (;;) {
      if (k < n && flags_.x && IsPatternSpace(chars_[k].c)) {
        ++k;
      } else if (k < n && flags_.x && chars_[k].c == '#') {
        while (k < n && chars_[k].c != '\n') ++k;
      } else if (k + 2 < n && chars_[k].c == '(' && chars_[k + 1].c == '?' && chars_[k + 2].c == '#') {
        size_t close = k + 3;
        while (close < n && chars_[close].c != ')') ++close;
        if (close >= n) return k;  // unterminated: the comment's own parse reports it
        k = close + 1;
      } else {
        return k;
      }
    }
  }

  size_t SkipBlanks(size_t k) const {
    while (k < chars_.size() && IsBlank(chars_[k].c)) ++k;
    return k;
  }

  // Reads a decimal count at k; a count past the limit saturates so that it
  // is reported as too large rather than wrapping.
  size_t ReadCount(size_t k, int* value) const {
    size_t start = k;
    long v = 0;
    while (k < chars_.size() && IsAsciiDigit(chars_[k].c)) {
      v = std::min<long>(v * 10 + long(chars_[k].c - '0'), 1000000);
      ++k;
    }
    *value = int(v);
    return k - start;
  }

  // True when the text at i is a quantifier {n}, {n,}, {n,m} or {,m}, blanks
  // allowed around the numbers and the comma (Perl 5.34); false with *ok
  // still true when it is a literal brace.
  bool ReadBraces(size_t i, int* lo, int* hi, size_t* len, bool* ok) {
    size_t k = SkipBlanks(i + 1);
    int a = 0, b = 0;
    const size_t a_at = k, da = ReadCount(k, &a);
    k = SkipBlanks(k + da);
    bool comma = false;
    size_t b_at = k, db = 0;
    if (k < chars_.size() && chars_[k].c == ',') {
      comma = true;
      b_at = SkipBlanks(k + 1);
      db = ReadCount(b_at, &b);
      k = SkipBlanks(b_at + db);
    }
    if (k >= chars_.size() || chars_[k].c != '}' || (da == 0 && db == 0)) return false;
    if ((da > 1 && chars_[a_at].c == '0') || (db > 1 && chars_[b_at].c == '0')) {
      *ok = Fail("repeat count with a leading zero", chars_[i].offset);
      return false;
    }
    *lo = a;
    *hi = comma ? (db == 0 ? kUnbounded : b) : a;
    *len = k + 1 - i;
    if (a > kMaxRepeat || (*hi != kUnbounded && *hi > kMaxRepeat)) {
      *ok = Fail("repeat count over 1000", chars_[i].offset);
      return false;
    }
    return true;
  }

  bool OpenGroup(size_t* i) {
    const size_t off = chars_[*i].offset;
    const size_t n = chars_.size();
    Flags inner = flags_;
    bool capturing = !flags_.n;
    size_t k = *i + 1;
    if (k < n && chars_[k].c == '*') return Fail(StarGroupRefusal(k + 1), off);
    if (k < n && chars_[k].c == '?') {
      capturing = false;
      ++k;
      const Code c = k < n ? chars_[k].c : 0;
      const Code c2 = k + 1 < n ? chars_[k + 1].c : 0;
      // A terminated comment was skipped before it got here.
      if (c == '#') return Fail("unterminated comment", off);
      if (c == ':') {
        ++k;
      } else if ((c == '<' && c2 != '=' && c2 != '!') || c == '\'' || (c == 'P' && c2 == '<')) {
        k += (c == 'P') ? 2 : 1;
        const Code close = c == '\'' ? '\'' : '>';
        const size_t name_start = k;
        while (k < n && (IsAsciiAlpha(chars_[k].c) || chars_[k].c == '_' ||
                         (k > name_start && IsAsciiDigit(chars_[k].c)))) {
          ++k;
        }
        if (k == name_start || k >= n || chars_[k].c != close) return Fail("bad group name", off);
        ++k;
        capturing = true;
      } else if (c == '<' || c == '=' || c == '!') {
        return Fail("lookaround unsupported", off);
      } else if (c == '>') {
        return Fail("atomic group unsupported", off);
      } else if (c == '(') {
        return Fail("conditional unsupported", off);
      } else if (c == '|') {
        return Fail("branch reset unsupported", off);
      } else if (c == 'P' && c2 == '=') {
        return Fail("backreference unsupported", off);
      } else if (c == 'R' || c == '&' || c == '+' || c == 'P' || IsAsciiDigit(c) || (c == '-' && IsAsciiDigit(c2))) {
        return Fail("recursion unsupported", off);
      } else if (c == '{' || (c == '?' && c2 == '{')) {
        return Fail("code block unsupported", off);
      } else if (!ReadGroupFlags(&k, off, &inner)) {
        return false;
      } else if (chars_[k].c == ')') {
        // As in Perl, a quantifier cannot apply to what came before the flags.
        flags_ = inner;
        frames_.back().atom_ready = false;
        *i = k + 1;
        return true;
      } else {
        ++k;
      }
    }
    if (frames_.size() > size_t(kMaxNesting)) return Fail("nesting deeper than 200", off);
    groups_ += capturing;
    frames_.emplace_back();
    frames_.back().saved = flags_;
    frames_.back().offset = off;
    flags_ = inner;
    *i = k;
    return true;
  }

  // Why a group opened with (* at k - 2 is refused: Perl's (*name:...) assertions are refused as
  // their (?...) forms are, and everything else there is a backtracking control verb.
  const char* StarGroupRefusal(size_t k) const {
    static const std::pair<const char*, const char*> kNamedAssertions[] = {
        {"pla", "lookaround unsupported"}, {"plb", "lookaround unsupported"}, {"nla", "lookaround unsupported"},
        {"nlb", "lookaround unsupported"}, {"positive_lookahead", "lookaround unsupported"},
        {"positive_lookbehind", "lookaround unsupported"}, {"negative_lookahead", "lookaround unsupported"},
        {"negative_lookbehind", "lookaround unsupported"}, {"atomic", "atomic group unsupported"},
        {"sr", "script run unsupported"}, {"script_run", "script run unsupported"},
        {"asr", "script run unsupported"}, {"atomic_script_run", "script run unsupported"}};
    std::string name;
    for (; k < chars_.size() && (IsAsciiAlpha(chars_[k].c) || chars_[k].c == '_'); ++k) {
      name.push_back(char(chars_[k].c));
    }
    for (const auto& [assertion, refusal] : kNamedAssertions) {
      if (k < chars_.size() && chars_[k].c == ':' && name == assertion) return refusal;
    }
    return "backtracking control verb (*...) unsupported";
  }

  // Reads (?^flags-flags followed by ) or :, leaving *k on that character.
  bool ReadGroupFlags(size_t* k, size_t off, Flags* flags) {
    const size_t n = chars_.size();
    const bool caret = *k < n && chars_[*k].c == '^';
    if (caret) {
      // Perl's defaults: no i m s x n, and the d character-set rules.
      *flags = Flags();
      flags->ascii = false;
      ++*k;
    }
    Modifiers modifiers(flags);
    bool off_side = false;
    for (; *k < n; ++*k) {
      const Code letter = chars_[*k].c;
      if (letter == '-' && !off_side && !caret) {
        off_side = true;
        continue;
      }
      if (!IsAsciiAlpha(letter)) break;
      if (caret && letter == 'd') return Fail("bad group syntax", off);
      const char* reason = off_side ? modifiers.Off(letter) : modifiers.On(letter);
      if (reason != nullptr) return Fail(reason, chars_[*k].offset);
    }
    modifiers.Finish();
    return (*k < n && (chars_[*k].c == ')' || chars_[*k].c == ':')) || Fail("bad group syntax", off);
  }

  bool CloseGroup(size_t off) {
    if (frames_.size() == 1) return Fail("unmatched )", off);
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    const int node = FinishFrame(&f);
    flags_ = f.saved;
    return PushAtom(node);
  }

  // Reads the number inside \x{...} or \o{...} whose brace is at k, as Perl
  // does: blanks before it, digits with single underscores between them, and
  // the first other character ending it. *value saturates above FF.
  bool ReadBracedNumber(size_t* k, int base, size_t off, Code* value, bool* empty) {
    const size_t n = chars_.size();
    size_t close = *k + 1;
    while (close < n && chars_[close].c != '}') ++close;
    if (close >= n) return Fail(base == 16 ? "missing } on \\x{...}" : "missing } on \\o{...}", off);
    size_t j = SkipBlanks(*k + 1);
    *empty = j == close;
    auto digit = [&](size_t at) {
      return at >= close ? -1 : base == 16 ? HexValue(chars_[at].c) : OctalValue(chars_[at].c);
    };
    Code v = 0;
    for (; j < close; ++j) {
      const int d = digit(j);
      if (d >= 0) {
        v = std::min<Code>(v * Code(base) + Code(d), 0x100);
      } else if (!(chars_[j].c == '_' && digit(j + 1) >= 0)) {
        break;
      }
    }
    *value = v;
    *k = close + 1;
    return true;
  }

  // Reads \N{U+hex.hex...} from its brace at *k into codes.
  bool ReadNamedSequence(size_t* k, size_t off, std::vector<Code>* codes) {
    const size_t n = chars_.size();
    size_t j = SkipBlanks(*k + 1);
    if (!(j + 1 < n && chars_[j].c == 'U' && chars_[j + 1].c == '+')) return Fail("named character unsupported", off);
    j += 2;
    for (;;) {
      Code v = 0;
      size_t digits = 0;
      while (j < n) {
        if (HexValue(chars_[j].c) >= 0) {
          v = std::min<Code>(v * 16 + Code(HexValue(chars_[j].c)), 0x110000);
          ++digits;
          ++j;
        } else if (chars_[j].c == '_' && digits > 0 && j + 1 < n && HexValue(chars_[j + 1].c) >= 0) {
          ++j;
        } else {
          break;
        }
      }
      if (digits == 0) return Fail("bad \\N{U+...}", off);
      if (v > 0x7F) return Fail("\\N{U+...} above 7F unsupported", off);
      codes->push_back(v);
      if (j < n && chars_[j].c == '.') {
        ++j;
        continue;
      }
      break;
    }
    j = SkipBlanks(j);
    if (j >= n || chars_[j].c != '}') return Fail("bad \\N{U+...}", off);
    *k = j + 1;
    return true;
  }

  // A carriage return and line feed, or a carriage return not followed by a
  // line feed: \R and \X take the pair whenever it is there, as Perl does.
  int CarriageReturn(size_t off) {
    const int crlf = MakeList(NodeKind::kConcat, {MakeLiteral('\r', off), MakeLiteral('\n', off)}, off);
    const int lone_cr =
        MakeList(NodeKind::kConcat, {MakeLiteral('\r', off), MakeAssert(Assertion::kNotBeforeNewline, off)}, off);
    return MakeList(NodeKind::kAlt, {crlf, lone_cr}, off);
  }

  // \R: a carriage return as above, or one of \n \x0B \f.
  int LineBreak(size_t off) {
    return MakeList(NodeKind::kAlt, {CarriageReturn(off), MakeSet({{'\n', '\f'}}, off)}, off);
  }

  // \X: an extended grapheme cluster as Perl's Unicode rules cut the
  // characters of the code page: a carriage return as above, one control
  // character, or any other character with every sound mark after it.
  int Cluster(size_t off) {
    const CharSet controls = {{0, '\t'}, {0x0B, '\f'}, {0x0E, 0x1F}, {0x7F, 0x80}};
    CharSet breaks = controls;
    breaks.push_back({'\n', '\n'});
    Normalize(&breaks);
    CharSet starts = breaks;
    starts.push_back({'\r', '\r'});
    Normalize(&starts);
    const int carriage_return = CarriageReturn(off);
    Node marks;
    marks.kind = NodeKind::kRepeat;
    marks.max = kUnbounded;
    marks.offset = off;
    marks.first_kid = int(out_->kids.size());
    marks.kid_count = 1;
    out_->kids.push_back(MakeSet({{kFirstExtendByte, kLastExtendByte}}, off));
    const int first = MakeSet(Complement(starts), off);
    const int any_marks = AddNode(marks);
    const int marked =
        MakeList(NodeKind::kConcat, {first, any_marks, MakeAssert(Assertion::kNotBeforeExtend, off)}, off);
    return MakeList(NodeKind::kAlt, {carriage_return, MakeSet(breaks, off), marked}, off);
  }

  // Reads the escape whose backslash is at *k and advances past it.
  bool ReadEscape(size_t* k, bool in_class, Escape* e) {
    const size_t off = chars_[*k].offset;
    const size_t n = chars_.size();
    if (*k + 1 >= n) return Fail("trailing backslash", off);
    const Code c = chars_[*k + 1].c;
    *k += 2;
    e->kind = Escape::kChar;
    if (!IsAsciiAlpha(c) && !IsAsciiDigit(c)) {
      e->c = c;
      return true;
    }
    if (IsAsciiDigit(c)) return ReadDigitEscape(k, in_class, c, off, e);
    if (ShorthandSet(c, &e->set)) {
      if (!flags_.ascii && (c | 0x20) != 'h' && (c | 0x20) != 'v') return Fail(kUnicodeRules, off);
      e->kind = Escape::kSet;
      return true;
    }
    switch (c) {
      case 't': e->c = '\t'; return true;
      case 'n': e->c = '\n'; return true;
      case 'r': e->c = '\r'; return true;
      case 'f': e->c = '\f'; return true;
      case 'e': e->c = 0x1B; return true;
      case 'a': e->c = 0x07; return true;
      case 'x': {
        Code v = 0;
        if (*k < n && chars_[*k].c == '{') {
          bool empty = false;
          if (!ReadBracedNumber(k, 16, off, &v, &empty)) return false;
        } else {
          for (int d = 0; d < 2 && *k < n && HexValue(chars_[*k].c) >= 0; ++d, ++*k) {
            v = v * 16 + Code(HexValue(chars_[*k].c));
          }
        }
        if (v > 0xFF) return Fail("code point above FF unsupported", off);
        e->c = v;
        return true;
      }
      case 'o': {
        if (*k >= n || chars_[*k].c != '{') return Fail("missing braces on \\o{...}", off);
        Code v = 0;
        bool empty = false;
        if (!ReadBracedNumber(k, 8, off, &v, &empty)) return false;
        if (empty) return Fail("empty \\o{}", off);
        if (v > 0xFF) return Fail("code point above FF unsupported", off);
        e->c = v;
        return true;
      }
      case 'c': {
        if (*k >= n || chars_[*k].c < 0x20 || chars_[*k].c > 0x7E || chars_[*k].c == '{') return Fail("bad \\c", off);
        Code x = chars_[*k].c;
        if (x >= 'a' && x <= 'z') x -= 0x20;
        e->c = x ^ 0x40;
        ++*k;
        return true;
      }
      case 'N': {
        const bool braced = *k < n && chars_[*k].c == '{';
        int lo = 0, hi = 0;
        size_t len = 0;
        bool ok = true;
        // Only a quantifier may follow \N after blank space or comments; Perl takes any other brace
        // there for a name that lost its braces.
        const size_t after = in_class ? *k : SkipIgnored(*k);
        if (after != *k && after < n && chars_[after].c == '{' && !ReadBraces(after, &lo, &hi, &len, &ok)) {
          return ok && Fail("missing braces on \\N{...}", off);
        }
        // \N not followed by a quantifier in braces matches any character but \n, whatever s says.
        if (!in_class && (!braced || ReadBraces(*k, &lo, &hi, &len, &ok))) {
          e->kind = Escape::kSet;
          e->set = NotNewline();
          return true;
        }
        if (!ok) return false;
        if (!braced) return Fail("\\N inside class", off);
        std::vector<Code> codes;
        if (!ReadNamedSequence(k, off, &codes)) return false;
        if (codes.size() == 1) {
          e->c = codes[0];
          return true;
        }
        if (in_class) return Fail("\\N{U+...} sequence inside class unsupported", off);
        std::vector<int> items;
        for (Code code : codes) items.push_back(MakeLiteral(code, off));
        e->kind = Escape::kNode;
        e->node = MakeList(NodeKind::kConcat, items, off);
        return true;
      }
      case 'p': case 'P': return Fail("Unicode property unsupported", off);
      case 'b':
        if (in_class) {
          e->c = 0x08;
          return true;
        }
        if (*k < n && chars_[*k].c == '{') return Fail("\\b{...} unsupported", off);
        if (!flags_.ascii) return Fail(kUnicodeRules, off);
        e->kind = Escape::kAssert;
        e->assertion = Assertion::kWordBoundary;
        return true;
      default: break;
    }
    // Inside a class every other letter stands for itself.
    if (in_class) {
      e->c = c;
      return true;
    }
    switch (c) {
      case 'B':
        if (*k < n && chars_[*k].c == '{') return Fail("\\b{...} unsupported", off);
        if (!flags_.ascii) return Fail(kUnicodeRules, off);
        e->kind = Escape::kAssert;
        e->assertion = Assertion::kNotWordBoundary;
        return true;
      case 'A': case 'z': case 'Z':
        e->kind = Escape::kAssert;
        e->assertion = c == 'A' ? Assertion::kBeginText : c == 'z' ? Assertion::kEndText : Assertion::kEndTextOrFinal;
        return true;
      case 'R':
        e->kind = Escape::kNode;
        e->node = LineBreak(off);
        return true;
      case 'X':
        e->kind = Escape::kNode;
        e->node = Cluster(off);
        return true;
      case 'C': return Fail("\\C unsupported", off);
      case 'G': return Fail("\\G unsupported", off);
      case 'K': return Fail("\\K unsupported", off);
      case 'g': case 'k': return Fail("backreference unsupported", off);
      default:
        // Letters without a meaning (\y, \q, and \Q \E \U \L \u \l \F where
        // nothing interpolates) stand for themselves, as Perl takes them.
        e->c = c;
        return true;
    }
  }

  // \0, \1 to \9 and longer numbers: octal codes or backreferences, as Perl decides.
  bool ReadDigitEscape(size_t* k, bool in_class, Code first, size_t off, Escape* e) {
    const size_t n = chars_.size();
    auto octal = [&](Code v, int more) {
      for (int d = 0; d < more && *k < n && IsOctalDigit(chars_[*k].c); ++d, ++*k) v = v * 8 + (chars_[*k].c - '0');
      if (v > 0xFF) return Fail("code point above FF unsupported", off);
      e->c = v;
      return true;
    };
    if (first == '0') return octal(0, 2);
    if (in_class) {
      if (first >= '8') {
        e->c = first;
        return true;
      }
      return octal(first - '0', 2);
    }
    long number = first - '0';
    for (size_t j = *k; j < n && IsAsciiDigit(chars_[j].c) && number < 1000000; ++j) {
      number = number * 10 + (chars_[j].c - '0');
    }
    if (number < 10 || first >= '8') return Fail("backreference unsupported", off);
    octal_or_backreference_.emplace_back(number, off);
    return octal(first - '0', 2);
  }

  bool ParseEscapeAtom(size_t* i) {
    const size_t off = chars_[*i].offset;
    Escape e;
    if (!ReadEscape(i, false, &e)) return false;
    switch (e.kind) {
      case Escape::kChar: return PushAtom(MakeLiteral(e.c, off));
      case Escape::kSet: return PushAtom(MakeSet(std::move(e.set), off));
      case Escape::kAssert: return PushAtom(MakeAssert(e.assertion, off));
      case Escape::kNode: return PushAtom(e.node);
    }
    return true;
  }

  // Reads one class member at *k: a single character (range endpoint) or a set.
  bool ReadClassMember(size_t* k, bool* single, Code* c, CharSet* set) {
    const size_t n = chars_.size();
    *single = true;
    if (chars_[*k].c == '[' && *k + 1 < n && (chars_[*k + 1].c == '=' || chars_[*k + 1].c == '.')) {
      const Code mark = chars_[*k + 1].c;
      for (size_t j = *k + 3; j + 1 < n && chars_[j].c != ']'; ++j) {
        if (chars_[j].c == mark && chars_[j + 1].c == ']') {
          return Fail("POSIX [= =] and [. .] unsupported", chars_[*k].offset);
        }
      }
    }
    if (chars_[*k].c == '[' && *k + 1 < n && chars_[*k + 1].c == ':') {
      size_t j = *k + 2;
      while (j + 1 < n && !(chars_[j].c == ':' && chars_[j + 1].c == ']')) ++j;
      if (j + 1 < n) {
        bool negate = false;
        size_t name_start = *k + 2;
        if (name_start < j && chars_[name_start].c == '^') {
          negate = true;
          ++name_start;
        }
        std::string name;
        for (size_t t = name_start; t < j; ++t) name.push_back(chars_[t].c < 0x80 ? char(chars_[t].c) : '?');
        CharSet posix;
        if (!PosixSet(name, &posix)) return Fail("unknown POSIX class", chars_[*k].offset);
        if (!flags_.ascii) return Fail(kUnicodeRules, chars_[*k].offset);
        *set = negate ? Complement(posix) : posix;
        *single = false;
        *k = j + 2;
        return true;
      }
    }
    if (chars_[*k].c == '\\') {
      Escape e;
      if (!ReadEscape(k, true, &e)) return false;
      if (e.kind == Escape::kSet) {
        *set = std::move(e.set);
        *single = false;
      } else {
        *c = e.c;
      }
      return true;
    }
    *c = chars_[*k].c;
    ++*k;
    return true;
  }

  bool ParseClass(size_t* i) {
    const size_t open = chars_[*i].offset;
    const size_t n = chars_.size();
    // Under xx, blanks inside the class are ignored, before its ^ too.
    auto skip = [&](size_t k) { return flags_.x >= 2 ? SkipBlanks(k) : k; };
    size_t k = skip(*i + 1);
    bool negate = false;
    if (k < n && chars_[k].c == '^') {
      negate = true;
      ++k;
    }
    CharSet set;
    bool first = true;
    for (;;) {
      k = skip(k);
      if (k >= n) return Fail("unterminated class", open);
      if (chars_[k].c == ']' && !first) {
        ++k;
        break;
      }
      first = false;
      const size_t member_off = chars_[k].offset;
      bool single = true;
      Code lo = 0;
      CharSet member;
      if (!ReadClassMember(&k, &single, &lo, &member)) return false;
      const size_t dash = skip(k);
      const size_t after = dash + 1 < n ? skip(dash + 1) : dash + 1;
      if (single && dash < n && chars_[dash].c == '-' && after < n && chars_[after].c != ']') {
        k = after;
        bool hi_single = true;
        Code hi = 0;
        CharSet hi_member;
        if (!ReadClassMember(&k, &hi_single, &hi, &hi_member)) return false;
        if (!hi_single) {
          // A range ending in a set such as [a-\d] is the three of them, as Perl takes it.
          set.push_back({lo, lo});
          set.push_back({'-', '-'});
          set.insert(set.end(), hi_member.begin(), hi_member.end());
        } else if (hi < lo) {
          return Fail("invalid class range", member_off);
        } else {
          set.push_back({lo, hi});
        }
      } else if (single) {
        set.push_back({lo, lo});
      } else {
        set.insert(set.end(), member.begin(), member.end());
      }
    }
    Normalize(&set);
    CloseSet(&set, flags_.i);
    if (negate) set = Complement(set);
    *i = k;
    return PushAtom(MakeSet(std::move(set), open));
  }

  Flags flags_;
  const bool interpolating_;
  Regex* out_;
  ParseError* error_;
  std::vector<PatternChar> chars_;
  std::vector<Frame> frames_;
  std::vector<int64_t> sizes_;  // per node: instructions it needs at least
  int groups_ = 0;              // capturing groups
  std::vector<std::pair<long, size_t>> octal_or_backreference_;
};

bool IsDelimiter(unsigned char c) {
  return c > 0x20 && c < 0x7F && !IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '_';
}

bool IsPerlSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x0B; }

unsigned char ClosingDelimiter(unsigned char open) {
  switch (open) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    case '<': return '>';
    default: return open;
  }
}

struct OperatorForm {
  size_t begin = 0;
  size_t end = 0;
  std::vector<size_t> dropped;
  unsigned char delimiter = 0;
  size_t flags_begin = 0;
  size_t flags_end = 0;
};

// Finds the pattern inside m<d>...<d>flags or /.../flags, blank space allowed
// after the flags; false for a bare pattern. As in Perl, the delimiter is no
// word character, a backslash before a non-bracket delimiter is removed (so
// m|a\|b| is an alternation), and one before a bracket delimiter stays (so
// m{a\{2\}} matches a brace).
bool SplitOperator(const std::string& text, OperatorForm* form) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t start;
  if (n >= 2 && bytes[0] == 'm' && IsDelimiter(bytes[1])) {
    start = 2;
  } else if (n >= 1 && bytes[0] == '/') {
    start = 1;
  } else {
    return false;
  }
  const unsigned char open = bytes[start - 1];
  const unsigned char close = ClosingDelimiter(open);
  std::vector<size_t> dropped;
  int depth = 0;
  size_t k = start;
  while (k < n) {
    const unsigned char c = bytes[k];
    if (c == '\\' && open != '\\' && k + 1 < n) {
      if (close == open && bytes[k + 1] == close) dropped.push_back(k);
      k += 1 + CharLength(bytes + k + 1, bytes + n);
      continue;
    }
    if (c == close && depth == 0) break;
    if (close != open && c == open) ++depth;
    if (close != open && c == close) --depth;
    k += CharLength(bytes + k, bytes + n);
  }
  if (k >= n) return false;
  size_t f = k + 1;
  while (f < n && IsAsciiAlpha(bytes[f])) ++f;
  const size_t flags_end = f;
  while (f < n && IsPerlSpace(bytes[f])) ++f;
  if (f < n) return false;
  form->begin = start;
  form->end = k;
  form->dropped = std::move(dropped);
  form->delimiter = open;
  form->flags_begin = k + 1;
  form->flags_end = flags_end;
  return true;
}

}  // namespace

bool ParseExpression(const std::string& text, Regex* out, ParseError* error) {
  *out = Regex();
  if (text.size() > kMaxExpressionBytes) {
    error->what = "expression over 65536 bytes";
    error->offset = kMaxExpressionBytes;
    return false;
  }
  OperatorForm form;
  Flags flags;
  bool interpolating = true;
  if (SplitOperator(text, &form)) {
    Modifiers modifiers(&flags);
    for (size_t f = form.flags_begin; f < form.flags_end; ++f) {
      if (const char* reason = modifiers.On(static_cast<unsigned char>(text[f]))) {
        error->what = reason;
        error->offset = f;
        return false;
      }
    }
    modifiers.Finish();
    interpolating = form.delimiter != '\'';
  } else {
    form = OperatorForm();
    form.end = text.size();
  }
  Parser parser(text, form.begin, form.end, form.dropped, flags, interpolating, out, error);
  return parser.Run();
}

}  // namespace bregexp
