#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/Service.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"
#include "tests/app/FakeService.h"
#include "text/Gbk.h"

namespace singrove {

// The main window on the headless toolkit, its flows pointed at a fake service, and a home folder
// of its own with a desktop in it. Delays are recorded but not waited for.
class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "singrove-app-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    std::filesystem::create_directory(home_ / "Desktop");
    if (const char* home = std::getenv("HOME")) savedHome_ = home;
    ::setenv("HOME", home_.c_str(), 1);

    ReleaseGlobals();
    gSingleMode = 0;
    SetServiceHostForTests(service_.Host());
    UseToolkit(&toolkit_);
    toolkit_.LoadWindow(MainWindowDescription());
  }
  void TearDown() override {
    UseToolkit(nullptr);
    SetServiceHostForTests("");
    if (savedHome_) ::setenv("HOME", savedHome_->c_str(), 1);
    std::error_code error;
    std::filesystem::remove_all(home_, error);
  }

  // The cells of data row `row`.
  std::vector<Text> Row(int row) {
    std::vector<Text> cells;
    for (int column = 0; column < 4; ++column) cells.push_back(toolkit_.GridCellText(row, column));
    return cells;
  }
  // The desktop folder as the program names it.
  Text Desktop() const { return Gbk((home_ / "Desktop").string() + "/"); }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  FakeService service_;
  HeadlessToolkit toolkit_{{.realDelays = false}};
  std::filesystem::path home_;
  std::optional<std::string> savedHome_;
};

}  // namespace singrove
