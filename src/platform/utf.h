// UTF-8 / UTF-16 conversion. Text is UTF-8 everywhere in the program; UTF-16 appears only in
// fields that files and the keyboard keep as little-endian UTF-16 (macro names, key names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlin {

// Malformed input (bad sequences, lone surrogates, overlong forms) becomes U+FFFD; nothing is
// dropped silently and nothing reads past the input.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

bool IsValidUtf8(std::string_view text);

// Windows-1252 (the ANSI code page Windows writes ini files in on Western systems), converted as
// Windows converts it: 0x80..0x9F by the code page's table, the five bytes it leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) to the C1 controls of the same number, every other byte to the
// code point of the same number.
std::string Cp1252ToUtf8(std::string_view bytes);
// The reverse; nullopt when some character has no Windows-1252 byte (malformed UTF-8 included).
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// A zero-terminated UTF-16LE field of `units` code units at `bytes` (2 * units bytes); stops at
// the first zero unit or the end of the field, whichever comes first.
std::u16string ReadUtf16LeField(const uint8_t* bytes, size_t units);
// Writes text as UTF-16LE into a field of `units` units, cut so that it and its terminating zero
// fit (a surrogate pair is never split) and padded with zeros. Returns the units written
// before the terminator.
size_t WriteUtf16LeField(std::u16string_view text, uint8_t* bytes, size_t units);

// Cuts text to at most `units` UTF-16 units without splitting a surrogate pair.
std::u16string_view CutUtf16(std::u16string_view text, size_t units);
// The same cut for UTF-8 text, counted in UTF-16 units (how Windows counts characters).
std::string CutUtf8ToUtf16Units(std::string_view utf8, size_t units);

}  // namespace vorlin
