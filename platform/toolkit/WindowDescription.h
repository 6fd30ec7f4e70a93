#pragma once

#include <string>
#include <vector>

#include "text/Text.h"

namespace singrove {

// A handler of a window event: a plain operation without arguments or result.
using EventHandler = void (*)();

enum class ControlKind { GroupBox, Label, EditBox, Button, Grid, SaveDialog };

// What a grid is at creation: its columns, its rows (of which the first fixedRows are the
// header) and the default sizes of its rows and columns in pixels.
struct GridSettings {
  int columns = 0;
  int rows = 0;
  int fixedRows = 0;
  int rowHeight = 0;
  int columnWidth = 0;
};

// One control of a window: its name (UTF-8, the name by which the code addresses it, such as
// "编辑框2"), its kind, the group box that holds it ("" for the window itself), its place and size
// in pixels relative to that container, its text and its events.
struct ControlDescription {
  std::string name{};
  ControlKind kind = ControlKind::Label;
  std::string container{};
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  Text text{};
  bool centred = false;             // edit box: the text is centred
  bool digitsAndMinusOnly = false;  // edit box: typed printable characters other than 0-9 and '-'
                                    // are refused; control characters (and so pasting) pass
  GridSettings grid{};
  EventHandler onClicked = nullptr;     // button
  EventHandler onLeftPress = nullptr;   // grid, before the grid acts on the press
  EventHandler onRightPress = nullptr;  // grid, before the grid acts on the press
};

// The one top-level window: its place and size in pixels, its caption, its controls in creation
// order, and the handler of the created event, delivered once all controls exist.
struct WindowDescription {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  Text caption{};
  std::vector<ControlDescription> controls{};
  EventHandler onCreated = nullptr;
};

}  // namespace singrove
