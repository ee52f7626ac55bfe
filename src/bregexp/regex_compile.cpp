// Compiler from the syntax tree to a byte-level Thompson program with a literal prefilter.
//
// Characters become byte sequences: a single byte, a lead and a trail byte, or
// a lone lead byte guarded by "the next byte is no trail byte", which keeps
// every thread on the character boundaries that decoding from the start gives.
// Fragments hold jump targets relative to the instruction, so a repeated
// subexpression is emitted by copying its fragment.
#include "regex_compile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace bregexp {

bool ByteSet::operator<(const ByteSet& o) const { return std::memcmp(bits, o.bits, sizeof bits) < 0; }

namespace {

using Fragment = std::vector<Inst>;

class SetTable {
 public:
  explicit SetTable(std::vector<ByteSet>* sets) : sets_(sets) {}
  int Intern(const ByteSet& set) {
    auto it = index_.find(set);
    if (it != index_.end()) return it->second;
    sets_->push_back(set);
    const int id = int(sets_->size() - 1);
    index_.emplace(set, id);
    return id;
  }

 private:
  std::vector<ByteSet>* sets_;
  std::map<ByteSet, int> index_;
};

Inst MakeInst(Op op, int32_t x = 0, int32_t y = 0) {
  Inst inst;
  inst.op = op;
  inst.x = x;
  inst.y = y;
  return inst;
}

Inst ByteSetInst(int set) {
  Inst inst = MakeInst(Op::kByteSet);
  inst.set = set;
  return inst;
}

Inst AssertInst(Assertion a) {
  Inst inst = MakeInst(Op::kAssert);
  inst.assertion = a;
  return inst;
}

void Append(Fragment* out, const Fragment& f) { out->insert(out->end(), f.begin(), f.end()); }

Fragment Alternate(const std::vector<Fragment>& branches, SetTable* table) {
  if (branches.empty()) return {ByteSetInst(table->Intern(ByteSet()))};
  if (branches.size() == 1) return branches[0];
  Fragment out;
  std::vector<size_t> jumps;
  for (size_t b = 0; b < branches.size(); ++b) {
    const bool last = b + 1 == branches.size();
    if (!last) out.push_back(MakeInst(Op::kSplit, 1, int32_t(branches[b].size()) + 2));
    Append(&out, branches[b]);
    if (!last) {
      jumps.push_back(out.size());
      out.push_back(MakeInst(Op::kJump));
    }
  }
  for (size_t j : jumps) out[j].x = int32_t(out.size() - j);
  return out;
}

void AddBitRange(ByteSet* set, unsigned lo, unsigned hi) {
  for (unsigned w = lo >> 6; w <= (hi >> 6); ++w) {
    const unsigned a = std::max(lo, w * 64) - w * 64, b = std::min(hi, w * 64 + 63) - w * 64;
    const uint64_t upto = b == 63 ? ~uint64_t(0) : (uint64_t(1) << (b + 1)) - 1;
    set->bits[w] |= upto & ~((uint64_t(1) << a) - 1);
  }
}

ByteSet Intersect(ByteSet a, const ByteSet& b, bool complement_b) {
  for (int w = 0; w < 4; ++w) a.bits[w] &= complement_b ? ~b.bits[w] : b.bits[w];
  return a;
}

// How a set of codes becomes instructions: a ByteSet for its single-byte
// characters, a ByteSet and the trail guard for its lone lead bytes, and a
// lead ByteSet and a trail ByteSet for each group of lead bytes that take the
// same trail bytes; the branches are alternated.
struct ClassPlan {
  ByteSet single;
  ByteSet lone;
  std::map<ByteSet, ByteSet> leads_by_trails;
};

ClassPlan Plan(const CharSet& set) {
  static const struct Masks {
    ByteSet lead, trail;
    Masks() {
      for (unsigned b = 0; b < 256; ++b) {
        if (IsLead(b)) lead.Add(b);
        if (IsTrail(b)) trail.Add(b);
      }
    }
  } masks;
  // The trail bytes each lead byte takes, by the lead byte's place among the 60 lead bytes.
  constexpr unsigned kLeads = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);
  auto place = [](unsigned lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); };
  ByteSet low;
  ByteSet trails[kLeads];
  bool double_byte = false;
  for (const Range& r : set) {
    if (r.lo <= 0xFF) AddBitRange(&low, r.lo, std::min<Code>(r.hi, 0xFF));
    const Code lo = std::max<Code>(r.lo, 0x8100), hi = std::min<Code>(r.hi, 0xFCFF);
    double_byte |= lo <= hi;
    for (Code lead = lo >> 8; lo <= hi && lead <= (hi >> 8); ++lead) {
      if (!IsLead(lead)) continue;
      AddBitRange(&trails[place(lead)], lead == (lo >> 8) ? (lo & 0xFF) : 0, lead == (hi >> 8) ? (hi & 0xFF) : 0xFF);
    }
  }
  ClassPlan plan;
  plan.single = Intersect(low, masks.lead, true);
  plan.lone = Intersect(low, masks.lead, false);
  for (unsigned lead = 0x81; double_byte && lead <= 0xFC; ++lead) {
    if (!IsLead(lead)) continue;
    const ByteSet t = Intersect(trails[place(lead)], masks.trail, false);
    if (!t.Empty()) plan.leads_by_trails[t].Add(lead);
  }
  return plan;
}

Fragment ClassFragment(const CharSet& set, SetTable* table) {
  const ClassPlan plan = Plan(set);
  std::vector<Fragment> branches;
  if (!plan.single.Empty()) branches.push_back({ByteSetInst(table->Intern(plan.single))});
  if (!plan.lone.Empty()) {
    branches.push_back({ByteSetInst(table->Intern(plan.lone)), AssertInst(Assertion::kNotBeforeTrail)});
  }
  for (const auto& group : plan.leads_by_trails) {
    branches.push_back({ByteSetInst(table->Intern(group.second)), ByteSetInst(table->Intern(group.first))});
  }
  return Alternate(branches, table);
}

Fragment RepeatFragment(const Fragment& child, int min, int max) {
  const int32_t len = int32_t(child.size());
  Fragment out;
  if (max == kUnbounded && min == 0) {
    out.push_back(MakeInst(Op::kSplit, 1, len + 2));
    Append(&out, child);
    out.push_back(MakeInst(Op::kJump, -(len + 1)));
    return out;
  }
  for (int k = 0; k < min; ++k) Append(&out, child);
  if (max == kUnbounded) {
    out.push_back(MakeInst(Op::kSplit, -len, 1));
    return out;
  }
  std::vector<size_t> splits;
  for (int k = min; k < max; ++k) {
    splits.push_back(out.size());
    out.push_back(MakeInst(Op::kSplit, 1));
    Append(&out, child);
  }
  for (size_t s : splits) out[s].y = int32_t(out.size() - s);
  return out;
}

// What a subtree says about literals: the string it always matches exactly
// (when it does), and the longest string every one of its matches contains.
struct LiteralInfo {
  bool exact = false;
  Literal whole;
  Literal required;
};

void Concat(Literal* a, const Literal& b) {
  a->bytes += b.bytes;
  a->fold += b.fold;
}

void KeepLonger(Literal* best, const Literal& candidate) {
  if (candidate.bytes.size() > best->bytes.size()) *best = candidate;
}

LiteralInfo SetLiteral(const Node& node) {
  LiteralInfo info;
  const int64_t c = node.literal;
  if (c < 0 || (c < 0x100 && IsLead(unsigned(c))) || (node.caseless && c >= 0x80)) return info;
  info.exact = true;
  if (c >= 0x100) {
    info.whole.bytes = {char(c >> 8), char(c & 0xFF)};
    info.whole.fold = {0, 0};
  } else {
    info.whole.bytes = {char(node.caseless ? (c | 0x20) : c)};
    info.whole.fold = {char(node.caseless ? 1 : 0)};
  }
  info.required = info.whole;
  return info;
}

LiteralInfo ListLiteral(const Regex& regex, const Node& node, const std::vector<LiteralInfo>& infos) {
  LiteralInfo info;
  if (node.kind == NodeKind::kAlt) return info;
  info.exact = true;
  Literal run;
  for (int k = 0; k < node.kid_count; ++k) {
    const LiteralInfo& kid = infos[regex.kids[node.first_kid + k]];
    if (kid.exact) {
      Concat(&run, kid.whole);
      Concat(&info.whole, kid.whole);
    } else {
      info.exact = false;
      KeepLonger(&info.required, run);
      KeepLonger(&info.required, kid.required);
      run = Literal();
    }
  }
  KeepLonger(&info.required, run);
  if (!info.exact) info.whole = Literal();
  return info;
}

LiteralInfo RepeatLiteral(const Node& node, const LiteralInfo& kid) {
  LiteralInfo info;
  if (node.max == 0) {
    info.exact = true;
    return info;
  }
  if (node.min == 0) return info;
  info.required = kid.required;
  if (kid.exact && node.min == node.max) {
    info.exact = true;
    for (int k = 0; k < node.min; ++k) Concat(&info.whole, kid.whole);
    info.required = info.whole;
  }
  return info;
}

bool IsAnchored(const Regex& regex) {
  const Node* node = &regex.nodes[regex.root];
  if (node->kind == NodeKind::kConcat) node = &regex.nodes[regex.kids[node->first_kid]];
  return node->kind == NodeKind::kAssert && node->assertion == Assertion::kBeginText;
}

void ComputeByteClasses(Program* program) {
  std::vector<ByteSet> distinctions = program->sets;
  ByteSet newline, word, lead, trail;
  newline.Add('\n');
  for (unsigned b = 0; b < 256; ++b) {
    if (IsWordByte(b)) word.Add(b);
    if (IsLead(b)) lead.Add(b);
    if (IsTrail(b)) trail.Add(b);
  }
  distinctions.insert(distinctions.end(), {newline, word, lead, trail});
  for (const Inst& inst : program->insts) {
    if (inst.op == Op::kAssert && inst.assertion == Assertion::kNotBeforeExtend) {
      ByteSet extend;
      for (unsigned b = 0; b < 256; ++b) {
        if (IsExtendByte(b)) extend.Add(b);
      }
      distinctions.push_back(extend);
      break;
    }
  }
  // Each set splits every class into the bytes in it and the rest; classes are numbered by first byte.
  std::vector<int> cls(256, 0);
  int count = 1;
  for (const ByteSet& set : distinctions) {
    std::vector<int> renumber(size_t(count) * 2, -1);
    int next = 0;
    for (unsigned b = 0; b < 256; ++b) {
      int& number = renumber[size_t(cls[b]) * 2 + set.Has(b)];
      if (number < 0) number = next++;
      cls[b] = number;
    }
    count = next;
  }
  for (unsigned b = 0; b < 256; ++b) program->byte_class[b] = uint8_t(cls[b]);
  program->class_count = count;
}

void FlattenClosures(Program* program) {
  const std::vector<Inst>& insts = program->insts;
  const size_t n = insts.size();
  std::vector<int32_t> first(n + 1, 0);
  std::vector<int32_t> leaves;
  std::vector<uint32_t> seen(n, 0);
  std::vector<int32_t> walk;
  for (size_t from = 0; from < n; ++from) {
    first[from] = int32_t(leaves.size());
    const bool resumable = from == 0 || insts[from - 1].op == Op::kByteSet || insts[from - 1].op == Op::kAssert;
    if (!resumable) continue;
    // Each walk stops after a bounded number of steps, so this pass is linear in the program size.
    size_t steps = 0;
    bool too_large = false;
    walk.assign(1, int32_t(from));
    while (!walk.empty() && !too_large) {
      const int32_t pc = walk.back();
      walk.pop_back();
      if (seen[pc] == from + 1) continue;
      seen[pc] = uint32_t(from + 1);
      too_large = ++steps > 4 * kMaxFlatClosure;
      if (insts[pc].op == Op::kJump) {
        walk.push_back(insts[pc].x);
      } else if (insts[pc].op == Op::kSplit) {
        walk.push_back(insts[pc].y);
        walk.push_back(insts[pc].x);
      } else {
        leaves.push_back(pc);
        too_large |= leaves.size() - size_t(first[from]) > kMaxFlatClosure;
      }
    }
    if (too_large) leaves.resize(size_t(first[from]));
  }
  first[n] = int32_t(leaves.size());
  program->closure_first = std::move(first);
  program->closure_leaves = std::move(leaves);
}

// The bytes that can start a match: those of the ByteSets reachable from the body without
// consuming input, every assertion taken as holding. None when a match can be empty, or when
// there are more than kMaxSkipBytes of them.
void ComputeSkipBytes(Program* program) {
  if (program->body == 0) return;
  const std::vector<Inst>& insts = program->insts;
  std::vector<bool> seen(insts.size(), false);
  std::vector<int32_t> walk(1, program->body);
  ByteSet first;
  while (!walk.empty()) {
    const int32_t pc = walk.back();
    walk.pop_back();
    if (seen[size_t(pc)]) continue;
    seen[size_t(pc)] = true;
    const Inst& inst = insts[size_t(pc)];
    switch (inst.op) {
      case Op::kMatch: return;
      case Op::kJump: walk.push_back(inst.x); break;
      case Op::kSplit: walk.push_back(inst.x), walk.push_back(inst.y); break;
      case Op::kAssert: walk.push_back(pc + 1); break;
      case Op::kByteSet:
        for (int w = 0; w < 4; ++w) first.bits[w] |= program->sets[size_t(inst.set)].bits[w];
        break;
    }
  }
  int count = 0;
  uint8_t bytes[256];
  for (unsigned b = 0; b < 256; ++b) {
    if (first.Has(b)) bytes[count++] = uint8_t(b);
  }
  if (count == 0 || count > kMaxSkipBytes) return;
  std::copy(bytes, bytes + count, program->skip_bytes);
  program->skip_count = count;
}

}  // namespace

int ClassInstructions(const CharSet& set) {
  const ClassPlan plan = Plan(set);
  const int branches = !plan.single.Empty() + !plan.lone.Empty() + int(plan.leads_by_trails.size());
  if (branches == 0) return 1;
  return !plan.single.Empty() + 2 * !plan.lone.Empty() + 2 * int(plan.leads_by_trails.size()) + 2 * (branches - 1);
}

bool Compile(const Regex& regex, Program* program, ParseError* error) {
  *program = Program();
  SetTable table(&program->sets);
  const size_t n = regex.nodes.size();
  // Every node's size first, so that an oversized program is refused before any of it is built.
  std::vector<int64_t> size(n, 0);
  std::vector<LiteralInfo> literals(n);
  bool has_assertion = false;
  for (size_t i = 0; i < n; ++i) {
    const Node& node = regex.nodes[i];
    switch (node.kind) {
      case NodeKind::kEmpty:
        literals[i].exact = true;
        break;
      case NodeKind::kSet:
        size[i] = ClassInstructions(regex.sets[node.set]);
        literals[i] = SetLiteral(node);
        break;
      case NodeKind::kAssert:
        size[i] = 1;
        literals[i].exact = true;
        has_assertion = true;
        break;
      case NodeKind::kConcat:
      case NodeKind::kAlt:
        for (int k = 0; k < node.kid_count; ++k) size[i] += size[regex.kids[node.first_kid + k]];
        if (node.kind == NodeKind::kAlt) size[i] += 2 * (node.kid_count - 1);
        literals[i] = ListLiteral(regex, node, literals);
        break;
      case NodeKind::kRepeat: {
        const int kid = regex.kids[node.first_kid];
        size[i] = RepeatSize(size[kid], node.min, node.max);
        literals[i] = RepeatLiteral(node, literals[kid]);
        break;
      }
    }
    if (size[i] > kMaxInstructions) {
      error->what = "program over 20000 instructions";
      error->offset = node.offset;
      return false;
    }
  }

  std::vector<Fragment> code(n);
  for (size_t i = 0; i < n; ++i) {
    const Node& node = regex.nodes[i];
    switch (node.kind) {
      case NodeKind::kEmpty: break;
      case NodeKind::kSet: code[i] = ClassFragment(regex.sets[node.set], &table); break;
      case NodeKind::kAssert: code[i] = {AssertInst(node.assertion)}; break;
      case NodeKind::kConcat:
        for (int k = 0; k < node.kid_count; ++k) {
          Fragment& kid = code[regex.kids[node.first_kid + k]];
          Append(&code[i], kid);
          Fragment().swap(kid);
        }
        break;
      case NodeKind::kAlt: {
        std::vector<Fragment> branches;
        for (int k = 0; k < node.kid_count; ++k) branches.push_back(std::move(code[regex.kids[node.first_kid + k]]));
        code[i] = Alternate(branches, &table);
        break;
      }
      case NodeKind::kRepeat: {
        Fragment& kid = code[regex.kids[node.first_kid]];
        code[i] = RepeatFragment(kid, node.min, node.max);
        Fragment().swap(kid);
        break;
      }
    }
  }

  Fragment& body = code[regex.root];
  Fragment& out = program->insts;
  if (!IsAnchored(regex)) {
    const Fragment any = ClassFragment({{0, kMaxCode}}, &table);
    const int32_t len = int32_t(any.size());
    out.push_back(MakeInst(Op::kSplit, len + 2, 1));
    Append(&out, any);
    out.push_back(MakeInst(Op::kJump, -(len + 1)));
    program->body = len + 2;
  }
  Append(&out, body);
  out.push_back(MakeInst(Op::kMatch));
  if (out.size() > size_t(kMaxInstructions)) {
    error->what = "program over 20000 instructions";
    error->offset = 0;
    return false;
  }
  for (size_t pc = 0; pc < out.size(); ++pc) {
    if (out[pc].op == Op::kSplit || out[pc].op == Op::kJump) out[pc].x += int32_t(pc);
    if (out[pc].op == Op::kSplit) out[pc].y += int32_t(pc);
  }
  ComputeByteClasses(program);
  FlattenClosures(program);
  ComputeSkipBytes(program);
  const LiteralInfo& root = literals[regex.root];
  program->required = root.required;
  program->literal_only = root.exact && !has_assertion;
  if (program->literal_only) program->required = root.whole;
  return true;
}

bool CompileExpression(const std::string& text, Program* program, ParseError* error) {
  Regex regex;
  return ParseExpression(text, &regex, error) && Compile(regex, program, error);
}

}  // namespace bregexp
