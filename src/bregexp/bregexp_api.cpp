// The library's calling contract: handles, the program cache, messages, no exceptions out.
#include "bregexp_api.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include "regex_exec.h"

namespace bregexp {

namespace {

constexpr uint32_t kHandleMagic = 0x42524558;

// A handle keeps the matcher's states for its program between calls (MatchCache: at most
// MatchOptions::dfa_cache_bytes of DFA states, dropped and built again when full), so that a
// caller matching line by line builds each state once. Free parks them with the cached
// program, and the next handle of the same text takes them, so that a caller that makes a
// handle per subject (per file name) keeps them too.
struct Handle {
  uint32_t magic = kHandleMagic;
  std::string text;
  std::shared_ptr<const Program> program;
  MatchCachePtr cache;
};

// The only process-wide mutable state: compiled programs by expression text,
// so that a run over many files compiles each expression once, each with the matcher's states
// parked by the last handle released (at most one set per program). Programs and parked states
// count against kCacheBytes together; states that would pass it are released instead of parked.
// When full the cache is emptied; handles keep their programs alive through shared ownership.
class ProgramCache {
 public:
  // The program, and in *states the states parked with it, if any.
  std::shared_ptr<const Program> Get(const std::string& text, ParseError* error, MatchCachePtr* states) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = programs_.find(text);
      if (it != programs_.end()) {
        Entry& entry = it->second;
        bytes_ -= entry.states_bytes;
        entry.states_bytes = 0;
        *states = std::move(entry.states);
        return entry.program;
      }
    }
    auto program = std::make_shared<Program>();
    if (!CompileExpression(text, program.get(), error)) return nullptr;
    const size_t cost = Footprint(*program) + text.size();
    std::lock_guard<std::mutex> lock(mutex_);
    if (programs_.size() >= kCacheEntries || bytes_ + cost > kCacheBytes) {
      programs_.clear();
      bytes_ = 0;
    }
    if (programs_.emplace(text, Entry{program, nullptr, 0}).second) bytes_ += cost;
    return program;
  }

  // Parks a released handle's states with its program, when that is still cached, has none
  // parked, and they fit; otherwise they are released.
  void Park(const std::string& text, const std::shared_ptr<const Program>& program, MatchCachePtr states) {
    if (!states) return;
    const size_t size = MatchCacheBytes(*states);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = programs_.find(text);
    if (it == programs_.end() || it->second.program != program || it->second.states || bytes_ + size > kCacheBytes) {
      return;
    }
    it->second.states = std::move(states);
    it->second.states_bytes = size;
    bytes_ += size;
  }

  size_t Size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return programs_.size();
  }

 private:
  static size_t Footprint(const Program& p) {
    return p.insts.size() * sizeof(Inst) + p.sets.size() * sizeof(ByteSet) +
           (p.closure_first.size() + p.closure_leaves.size()) * sizeof(int32_t) + p.required.bytes.size() * 2 +
           sizeof(Program);
  }

  struct Entry {
    std::shared_ptr<const Program> program;
    MatchCachePtr states;
    size_t states_bytes;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, Entry> programs_;
  size_t bytes_ = 0;
};

ProgramCache& Cache() {
  static ProgramCache cache;
  return cache;
}

void SetMessage(char* message, const char* what, size_t offset) {
  if (message == nullptr) return;
  static const char kAt[] = " at offset ";
  char digits[24];
  size_t d = 0;
  do {
    digits[d++] = char('0' + offset % 10);
    offset /= 10;
  } while (offset != 0);
  const size_t room = kMessageSize - 1 - (sizeof kAt - 1) - d;
  size_t n = std::min(std::strlen(what), room);
  std::memcpy(message, what, n);
  std::memcpy(message + n, kAt, sizeof kAt - 1);
  n += sizeof kAt - 1;
  while (d > 0) message[n++] = digits[--d];
  message[n] = '\0';
}

Handle* AsHandle(void* compiled) {
  auto* handle = static_cast<Handle*>(compiled);
  return (handle != nullptr && handle->magic == kHandleMagic) ? handle : nullptr;
}

}  // namespace

int MatchExpression(const char* expression, const char* subject_begin, const char* subject_end, void** compiled,
                    char* message) noexcept {
  try {
    if (message != nullptr) message[0] = '\0';
    if (expression == nullptr || compiled == nullptr) {
      SetMessage(message, "null expression or handle pointer", 0);
      return -1;
    }
    if (subject_begin == nullptr || subject_end == nullptr || subject_end < subject_begin) {
      SetMessage(message, "bad subject range", 0);
      return -1;
    }
    Handle* handle = AsHandle(*compiled);
    if (handle == nullptr || handle->text != expression) {
      Free(handle);
      *compiled = nullptr;
      ParseError error;
      MatchCachePtr states;
      std::shared_ptr<const Program> program = Cache().Get(expression, &error, &states);
      if (!program) {
        SetMessage(message, error.what.c_str(), error.offset);
        return -1;
      }
      handle = new Handle;
      handle->text = expression;
      handle->program = std::move(program);
      handle->cache = std::move(states);
      *compiled = handle;
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(subject_begin);
    const auto* end = reinterpret_cast<const unsigned char*>(subject_end);
    return Match(*handle->program, begin, end, MatchOptions(), &handle->cache) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    SetMessage(message, "out of memory", 0);
  } catch (...) {
    SetMessage(message, "internal error", 0);
  }
  return -1;
}

void Free(void* compiled) noexcept {
  Handle* handle = AsHandle(compiled);
  if (handle == nullptr) return;
  handle->magic = 0;
  try {
    Cache().Park(handle->text, handle->program, std::move(handle->cache));
  } catch (...) {
    // Parking is an optimisation: states that cannot be parked are released with the handle.
  }
  delete handle;
}

size_t CachedPrograms() noexcept {
  try {
    return Cache().Size();
  } catch (...) {
    return 0;
  }
}

}  // namespace bregexp
