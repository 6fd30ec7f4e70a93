#include "platform/codepage/Cp936.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <cstdint>
#include <limits>

#include "platform/codepage/IcuConverter.h"

namespace singrove {
namespace {

constexpr std::string_view kGbkName = "GBK";  // ICU: windows-936-2000

bool FitsInt32(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
}

// One ICU call that measures (empty target) or converts; 0 on failure or overflow.
int Finish(int32_t length, UErrorCode status, bool measuring) {
  if (measuring) return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status) ? length : 0;
  return U_SUCCESS(status) ? length : 0;
}

int ToWide(UConverter* gbk, std::string_view source, std::span<char16_t> target) {
  if (source.empty() || !FitsInt32(source.size()) || !FitsInt32(target.size())) return 0;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_toUChars(gbk, target.data(), static_cast<int32_t>(target.size()),
                                       source.data(), static_cast<int32_t>(source.size()), &status);
  return Finish(length, status, target.empty());
}

int FromWide(UConverter* gbk, std::u16string_view source, std::span<char> target) {
  if (source.empty() || !FitsInt32(source.size()) || !FitsInt32(target.size())) return 0;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_fromUChars(gbk, target.data(), static_cast<int32_t>(target.size()), source.data(),
                      static_cast<int32_t>(source.size()), &status);
  return Finish(length, status, target.empty());
}

// The NFC form of wide; wide itself (as a copy) when it is already composed or on failure.
std::u16string Composed(std::u16string_view wide) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status) || !FitsInt32(wide.size())) return std::u16string(wide);
  const auto length = static_cast<int32_t>(wide.size());
  const int32_t settled = unorm2_spanQuickCheckYes(nfc, wide.data(), length, &status);
  if (U_FAILURE(status) || settled == length) return std::u16string(wide);
  status = U_ZERO_ERROR;
  const int32_t needed = unorm2_normalize(nfc, wide.data(), length, nullptr, 0, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::u16string(wide);
  std::u16string result(static_cast<std::size_t>(needed), u'\0');
  status = U_ZERO_ERROR;
  unorm2_normalize(nfc, wide.data(), length, result.data(), needed, &status);
  if (U_FAILURE(status)) return std::u16string(wide);
  return result;
}

}  // namespace

int GbkToWide(std::string_view gbk, std::span<char16_t> target) {
  const IcuConverter converter(kGbkName);
  if (!converter) return 0;
  return ToWide(converter.get(), gbk, target);
}

int WideToGbk(std::u16string_view wide, std::span<char> target, const WideToGbkOptions& options) {
  const IcuConverter converter(kGbkName);
  if (!converter) return 0;
  if (!options.compositeCheck) return FromWide(converter.get(), wide, target);
  return FromWide(converter.get(), Composed(wide), target);
}

std::u16string GbkToUtf16(std::string_view gbk) {
  const IcuConverter converter(kGbkName);
  if (!converter) return {};
  const int needed = ToWide(converter.get(), gbk, {});
  if (needed <= 0) return {};
  std::u16string result(static_cast<std::size_t>(needed), u'\0');
  const int written = ToWide(converter.get(), gbk, result);
  result.resize(static_cast<std::size_t>(written));
  return result;
}

std::string Utf16ToGbk(std::u16string_view wide, const WideToGbkOptions& options) {
  const IcuConverter converter(kGbkName);
  if (!converter) return {};
  const std::u16string composed = options.compositeCheck ? Composed(wide) : std::u16string();
  const std::u16string_view source = options.compositeCheck ? std::u16string_view(composed) : wide;
  const int needed = FromWide(converter.get(), source, {});
  if (needed <= 0) return {};
  std::string result(static_cast<std::size_t>(needed), '\0');
  const int written = FromWide(converter.get(), source, result);
  result.resize(static_cast<std::size_t>(written));
  return result;
}

}  // namespace singrove
