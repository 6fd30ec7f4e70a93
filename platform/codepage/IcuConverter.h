#pragma once

#include <string_view>

struct UConverter;

namespace singrove {

// One ICU converter, opened by character-set name and closed when the owner goes away.
class IcuConverter {
 public:
  // Opens the converter of name (any alias ICU knows); empty when the name is unknown.
  explicit IcuConverter(std::string_view name);
  ~IcuConverter();
  IcuConverter(const IcuConverter&) = delete;
  IcuConverter& operator=(const IcuConverter&) = delete;

  // True when the converter was opened.
  explicit operator bool() const { return handle_ != nullptr; }
  // The converter handle for ICU calls; null when the name was unknown.
  UConverter* get() const { return handle_; }

 private:
  UConverter* handle_ = nullptr;
};

}  // namespace singrove
