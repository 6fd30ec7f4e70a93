#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/regexp/RegExp.h"
#include "text/Text.h"

namespace singrove {

struct RegexSearchOptions {
  bool caseSensitive = false;  // false: letter case is ignored
  bool multiline = true;       // "^" and "$" also match at line feeds
  bool global = true;          // collect every match, not only the first
  bool quoteEscape = false;    // every "#引号" in the pattern stands for a double quote
};

// Runs a regular expression over a GBK text and hands out the matches and their groups as text.
// Match and group numbers are 1-based. Copies share the expression object and the matches of the
// last search and hold their own subject.
class RegexMatcher {
 public:
  // Searches subject for pattern; true when the search ran (also when nothing matched), false
  // when the pattern was rejected.
  bool Search(std::string_view pattern, std::string_view subject,
              const RegexSearchOptions& options = {});

  // The pattern of the last search (after the quote escape); "" before the first.
  Text GetPattern() const;

  // The subject of the last search with its matches replaced ($1, $&, $`, $', $$ forms; all
  // matches or the first as the search's global flag says); "" before a search or when the
  // pattern was rejected.
  Text ReplaceMatches(std::string_view replacement = {}) const;

  // The number of matches of the last search; 0 when there is none.
  int GetMatchCount() const;

  // The text of match matchIndex; "" when there is no such match. position, when given, receives
  // the 0-based byte offset of that text in the subject, looked up from the match's UTF-16 start
  // taken as a 1-based byte position; -2 when it is not found. It is written also for a missing
  // match.
  Text GetMatchText(int matchIndex, int* position = nullptr) const;

  // The text of group submatchIndex of match matchIndex; "" when there is none. position as for
  // GetMatchText, searched from the start of the match the group belongs to.
  Text GetSubmatchText(int matchIndex, int submatchIndex, int* position = nullptr) const;

  // The number of groups, read from the first match; 0 when nothing matched.
  int GetSubmatchCount() const;

 private:
  const RegExpMatch* MatchAt(int matchIndex) const;
  int LocatedOffset(int firstIndex, std::string_view found) const;

  std::shared_ptr<RegExp> regexObject_;
  std::shared_ptr<const RegExpMatches> matches_;
  std::u16string subject_;
};

}  // namespace singrove
