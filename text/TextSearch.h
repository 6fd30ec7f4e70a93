#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace singrove {

// Tells, for positions asked in increasing order, whether each begins a character when characters
// are counted from an origin: a byte of 0x80 or above begins a two-byte character. Only the stretch
// since the last answer is looked at, so a whole pass over a text costs time linear in its length.
class CharStarts {
 public:
  CharStarts(const unsigned char* text, std::size_t origin) : text_(text), known_(origin) {}

  // The first position not yet asked about; every later position may be asked.
  std::size_t Known() const { return known_; }

  // True when pos (not below Known()) begins a character.
  bool IsStart(std::size_t pos) {
    // A byte below 0x80 always ends a character, so pos is a start exactly when the run of high
    // bytes right before it (back to the last known start) has even length.
    std::size_t runStart = pos;
    while (runStart > known_ && text_[runStart - 1] >= 0x80) --runStart;
    const bool start = (pos - runStart) % 2 == 0;
    known_ = start ? pos : pos + 1;
    return start;
  }

 private:
  const unsigned char* text_;
  std::size_t known_;
};

// Finds one needle in one text again and again, as the text primitives search: only character
// starts counted from the search position are tried, a lead byte that ends the text ends the scan,
// and ignoring case folds the ASCII letters only (on every byte). Successive searches with growing
// positions reuse what earlier ones learnt, so scanning a text from start to end stays linear.
// The text and the needle must outlive the searcher.
class TextSearcher {
 public:
  static constexpr std::size_t kNone = std::string_view::npos;

  TextSearcher(std::string_view text, std::string_view needle, bool ignoreCase);

  // The 0-based position of the first occurrence that begins at or after from; kNone when there is
  // none or from is at or beyond the end. An empty needle is found at 0 whenever from is inside.
  std::size_t Find(std::size_t from);

 private:
  std::size_t Search(std::size_t from, CharStarts& starts);
  std::size_t SearchExact(std::size_t from, CharStarts& starts);
  std::size_t SearchFolded(std::size_t from, CharStarts& starts);
  std::size_t SearchLinear(std::size_t from, CharStarts& starts);
  std::size_t NextFirstByte(std::size_t pos);
  std::size_t Accepted(std::size_t at) const;

  const unsigned char* text_;
  std::size_t size_;
  const unsigned char* needle_;
  std::size_t needleSize_;
  bool fold_;

  // The last search: from which position, what it found, and the character starts counted from
  // there.
  bool memoValid_ = false;
  std::size_t memoFrom_ = 0;
  std::size_t memoHit_ = kNone;
  CharStarts memoStarts_;

  // Next occurrences of the first needle byte in both cases, each valid for [from, at].
  unsigned char lower_ = 0;
  unsigned char upper_ = 0;
  std::size_t lowerFrom_ = 1, lowerAt_ = 0;
  std::size_t upperFrom_ = 1, upperAt_ = 0;

  std::vector<std::size_t> failure_;  // prefix function of the needle, built on first need
};

}  // namespace singrove
