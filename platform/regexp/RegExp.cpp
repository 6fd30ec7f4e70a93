#include "platform/regexp/RegExp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstdint>

namespace singrove {
namespace {

// Bounds on one engine call: a pattern that backtracks without end stops here (a few tens of
// milliseconds of work) instead of hanging the window.
constexpr uint32_t kMatchLimit = 1'000'000;
constexpr uint32_t kDepthLimit = 100'000;

struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;

// PCRE2 wants a real pointer also for an empty string.
PCRE2_SPTR Units(std::u16string_view text) {
  static const char16_t kEmpty[] = u"";
  return reinterpret_cast<PCRE2_SPTR>(text.empty() ? kEmpty : text.data());
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsValidUtf16(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLowSurrogate(text[i])) return false;
    if (!IsHighSurrogate(text[i])) continue;
    if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) return false;
    ++i;
  }
  return true;
}

// The position one character after offset: a surrogate pair counts as one character in UTF mode.
std::size_t NextCharacter(std::u16string_view subject, std::size_t offset, bool utf) {
  const bool pair = utf && offset + 1 < subject.size() && IsHighSurrogate(subject[offset]) &&
                    IsLowSurrogate(subject[offset + 1]);
  return offset + (pair ? 2 : 1);
}

uint32_t CompileOptions(bool ignoreCase, bool multiline, bool utf) {
  // ECMAScript habits: \u and \x escapes, empty classes, unset back references match "".
  uint32_t options =
      PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UCP;
  if (ignoreCase) options |= PCRE2_CASELESS;
  // Without Multiline "$" is the end of the subject only, not also before a final line feed.
  options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  if (utf) options |= PCRE2_UTF;
  return options;
}

RegExpMatch MakeMatch(std::u16string_view subject, const PCRE2_SIZE* ovector, uint32_t groups) {
  RegExpMatch match;
  const std::size_t start = ovector[0];
  const std::size_t end = std::max(ovector[0], ovector[1]);
  match.value = subject.substr(start, end - start);
  match.firstIndex = static_cast<int>(start);
  match.subMatches.reserve(groups);
  for (uint32_t group = 1; group <= groups; ++group) {
    const PCRE2_SIZE groupStart = ovector[2 * group];
    const PCRE2_SIZE groupEnd = ovector[2 * group + 1];
    if (groupStart == PCRE2_UNSET || groupEnd < groupStart) {
      match.subMatches.emplace_back();
    } else {
      match.subMatches.emplace_back(subject.substr(groupStart, groupEnd - groupStart));
    }
  }
  return match;
}

// The matches of code in subject from left to right; only the first unless all. An empty match
// moves the next search one character on. Any engine error, a reached limit included, ends the
// search with what was found so far.
RegExpMatches Collect(const pcre2_code* code, std::u16string_view subject, bool utf, bool all) {
  const MatchData data(pcre2_match_data_create_from_pattern(code, nullptr));
  const MatchContext context(pcre2_match_context_create(nullptr));
  if (!data || !context) return {};
  pcre2_set_match_limit(context.get(), kMatchLimit);
  pcre2_set_depth_limit(context.get(), kDepthLimit);
  uint32_t groups = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  const uint32_t options = utf ? PCRE2_NO_UTF_CHECK : 0;

  RegExpMatches matches;
  std::size_t offset = 0;
  while (offset <= subject.size()) {
    const int found = pcre2_match(code, Units(subject), subject.size(), offset, options, data.get(),
                                  context.get());
    if (found < 0) break;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    matches.push_back(MakeMatch(subject, ovector, groups));
    if (!all) break;
    const std::size_t start = ovector[0];
    offset = std::max(ovector[0], ovector[1]);
    if (offset == start) {
      if (offset == subject.size()) break;
      offset = NextCharacter(subject, offset, utf);
    }
  }
  return matches;
}

bool IsDigit(char16_t unit) {
  return unit >= u'0' && unit <= u'9';
}

// Appends replacement with its $ forms filled in for match. "$nn" takes two digits when they name
// a group, otherwise "$n" takes one; a "$" that starts no form stays as it is.
void AppendSubstitution(std::u16string& out, std::u16string_view replacement,
                        const RegExpMatch& match, std::u16string_view subject) {
  const auto start = static_cast<std::size_t>(match.firstIndex);
  const std::size_t end = start + match.value.size();
  const std::size_t groups = match.subMatches.size();
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t unit = replacement[i];
    const char16_t next = i + 1 < replacement.size() ? replacement[i + 1] : u'\0';
    if (unit != u'$' || next == u'\0') {
      out += unit;
    } else if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      out += match.value;
      ++i;
    } else if (next == u'`') {
      out += subject.substr(0, start);
      ++i;
    } else if (next == u'\'') {
      out += subject.substr(end);
      ++i;
    } else if (IsDigit(next)) {
      const std::size_t one = static_cast<std::size_t>(next - u'0');
      const bool second = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
      const std::size_t two =
          second ? one * 10 + static_cast<std::size_t>(replacement[i + 2] - u'0') : 0;
      if (two >= 1 && two <= groups) {
        out += match.subMatches[two - 1];
        i += 2;
      } else if (one >= 1 && one <= groups) {
        out += match.subMatches[one - 1];
        ++i;
      } else {
        out += unit;
      }
    } else {
      out += unit;
    }
  }
}

}  // namespace

void RegExp::CodeFree::operator()(pcre2_real_code_16* code) const {
  pcre2_code_free(code);
}

RegExp::RegExp() = default;
RegExp::~RegExp() = default;

void RegExp::SetIgnoreCase(bool value) {
  ignoreCase_ = value;
  Forget();
}

void RegExp::SetMultiline(bool value) {
  multiline_ = value;
  Forget();
}

void RegExp::SetPattern(std::u16string_view value) {
  pattern_ = value;
  Forget();
}

void RegExp::Forget() {
  utfCode_.reset();
  unitCode_.reset();
  utfTried_ = false;
  unitTried_ = false;
}

const pcre2_real_code_16* RegExp::Compiled(bool utf) const {
  Code& code = utf ? utfCode_ : unitCode_;
  bool& tried = utf ? utfTried_ : unitTried_;
  if (tried) return code.get();
  tried = true;
  const CompileContext context(pcre2_compile_context_create(nullptr));
  if (!context) return nullptr;
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  code.reset(pcre2_compile(Units(pattern_), pattern_.size(),
                           CompileOptions(ignoreCase_, multiline_, utf), &error, &errorOffset,
                           context.get()));
  return code.get();
}

std::optional<RegExpMatches> RegExp::Execute(std::u16string_view subject) const {
  // Surrogate pairs are one character where both subject and pattern are well-formed UTF-16;
  // otherwise the engine works on plain 16-bit units.
  const bool utf = IsValidUtf16(subject) && Compiled(true) != nullptr;
  const pcre2_code* code = Compiled(utf);
  if (code == nullptr) return std::nullopt;
  return Collect(code, subject, utf, global_);
}

std::optional<std::u16string> RegExp::Replace(std::u16string_view subject,
                                              std::u16string_view replacement) const {
  const std::optional<RegExpMatches> matches = Execute(subject);
  if (!matches) return std::nullopt;
  std::u16string result;
  std::size_t copied = 0;
  for (const RegExpMatch& match : *matches) {
    const auto start = static_cast<std::size_t>(match.firstIndex);
    result.append(subject.substr(copied, start - copied));
    AppendSubstitution(result, replacement, match, subject);
    copied = start + match.value.size();
  }
  result.append(subject.substr(copied));
  return result;
}

}  // namespace singrove
