#include "core/Utf8.h"

namespace zeb::utf8 {
namespace {

// Bytes of the sequence that `lead` starts, or 1 for a byte that cannot
// start one.
size_t sequenceLength(unsigned char lead) {
    if (lead < 0xC2) {
        return 1;  // ASCII, continuation byte or overlong lead
    }
    if (lead < 0xE0) {
        return 2;
    }
    if (lead < 0xF0) {
        return 3;
    }
    if (lead < 0xF5) {
        return 4;
    }
    return 1;
}

// Size of the character at `pos`: 0 when it is a well-formed sequence cut off
// by the end of the text, 1 for a byte that is not part of a well-formed
// sequence.
size_t charAt(const char* text, size_t length, size_t pos) {
    size_t want = sequenceLength(static_cast<unsigned char>(text[pos]));
    for (size_t i = 1; i < want; ++i) {
        if (pos + i >= length) {
            return 0;
        }
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return want;
}

}  // namespace

size_t prefixBytes(const char* text, size_t length, size_t maxBytes) {
    size_t pos = 0;
    while (pos < length) {
        size_t step = charAt(text, length, pos);
        if (step == 0 || pos + step > maxBytes) {
            break;
        }
        pos += step;
    }
    return pos;
}

size_t prefixChars(const char* text, size_t length, size_t maxChars) {
    size_t pos = 0;
    for (size_t chars = 0; pos < length && chars < maxChars; ++chars) {
        size_t step = charAt(text, length, pos);
        if (step == 0) {
            break;
        }
        pos += step;
    }
    return pos;
}

size_t countChars(const char* text, size_t length) {
    size_t pos = 0;
    size_t chars = 0;
    while (pos < length) {
        size_t step = charAt(text, length, pos);
        pos += step == 0 ? length - pos : step;
        ++chars;
    }
    return chars;
}

}  // namespace zeb::utf8
