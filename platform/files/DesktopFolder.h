#pragma once

#include "text/Text.h"

namespace singrove {

// The user's desktop folder ending in "/": the XDG desktop directory named in
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else ~/Desktop; "" when neither exists or
// its path cannot be written in GBK.
Text DesktopFolder();

}  // namespace singrove
