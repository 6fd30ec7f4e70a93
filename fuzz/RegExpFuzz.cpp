// The regular-expression object over any pattern and subject: no crash, and one Execute ends (the
// engine's step limit bounds it; libFuzzer's -timeout reports one that does not). Each match is the
// part of the subject that its FirstIndex names, matches come left to right without overlapping,
// every match has the same number of groups, and a Replace by "$&" gives the subject back.
// Input: flags (bit 0: IgnoreCase, bit 1: Multiline, bit 2: Global, bits 3-4: how the texts become
// UTF-16: 0 one unit a byte, 1 the subject as UTF-16LE, 2 pattern and subject as GBK), then the
// texts pattern and replacement ("" stands for "$&"), then the subject (all remaining bytes).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "platform/codepage/Cp936.h"
#include "platform/regexp/RegExp.h"

namespace {

std::u16string Widened(std::span<const unsigned char> bytes) {
  return std::u16string(bytes.begin(), bytes.end());
}

std::u16string Widened(std::string_view text) {
  return Widened({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

std::u16string LittleEndianUnits(std::span<const unsigned char> bytes) {
  std::u16string units;
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
    units.push_back(static_cast<char16_t>(bytes[k] | (bytes[k + 1] << 8)));
  }
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  fuzz::FuzzInput input(data, size);
  const unsigned char flags = input.Byte();
  const int mode = (flags >> 3) & 3;
  const std::string_view patternText = input.Text();
  const std::string_view replacementText = input.Text();
  const std::span<const unsigned char> subjectBytes = input.Rest();
  const std::string_view subjectText(reinterpret_cast<const char*>(subjectBytes.data()),
                                     subjectBytes.size());

  const std::u16string pattern = mode == 2 ? GbkToUtf16(patternText) : Widened(patternText);
  const std::u16string subject = mode == 2   ? GbkToUtf16(subjectText)
                                 : mode == 1 ? LittleEndianUnits(subjectBytes)
                                             : Widened(subjectBytes);
  const std::u16string replacement =
      replacementText.empty() ? std::u16string(u"$&") : Widened(replacementText);

  RegExp regExp;
  regExp.SetIgnoreCase(fuzz::FuzzInput::Bit(flags, 0));
  regExp.SetMultiline(fuzz::FuzzInput::Bit(flags, 1));
  regExp.SetGlobal(fuzz::FuzzInput::Bit(flags, 2));
  regExp.SetPattern(pattern);

  const std::optional<RegExpMatches> matches = regExp.Execute(subject);
  const std::optional<std::u16string> replaced = regExp.Replace(subject, replacement);
  FUZZ_CHECK(matches.has_value() == replaced.has_value());
  if (!matches) return 0;
  if (!regExp.Global()) FUZZ_CHECK(matches->size() <= 1);
  for (std::size_t k = 0; k < matches->size(); ++k) {
    const RegExpMatch& match = (*matches)[k];
    const auto at = static_cast<std::size_t>(match.firstIndex);
    FUZZ_CHECK(match.firstIndex >= 0 && at + match.value.size() <= subject.size());
    FUZZ_CHECK(subject.compare(at, match.value.size(), match.value) == 0);
    FUZZ_CHECK(match.subMatches.size() == matches->front().subMatches.size());
    if (k > 0) {
      const RegExpMatch& before = (*matches)[k - 1];
      FUZZ_CHECK(match.firstIndex > before.firstIndex);
      FUZZ_CHECK(at >= static_cast<std::size_t>(before.firstIndex) + before.value.size());
    }
  }
  if (replacementText.empty()) FUZZ_CHECK(*replaced == subject);
  return 0;
}
