#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_code_16;

namespace singrove {

// One match of an Execute: "Value", "FirstIndex" and "SubMatches" of the match object.
struct RegExpMatch {
  std::u16string value;                    // the matched text
  int firstIndex = 0;                      // 0-based position in the subject, in UTF-16 units
  std::vector<std::u16string> subMatches;  // groups 1..n; "" for a group that took no part
};

// The match collection of an Execute: its size is "Count", element i is "Item"(i).
using RegExpMatches = std::vector<RegExpMatch>;

// A regular-expression object with the members of the scripting RegExp object, on PCRE2: the
// flags and the pattern are properties, Execute and Replace run the pattern over a subject.
// Syntax is ECMAScript-like: \w is an ASCII word character, "." does not match a line feed,
// \uhhhh and \xhh are escapes, [] matches nothing and [^] anything. Matching is bounded: a
// search that runs into the engine's step limit ends there as if nothing more matched.
class RegExp {
 public:
  RegExp();
  ~RegExp();
  RegExp(const RegExp&) = delete;
  RegExp& operator=(const RegExp&) = delete;
  RegExp(RegExp&&) noexcept = default;
  RegExp& operator=(RegExp&&) noexcept = default;

  bool IgnoreCase() const { return ignoreCase_; }
  void SetIgnoreCase(bool value);
  // "^" and "$" also match at line feeds.
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool value);
  // Execute collects every match and Replace replaces every one; otherwise only the first.
  bool Global() const { return global_; }
  void SetGlobal(bool value) { global_ = value; }
  const std::u16string& Pattern() const { return pattern_; }
  void SetPattern(std::u16string_view value);

  // The matches of the pattern in subject, left to right, none overlapping (an empty match moves
  // the next search one character on); std::nullopt when the pattern is rejected.
  std::optional<RegExpMatches> Execute(std::u16string_view subject) const;

  // subject with the matches replaced by replacement, in which $1..$99 stand for a group, $& for
  // the match, $` and $' for the text before and after it and $$ for "$"; std::nullopt when the
  // pattern is rejected.
  std::optional<std::u16string> Replace(std::u16string_view subject,
                                        std::u16string_view replacement) const;

 private:
  struct CodeFree {
    void operator()(pcre2_real_code_16* code) const;
  };
  using Code = std::unique_ptr<pcre2_real_code_16, CodeFree>;

  // The pattern compiled for a UTF-16 subject (surrogate pairs as one character) or for plain
  // 16-bit units; null when rejected. Compiled on first use after a change.
  const pcre2_real_code_16* Compiled(bool utf) const;
  void Forget();

  bool ignoreCase_ = false;
  bool multiline_ = false;
  bool global_ = false;
  std::u16string pattern_;
  mutable Code utfCode_;
  mutable Code unitCode_;
  mutable bool utfTried_ = false;
  mutable bool unitTried_ = false;
};

}  // namespace singrove
