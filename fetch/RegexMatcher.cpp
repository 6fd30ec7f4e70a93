#include "fetch/RegexMatcher.h"

#include "fetch/WideText.h"
#include "text/Gbk.h"
#include "text/Primitives.h"

namespace singrove {

bool RegexMatcher::Search(std::string_view pattern, std::string_view subject,
                          const RegexSearchOptions& options) {
  static const Text kQuote = Gbk("#引号");
  regexObject_.reset();
  matches_.reset();
  auto regex = std::make_shared<RegExp>();
  regex->SetIgnoreCase(!options.caseSensitive);
  regex->SetMultiline(options.multiline);
  regex->SetGlobal(options.global);
  const Text written = options.quoteEscape
                           ? SubstituteText(pattern, kQuote, "\"", {.caseSensitive = true})
                           : Text(pattern);
  regex->SetPattern(TextToUtf16(written));
  subject_ = TextToUtf16(subject);
  std::optional<RegExpMatches> found = regex->Execute(subject_);
  regexObject_ = std::move(regex);
  if (found) matches_ = std::make_shared<const RegExpMatches>(std::move(*found));
  return matches_ != nullptr;
}

Text RegexMatcher::GetPattern() const {
  return regexObject_ ? Utf16ToText(regexObject_->Pattern()) : Text();
}

Text RegexMatcher::ReplaceMatches(std::string_view replacement) const {
  if (!regexObject_) return {};
  const std::optional<std::u16string> replaced =
      regexObject_->Replace(subject_, TextToUtf16(replacement));
  return replaced ? Utf16ToText(*replaced) : Text();
}

int RegexMatcher::GetMatchCount() const {
  return matches_ ? static_cast<int>(matches_->size()) : 0;
}

Text RegexMatcher::GetMatchText(int matchIndex, int* position) const {
  const RegExpMatch* match = MatchAt(matchIndex);
  const Text value = match ? Utf16ToText(match->value) : Text();
  if (position != nullptr) *position = LocatedOffset(match ? match->firstIndex : 0, value);
  return value;
}

Text RegexMatcher::GetSubmatchText(int matchIndex, int submatchIndex, int* position) const {
  const RegExpMatch* match = MatchAt(matchIndex);
  Text value;
  if (match != nullptr && submatchIndex >= 1 &&
      static_cast<std::size_t>(submatchIndex) <= match->subMatches.size()) {
    value = Utf16ToText(match->subMatches[static_cast<std::size_t>(submatchIndex - 1)]);
  }
  if (position != nullptr) *position = LocatedOffset(match ? match->firstIndex : 0, value);
  return value;
}

int RegexMatcher::GetSubmatchCount() const {
  const RegExpMatch* first = MatchAt(1);
  return first ? static_cast<int>(first->subMatches.size()) : 0;
}

const RegExpMatch* RegexMatcher::MatchAt(int matchIndex) const {
  if (!matches_ || matchIndex < 1 || static_cast<std::size_t>(matchIndex) > matches_->size()) {
    return nullptr;
  }
  return &(*matches_)[static_cast<std::size_t>(matchIndex - 1)];
}

// The engine counts UTF-16 units, the program GBK bytes. A character takes one unit and one or two
// bytes, so a match that starts at unit f starts at byte f or later: the found text is looked up
// in the subject from byte position f (taken as 1-based, one byte early). The result is the 0-based
// byte offset, -2 when the text is not found.
int RegexMatcher::LocatedOffset(int firstIndex, std::string_view found) const {
  const bool ignoreCase = regexObject_ && regexObject_->IgnoreCase();
  return LocateText(Utf16ToText(subject_), found, firstIndex, ignoreCase) - 1;
}

}  // namespace singrove
