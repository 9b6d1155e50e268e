#pragma once

#include <cstddef>

// UTF-8 helpers of the core library (not exported).
namespace zeb::utf8 {

// Length in bytes of the longest prefix of `text` (of `length` bytes) that
// holds at most `maxBytes` bytes and ends on a character boundary. A byte
// that does not start a well-formed sequence counts as a character of its
// own, so text in another encoding is cut by bytes; a well-formed sequence
// cut off by the end of `text` is left out.
size_t prefixBytes(const char* text, size_t length, size_t maxBytes);

// Length in bytes of the first `maxChars` characters of `text`, counted as
// prefixBytes() counts them.
size_t prefixChars(const char* text, size_t length, size_t maxChars);

// Number of characters in `text`, counted the same way.
size_t countChars(const char* text, size_t length);

}  // namespace zeb::utf8
