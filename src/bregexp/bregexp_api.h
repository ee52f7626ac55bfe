// The library's calling contract, portable so that it can be tested natively.
#pragma once

#include <cstddef>

namespace bregexp {

constexpr size_t kMessageSize = 80;

// Returns 1 on a match, 0 on none, -1 on an error with the reason and its byte
// offset in `message` (kMessageSize bytes, always zero-terminated, ASCII).
// *compiled holds an opaque handle that is reused while the same expression
// text comes back with it and is released by Free. Never throws.
int MatchExpression(const char* expression, const char* subject_begin, const char* subject_end, void** compiled,
                    char* message) noexcept;

void Free(void* compiled) noexcept;

// Compiled programs are shared through a cache keyed by expression text,
// bounded in entries and in bytes. Exposed for tests.
constexpr size_t kCacheEntries = 64;
constexpr size_t kCacheBytes = size_t(64) << 20;
size_t CachedPrograms() noexcept;

}  // namespace bregexp
