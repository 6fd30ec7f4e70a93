#pragma once

#include <span>
#include <string>
#include <string_view>

namespace singrove {

// Code page 936 (GBK) <-> UTF-16, in the manner of the system's MultiByteToWideChar and
// WideCharToMultiByte: a first call with an empty target measures, a second one converts into a
// buffer of that size. Both cover exactly the units given (a NUL in the input is converted like
// any other character) and write no terminator. A result of 0 means failure, a target too small
// for the result, or an empty input.

// GBK bytes to UTF-16 units written into target, or the units needed when target is empty.
// A byte sequence that is not GBK becomes U+FFFD.
int GbkToWide(std::string_view gbk, std::span<char16_t> target);

struct WideToGbkOptions {
  // Compose base characters and combining marks first (Unicode NFC), as WC_COMPOSITECHECK does, so
  // that "e" + U+0301 becomes the GBK letter for U+00E9.
  bool compositeCheck = false;
};

// UTF-16 units to GBK bytes written into target, or the bytes needed when target is empty.
// A character GBK lacks, and an unpaired surrogate, becomes '?' (0x3F), the substitution byte of
// ICU's GBK converter and the default character of code page 936.
int WideToGbk(std::u16string_view wide, std::span<char> target,
              const WideToGbkOptions& options = {});

// The UTF-16 form of GBK bytes (measure and convert in one call); "" on failure.
std::u16string GbkToUtf16(std::string_view gbk);

// The GBK form of UTF-16 units (measure and convert in one call); "" on failure.
std::string Utf16ToGbk(std::u16string_view wide, const WideToGbkOptions& options = {});

}  // namespace singrove
