// Parser from an expression in match-operator form to a syntax tree over characters.
//
// The pattern is decoded into Shift-JIS characters before any syntax is looked
// at, so a trail byte that equals an ASCII metacharacter is never one. Group
// nesting is tracked on an explicit stack, so no input can exhaust the C stack.
#include "regex_parse.h"

#include <algorithm>
#include <utility>

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

// Every code that has a case partner, as ranges.
constexpr Range kFoldable[] = {
    {'A', 'Z'},       {'a', 'z'},       {0x8260, 0x8279}, {0x8281, 0x829A}, {0x839F, 0x83B6},
    {0x83BF, 0x83D6}, {0x8440, 0x8460}, {0x8470, 0x847E}, {0x8480, 0x8491},
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

bool IsAsciiDigit(Code c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlpha(Code c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsPatternSpace(Code c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x0B; }
int HexValue(Code c) {
  if (IsAsciiDigit(c)) return int(c - '0');
  if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
  return -1;
}

CharSet WordSet() { return {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}}; }
CharSet SpaceSet() { return {{'\t', '\r'}, {' ', ' '}}; }

// The ASCII meaning of \d \w \s \h \v and their negations; false for other letters.
bool ShorthandSet(Code letter, CharSet* out) {
  CharSet set;
  switch (letter | 0x20) {
    case 'd': set = {{'0', '9'}}; break;
    case 'w': set = WordSet(); break;
    case 's': set = SpaceSet(); break;
    case 'h': set = {{'\t', '\t'}, {' ', ' '}}; break;
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

struct Flags {
  bool i = false;
  bool m = false;
  bool s = false;
  bool x = false;
};

void ApplyFlagLetter(Flags* flags, Code letter, bool on) {
  switch (letter) {
    case 'i': flags->i = on; break;
    case 'm': flags->m = on; break;
    case 's': flags->s = on; break;
    case 'x': flags->x = on; break;
    default: break;
  }
}

struct PatternChar {
  Code c;
  size_t offset;
};

struct Escape {
  enum Kind { kChar, kSet, kAssert, kQuoteBegin, kQuoteEnd } kind = kChar;
  Code c = 0;
  CharSet set;
  Assertion assertion = Assertion::kBeginText;
};

struct Frame {
  std::vector<int> alternatives;
  std::vector<int> items;
  Flags saved;
  size_t offset = 0;
  bool last_quantified = false;
};

class Parser {
 public:
  // `dropped` lists, in increasing order, byte offsets of backslashes that the
  // operator form removes (those escaping a non-bracket delimiter).
  Parser(const std::string& text, size_t begin, size_t end, const std::vector<size_t>& dropped, Flags flags,
         Regex* out, ParseError* error)
      : text_end_(end), flags_(flags), out_(out), error_(error) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t next_drop = 0;
    for (size_t k = begin; k < end;) {
      if (next_drop < dropped.size() && dropped[next_drop] == k) {
        ++next_drop;
        ++k;
        continue;
      }
      size_t len = CharLength(bytes + k, bytes + end);
      chars_.push_back({DecodeChar(bytes + k, len), k});
      k += len;
    }
  }

  bool Run() {
    frames_.emplace_back();
    frames_.back().saved = flags_;
    size_t i = 0;
    const size_t n = chars_.size();
    while (i < n) {
      const Code c = chars_[i].c;
      const size_t off = chars_[i].offset;
      if (quoting_) {
        if (c == '\\' && i + 1 < n && chars_[i + 1].c == 'E') {
          quoting_ = false;
          i += 2;
        } else {
          PushAtom(MakeLiteral(c, off));
          ++i;
        }
        continue;
      }
      if (flags_.x && IsPatternSpace(c)) {
        ++i;
        continue;
      }
      if (flags_.x && c == '#') {
        while (i < n && chars_[i].c != '\n') ++i;
        continue;
      }
      bool ok = true;
      switch (c) {
        case '(': ok = OpenGroup(&i); break;
        case ')': ok = CloseGroup(off); ++i; break;
        case '|': EndAlternative(); ++i; break;
        case '*': ok = Quantify(&i, 1, 0, kUnbounded); break;
        case '+': ok = Quantify(&i, 1, 1, kUnbounded); break;
        case '?': ok = Quantify(&i, 1, 0, 1); break;
        case '{': {
          int lo = 0, hi = 0;
          size_t len = 0;
          if (!ReadBraces(i, &lo, &hi, &len, &ok)) {
            if (ok) PushAtom(MakeLiteral(c, off));
            ++i;
          } else {
            ok = Quantify(&i, len, lo, hi);
          }
          break;
        }
        case '^': PushAtom(MakeAssert(flags_.m ? Assertion::kBeginLine : Assertion::kBeginText, off)); ++i; break;
        case '$': PushAtom(MakeAssert(flags_.m ? Assertion::kEndLine : Assertion::kEndTextOrFinal, off)); ++i; break;
        case '.': {
          CharSet any = {{0, kMaxCode}};
          if (!flags_.s) any = Complement({{'\n', '\n'}});
          PushAtom(MakeSet(std::move(any), off));
          ++i;
          break;
        }
        case '[': ok = ParseClass(&i); break;
        case '\\': ok = ParseEscapeAtom(&i); break;
        default: PushAtom(MakeLiteral(c, off)); ++i; break;
      }
      if (!ok) return false;
    }
    if (frames_.size() > 1) return Fail("unmatched (", frames_.back().offset);
    out_->root = FinishFrame(&frames_.back());
    return true;
  }

 private:
  bool Fail(const char* what, size_t offset) {
    error_->what = what;
    error_->offset = offset;
    return false;
  }

  size_t OffsetAt(size_t i) const { return i < chars_.size() ? chars_[i].offset : text_end_; }

  int AddNode(const Node& node) {
    out_->nodes.push_back(node);
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

  int MakeLiteral(Code c, size_t off) {
    CharSet set = {{c, c}};
    const Code partner = FoldPartner(c);
    const bool caseless = flags_.i && partner != c;
    if (caseless) {
      set.push_back({partner, partner});
      Normalize(&set);
    }
    const int index = MakeSet(std::move(set), off);
    out_->nodes[index].literal = c;
    out_->nodes[index].caseless = caseless;
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

  void PushAtom(int node) {
    frames_.back().items.push_back(node);
    frames_.back().last_quantified = false;
  }

  void EndAlternative() {
    Frame& f = frames_.back();
    f.alternatives.push_back(MakeList(NodeKind::kConcat, f.items, f.offset));
    f.items.clear();
    f.last_quantified = false;
  }

  int FinishFrame(Frame* f) {
    f->alternatives.push_back(MakeList(NodeKind::kConcat, f->items, f->offset));
    return MakeList(NodeKind::kAlt, f->alternatives, f->offset);
  }

  bool Quantify(size_t* i, size_t len, int lo, int hi) {
    Frame& f = frames_.back();
    const size_t off = chars_[*i].offset;
    if (f.items.empty()) return Fail("quantifier follows nothing", off);
    if (f.last_quantified) return Fail("nested quantifiers", off);
    *i += len;
    if (*i < chars_.size() && chars_[*i].c == '?') {
      ++*i;
    } else if (*i < chars_.size() && chars_[*i].c == '+') {
      return Fail("possessive quantifier unsupported", chars_[*i].offset);
    }
    Node node;
    node.kind = NodeKind::kRepeat;
    node.min = lo;
    node.max = hi;
    node.offset = off;
    node.first_kid = int(out_->kids.size());
    node.kid_count = 1;
    out_->kids.push_back(f.items.back());
    f.items.back() = AddNode(node);
    f.last_quantified = true;
    return true;
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

  // True when the text at i is a quantifier {n}, {n,}, {n,m} or {,m}; false
  // with *ok still true when it is a literal brace.
  bool ReadBraces(size_t i, int* lo, int* hi, size_t* len, bool* ok) {
    size_t k = i + 1;
    int a = 0, b = 0;
    const size_t da = ReadCount(k, &a);
    k += da;
    bool comma = false;
    size_t db = 0;
    if (k < chars_.size() && chars_[k].c == ',') {
      comma = true;
      ++k;
      db = ReadCount(k, &b);
      k += db;
    }
    if (k >= chars_.size() || chars_[k].c != '}' || (da == 0 && db == 0)) return false;
    *lo = a;
    *hi = comma ? (db == 0 ? kUnbounded : b) : a;
    *len = k + 1 - i;
    if (a > kMaxRepeat || (*hi != kUnbounded && *hi > kMaxRepeat)) {
      *ok = Fail("repeat count over 1000", chars_[i].offset);
      return false;
    }
    if (*hi != kUnbounded && a > *hi) {
      *ok = Fail("repeat minimum above maximum", chars_[i].offset);
      return false;
    }
    return true;
  }

  bool OpenGroup(size_t* i) {
    const size_t off = chars_[*i].offset;
    const size_t n = chars_.size();
    Flags inner = flags_;
    size_t k = *i + 1;
    if (k < n && chars_[k].c == '?') {
      ++k;
      const Code c = k < n ? chars_[k].c : 0;
      const Code c2 = k + 1 < n ? chars_[k + 1].c : 0;
      if (c == '#') {
        while (k < n && chars_[k].c != ')') ++k;
        if (k >= n) return Fail("unterminated comment", off);
        *i = k + 1;
        return true;
      }
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
      } else if (c == '<' || c == '=' || c == '!') {
        return Fail("lookaround unsupported", off);
      } else if (c == '>') {
        return Fail("atomic group unsupported", off);
      } else if (c == '(') {
        return Fail("conditional unsupported", off);
      } else if (c == '|') {
        return Fail("branch reset unsupported", off);
      } else if (c == 'R' || c == '&' || c == '+' || c == 'P' || IsAsciiDigit(c) || (c == '-' && IsAsciiDigit(c2))) {
        return Fail("recursion unsupported", off);
      } else {
        bool on = true;
        if (k < n && chars_[k].c == '^') {
          inner = Flags();
          ++k;
        }
        while (k < n && (IsAsciiAlpha(chars_[k].c) || chars_[k].c == '-')) {
          if (chars_[k].c == '-') {
            on = false;
          } else {
            ApplyFlagLetter(&inner, chars_[k].c, on);
          }
          ++k;
        }
        if (k >= n || (chars_[k].c != ')' && chars_[k].c != ':')) return Fail("bad group syntax", off);
        if (chars_[k].c == ')') {
          flags_ = inner;
          *i = k + 1;
          return true;
        }
        ++k;
      }
    }
    if (frames_.size() > size_t(kMaxNesting)) return Fail("nesting deeper than 200", off);
    frames_.emplace_back();
    frames_.back().saved = flags_;
    frames_.back().offset = off;
    flags_ = inner;
    *i = k;
    return true;
  }

  bool CloseGroup(size_t off) {
    if (frames_.size() == 1) return Fail("unmatched )", off);
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    const int node = FinishFrame(&f);
    flags_ = f.saved;
    PushAtom(node);
    return true;
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
    if (ShorthandSet(c, &e->set)) {
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
      case '0': {
        Code v = 0;
        for (int d = 0; d < 2 && *k < n && chars_[*k].c >= '0' && chars_[*k].c <= '7'; ++d, ++*k) {
          v = v * 8 + (chars_[*k].c - '0');
        }
        e->c = v;
        return true;
      }
      case 'x': {
        Code v = 0;
        if (*k < n && chars_[*k].c == '{') {
          size_t j = *k + 1;
          while (j < n && HexValue(chars_[j].c) >= 0) {
            v = std::min<Code>(v * 16 + Code(HexValue(chars_[j].c)), 0x10000);
            ++j;
          }
          if (j >= n || chars_[j].c != '}') return Fail("bad \\x{...}", off);
          if (v > 0xFF) return Fail("\\x{...} above FF unsupported", off);
          *k = j + 1;
        } else {
          for (int d = 0; d < 2 && *k < n && HexValue(chars_[*k].c) >= 0; ++d, ++*k) {
            v = v * 16 + Code(HexValue(chars_[*k].c));
          }
        }
        e->c = v;
        return true;
      }
      case 'c': {
        if (*k >= n || chars_[*k].c >= 0x80) return Fail("bad \\c", off);
        Code x = chars_[*k].c;
        if (x >= 'a' && x <= 'z') x -= 0x20;
        e->c = x ^ 0x40;
        ++*k;
        return true;
      }
      case 'b':
        if (in_class) {
          e->c = 0x08;
          return true;
        }
        if (*k < n && chars_[*k].c == '{') return Fail("\\b{...} unsupported", off);
        e->kind = Escape::kAssert;
        e->assertion = Assertion::kWordBoundary;
        return true;
      case 'B': case 'A': case 'z': case 'Z':
        if (in_class) return Fail("assertion inside class", off);
        e->kind = Escape::kAssert;
        e->assertion = c == 'B' ? Assertion::kNotWordBoundary
                       : c == 'A' ? Assertion::kBeginText
                       : c == 'z' ? Assertion::kEndText
                                  : Assertion::kEndTextOrFinal;
        return true;
      case 'Q': case 'E':
        if (in_class) return Fail("\\Q or \\E inside class", off);
        e->kind = c == 'Q' ? Escape::kQuoteBegin : Escape::kQuoteEnd;
        return true;
      case 'G': return Fail("\\G unsupported", off);
      case 'K': return Fail("\\K unsupported", off);
      case 'g': case 'k': return Fail("backreference unsupported", off);
      default:
        if (IsAsciiDigit(c)) return Fail("backreference unsupported", off);
        return Fail("unknown escape", off);
    }
  }

  bool ParseEscapeAtom(size_t* i) {
    const size_t off = chars_[*i].offset;
    Escape e;
    if (!ReadEscape(i, false, &e)) return false;
    switch (e.kind) {
      case Escape::kChar: PushAtom(MakeLiteral(e.c, off)); break;
      case Escape::kSet: PushAtom(MakeSet(std::move(e.set), off)); break;
      case Escape::kAssert: PushAtom(MakeAssert(e.assertion, off)); break;
      case Escape::kQuoteBegin: quoting_ = true; break;
      case Escape::kQuoteEnd: break;
    }
    return true;
  }

  // Reads one class member at *k: a single character (range endpoint) or a set.
  bool ReadClassMember(size_t* k, bool* single, Code* c, CharSet* set) {
    const size_t n = chars_.size();
    *single = true;
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
    size_t k = *i + 1;
    bool negate = false;
    if (k < n && chars_[k].c == '^') {
      negate = true;
      ++k;
    }
    CharSet set;
    bool first = true;
    for (;;) {
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
      if (single && k + 1 < n && chars_[k].c == '-' && chars_[k + 1].c != ']') {
        ++k;
        bool hi_single = true;
        Code hi = 0;
        CharSet hi_member;
        if (!ReadClassMember(&k, &hi_single, &hi, &hi_member)) return false;
        if (!hi_single || hi < lo) return Fail("invalid class range", member_off);
        set.push_back({lo, hi});
      } else if (single) {
        set.push_back({lo, lo});
      } else {
        set.insert(set.end(), member.begin(), member.end());
      }
    }
    Normalize(&set);
    if (flags_.i) FoldClose(&set);
    if (negate) set = Complement(set);
    PushAtom(MakeSet(std::move(set), open));
    *i = k;
    return true;
  }

  const size_t text_end_;
  Flags flags_;
  Regex* out_;
  ParseError* error_;
  std::vector<PatternChar> chars_;
  std::vector<Frame> frames_;
  bool quoting_ = false;
};

bool IsDelimiter(unsigned char c) {
  return c > 0x20 && c < 0x7F && !IsAsciiAlpha(c) && !IsAsciiDigit(c);
}

unsigned char ClosingDelimiter(unsigned char open) {
  switch (open) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    case '<': return '>';
    default: return open;
  }
}

// Finds the pattern inside m<d>...<d>flags or /.../flags; false for a bare
// pattern. As in Perl, a backslash before a non-bracket delimiter is removed
// (so m|a\|b| is an alternation), while one before a bracket delimiter stays
// (so m{a\{2\}} matches a brace).
bool SplitOperator(const std::string& text, size_t* begin, size_t* end, std::vector<size_t>* dropped,
                   Flags* flags) {
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
  int depth = 0;
  size_t k = start;
  while (k < n) {
    const unsigned char c = bytes[k];
    if (c == '\\' && open != '\\' && k + 1 < n) {
      if (close == open && bytes[k + 1] == close) dropped->push_back(k);
      k += 1 + CharLength(bytes + k + 1, bytes + n);
      continue;
    }
    if (c == close && depth == 0) break;
    if (close != open && c == open) ++depth;
    if (close != open && c == close) --depth;
    k += CharLength(bytes + k, bytes + n);
  }
  if (k >= n) return false;
  for (size_t f = k + 1; f < n; ++f) {
    if (!IsAsciiAlpha(bytes[f])) return false;
  }
  Flags parsed;
  for (size_t f = k + 1; f < n; ++f) ApplyFlagLetter(&parsed, bytes[f], true);
  *begin = start;
  *end = k;
  *flags = parsed;
  return true;
}

}  // namespace

bool ParseExpression(const std::string& text, Regex* out, ParseError* error) {
  size_t begin = 0, end = text.size();
  std::vector<size_t> dropped;
  Flags flags;
  if (!SplitOperator(text, &begin, &end, &dropped, &flags)) {
    begin = 0;
    end = text.size();
    dropped.clear();
    flags = Flags();
  }
  *out = Regex();
  Parser parser(text, begin, end, dropped, flags, out, error);
  return parser.Run();
}

}  // namespace bregexp
