#pragma once

#include <QString>
#include <string_view>

#include "text/Gbk.h"
#include "text/Text.h"

namespace singrove {

// A GBK text as the window shows it.
inline QString ToQString(std::string_view text) {
  return QString::fromStdString(GbkToUtf8(text));
}

// A window string as GBK text; characters GBK cannot hold are substituted.
inline Text FromQString(const QString& text) {
  return Gbk(text.toStdString());
}

}  // namespace singrove
