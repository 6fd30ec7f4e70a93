#include "platform/codepage/IcuConverter.h"

#include <unicode/ucnv.h>

#include <string>

namespace singrove {
namespace {

// ICU reads a comma as the start of converter options and a slash as a data package path, and an
// empty name as "the default converter": none of them is a character-set name.
bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == ',' || c == '/' || c == '\\') return false;
  }
  return true;
}

}  // namespace

IcuConverter::IcuConverter(std::string_view name) {
  if (!IsPlainName(name)) return;
  const std::string terminated(name);
  UErrorCode status = U_ZERO_ERROR;
  UConverter* handle = ucnv_open(terminated.c_str(), &status);
  if (U_FAILURE(status)) {
    if (handle != nullptr) ucnv_close(handle);
    return;
  }
  handle_ = handle;
}

IcuConverter::~IcuConverter() {
  if (handle_ != nullptr) ucnv_close(handle_);
}

}  // namespace singrove
