#include "platform/codepage/CharsetDecoder.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "platform/codepage/IcuConverter.h"

namespace singrove {
namespace {

// UTF-16 units between the two converters; big enough that ICU's loop overhead does not show.
constexpr std::size_t kPivotUnits = 8192;

// The number of leading bytes that are the byte-order mark of the converter's own encoding (a
// UTF-8 signature under "utf-8", FF FE under "utf-16le"), 0 when there is none. Converters that
// detect their mark themselves ("utf-16") see theirs kept in the input.
std::size_t SignatureLength(UConverter* decoder, std::span<const unsigned char> bytes) {
  const auto probed = static_cast<int32_t>(std::min<std::size_t>(bytes.size(), 4));
  int32_t signatureLength = 0;
  UErrorCode status = U_ZERO_ERROR;
  const char* signature = ucnv_detectUnicodeSignature(reinterpret_cast<const char*>(bytes.data()),
                                                      probed, &signatureLength, &status);
  if (U_FAILURE(status) || signature == nullptr) return 0;
  const char* declared = ucnv_getName(decoder, &status);
  if (U_FAILURE(status) || ucnv_compareNames(signature, declared) != 0) return 0;
  return static_cast<std::size_t>(signatureLength);
}

// Converts all of source through decoder into GBK; grows the result when the first guess of its
// size is short (a single-byte set can take two GBK bytes a byte).
std::string Convert(UConverter* decoder, UConverter* gbk, std::span<const unsigned char> source) {
  if (source.empty()) return {};
  std::string result(source.size() + 16, '\0');
  char* target = result.data();
  const char* next = reinterpret_cast<const char*>(source.data());
  const char* const end = next + source.size();
  std::array<UChar, kPivotUnits> pivot;
  UChar* pivotSource = pivot.data();
  UChar* pivotTarget = pivot.data();
  UBool reset = true;
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_convertEx(gbk, decoder, &target, result.data() + result.size(), &next, end, pivot.data(),
                   &pivotSource, &pivotTarget, pivot.data() + pivot.size(), reset, true, &status);
    reset = false;
    const auto written = static_cast<std::size_t>(target - result.data());
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      result.resize(result.size() * 2);
      target = result.data() + written;
      continue;
    }
    if (U_FAILURE(status)) return std::string();
    const void* nul = std::memchr(result.data(), 0, written);
    result.resize(nul == nullptr
                      ? written
                      : static_cast<std::size_t>(static_cast<const char*>(nul) - result.data()));
    return result;
  }
}

}  // namespace

std::optional<std::string> DecodeCharset(std::string_view charsetName,
                                         std::span<const unsigned char> bytes) {
  const IcuConverter decoder(charsetName);
  if (!decoder) return std::nullopt;
  const IcuConverter gbk("GBK");
  if (!gbk) return std::nullopt;
  return Convert(decoder.get(), gbk.get(), bytes.subspan(SignatureLength(decoder.get(), bytes)));
}

}  // namespace singrove
