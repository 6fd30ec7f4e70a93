#include "text/TextSearch.h"

#include <algorithm>
#include <cstring>

namespace singrove {
namespace {

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool IsLower(unsigned char c) {
  return c >= 'a' && c <= 'z';
}

bool HasLetter(const unsigned char* bytes, std::size_t size) {
  for (std::size_t k = 0; k < size; ++k) {
    if (IsLower(Fold(bytes[k]))) return true;
  }
  return false;
}

// What a rejected candidate may cost before the search changes to the prefix-function scan, whose
// time is linear whatever the text: the allowance grows with the bytes passed over.
constexpr std::size_t kRestartCost = 32;
bool OverBudget(std::size_t work, std::size_t passed, std::size_t needleSize) {
  return work > 2 * passed + 4 * needleSize + 256;
}

}  // namespace

TextSearcher::TextSearcher(std::string_view text, std::string_view needle, bool ignoreCase)
    : text_(reinterpret_cast<const unsigned char*>(text.data())),
      size_(text.size()),
      needle_(reinterpret_cast<const unsigned char*>(needle.data())),
      needleSize_(needle.size()),
      // A needle without letters matches the same bytes whether case is ignored or not.
      fold_(ignoreCase && HasLetter(needle_, needleSize_)),
      memoStarts_(text_, 0) {
  if (fold_) {
    lower_ = Fold(needle_[0]);
    upper_ = IsLower(lower_) ? static_cast<unsigned char>(lower_ - ('a' - 'A')) : lower_;
  }
}

std::size_t TextSearcher::Find(std::size_t from) {
  if (from >= size_) return kNone;
  if (needleSize_ == 0) return 0;
  // From a character start of the last search that lies before its hit, the answer is that hit.
  if (memoValid_ && from >= memoFrom_ && from >= memoStarts_.Known() &&
      (memoHit_ == kNone || from <= memoHit_) && memoStarts_.IsStart(from)) {
    return memoHit_;
  }
  CharStarts starts(text_, from);
  memoHit_ = Search(from, starts);
  memoFrom_ = from;
  memoStarts_ = CharStarts(text_, from);
  memoValid_ = true;
  return memoHit_;
}

std::size_t TextSearcher::Search(std::size_t from, CharStarts& starts) {
  if (size_ - from < needleSize_) return kNone;
  return fold_ ? SearchFolded(from, starts) : SearchExact(from, starts);
}

// A match at a lead byte that ends the text does not count: the scan ends on that byte.
std::size_t TextSearcher::Accepted(std::size_t at) const {
  return (at + 1 == size_ && text_[at] >= 0x80) ? kNone : at;
}

std::size_t TextSearcher::SearchExact(std::size_t from, CharStarts& starts) {
#if defined(__GLIBC__) || defined(__APPLE__)
  std::size_t pos = from;
  std::size_t work = 0;
  while (size_ - pos >= needleSize_) {
    const void* hit = memmem(text_ + pos, size_ - pos, needle_, needleSize_);
    if (hit == nullptr) return kNone;
    const auto at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text_);
    if (starts.IsStart(at)) return Accepted(at);
    // The hit began on the second byte of a character; the next character begins right after it.
    pos = at + 1;
    work += needleSize_ + kRestartCost;
    if (OverBudget(work, pos - from, needleSize_)) return SearchLinear(pos, starts);
  }
  return kNone;
#else
  return SearchLinear(from, starts);
#endif
}

std::size_t TextSearcher::NextFirstByte(std::size_t pos) {
  auto next = [&](unsigned char byte, std::size_t& validFrom, std::size_t& at) {
    if (pos < validFrom || pos > at) {
      const void* hit = std::memchr(text_ + pos, byte, size_ - pos);
      at = hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text_) : size_;
      validFrom = pos;
    }
    return at;
  };
  const std::size_t lower = next(lower_, lowerFrom_, lowerAt_);
  if (upper_ == lower_) return lower;
  return std::min(lower, next(upper_, upperFrom_, upperAt_));
}

std::size_t TextSearcher::SearchFolded(std::size_t from, CharStarts& starts) {
  const std::size_t last = size_ - needleSize_;
  std::size_t pos = from;
  std::size_t work = 0;
  while (pos <= last) {
    const std::size_t at = NextFirstByte(pos);
    if (at > last) return kNone;
    if (starts.IsStart(at)) {
      std::size_t k = 1;
      while (k < needleSize_ && Fold(text_[at + k]) == Fold(needle_[k])) ++k;
      if (k == needleSize_) return Accepted(at);
      work += k;
    }
    pos = at + 1;
    work += kRestartCost / 4;
    if (OverBudget(work, pos - from, needleSize_)) return SearchLinear(pos, starts);
  }
  return kNone;
}

// Every occurrence in one pass with the needle's prefix function; the first at a character start
// wins.
std::size_t TextSearcher::SearchLinear(std::size_t from, CharStarts& starts) {
  const auto byteAt = [&](const unsigned char* bytes, std::size_t k) {
    return fold_ ? Fold(bytes[k]) : bytes[k];
  };
  if (failure_.empty()) {
    failure_.assign(needleSize_, 0);
    for (std::size_t k = 1, matched = 0; k < needleSize_; ++k) {
      while (matched > 0 && byteAt(needle_, k) != byteAt(needle_, matched)) {
        matched = failure_[matched - 1];
      }
      if (byteAt(needle_, k) == byteAt(needle_, matched)) ++matched;
      failure_[k] = matched;
    }
  }
  std::size_t matched = 0;
  for (std::size_t k = from; k < size_; ++k) {
    const unsigned char byte = byteAt(text_, k);
    while (matched > 0 && byte != byteAt(needle_, matched)) matched = failure_[matched - 1];
    if (byte == byteAt(needle_, matched)) ++matched;
    if (matched == needleSize_) {
      const std::size_t at = k + 1 - needleSize_;
      if (starts.IsStart(at)) return Accepted(at);
      matched = failure_[matched - 1];
    }
  }
  return kNone;
}

}  // namespace singrove
