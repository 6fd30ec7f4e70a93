#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fetch/CharsetStep.h"
#include "platform/events/EventHook.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const Text kGbkChinese = "\xD6\xD0\xCE\xC4";

// The body text the fetcher hands over with the response bytes.
Text Applied(const std::string& response) {
  const Bytes bytes = TextToBytes(response);
  return ApplyDeclaredCharset(BytesToText(bytes), bytes);
}

struct StepCase {
  const char* what;
  std::string response;
  Text body;
};

TEST(ApplyDeclaredCharset, ConvertsPagesThatDeclareAnotherCharset) {
  const std::string gbkPage = "<meta charset=gbk><p>" + kGbkChinese + "\x81 </p>";
  const std::vector<StepCase> cases = {
      {"quoted utf-8", "<meta charset=\"utf-8\"><p>" + kUtf8Chinese + "</p>",
       "<meta charset=\"utf-8\"><p>" + kGbkChinese + "</p>"},
      {"content type with utf-8",
       "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />" +
           kUtf8Chinese,
       "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />" +
           kGbkChinese},
      {"tag in capitals", "<META CHARSET=UTF-8>" + kUtf8Chinese,
       "<META CHARSET=UTF-8>" + kGbkChinese},
      {"big5", "<meta charset=big5>\xA4\xA4\xA4\xE5", "<meta charset=big5>" + kGbkChinese},
      {"shift_jis", "<meta charset=shift_jis>\x93\xFA\x96\x7B",
       "<meta charset=shift_jis>\xC8\xD5\xB1\xBE"},  // 日本
      // "GBK" is not one of the names left alone, so the decoder runs and mends the bad pair.
      {"GBK in capitals", "<meta charset=GBK><p>" + kGbkChinese + "\x81 </p>",
       "<meta charset=GBK><p>" + kGbkChinese + "? </p>"},
  };
  for (const StepCase& c : cases) EXPECT_EQ(Applied(c.response), c.body) << c.what;
}

TEST(ApplyDeclaredCharset, LeavesTheBodyAloneWhenThereIsNothingToConvert) {
  const std::string utf8Page = "<meta charset=utf-8>" + kUtf8Chinese;
  const std::vector<StepCase> cases = {
      {"gbk", "<meta content=\"text/html; charset=gbk\">" + kGbkChinese + "\x81 ",
       "<meta content=\"text/html; charset=gbk\">" + kGbkChinese + "\x81 "},
      {"gb2312", "<meta charset=gb2312>" + kGbkChinese + "\x81 ",
       "<meta charset=gb2312>" + kGbkChinese + "\x81 "},
      {"no meta tag", "<p>" + kUtf8Chinese + "</p>", "<p>" + kUtf8Chinese + "</p>"},
      {"unknown name", "<meta charset=x-unknown>" + kUtf8Chinese,
       "<meta charset=x-unknown>" + kUtf8Chinese},
      {"tag across lines", "<meta\ncharset=utf-8>" + kUtf8Chinese,
       "<meta\ncharset=utf-8>" + kUtf8Chinese},
      {"declaration past 1024 bytes", std::string(1024, ' ') + utf8Page,
       std::string(1024, ' ') + utf8Page},
      {"NUL before the declaration", std::string("<p>\0", 4) + utf8Page, "<p>"},
      {"empty page", "", ""},
  };
  for (const StepCase& c : cases) EXPECT_EQ(Applied(c.response), c.body) << c.what;
}

TEST(ApplyDeclaredCharset, TheSearchWindowCutsTheDeclaredName) {
  // "<meta charset=utf-8>" with padding such that the window ends inside or after the name.
  const std::string tag = "<meta charset=utf-8>";
  const std::string cutAfterUtf = std::string(1024 - 18, ' ') + tag + kUtf8Chinese;  // "utf-"
  EXPECT_EQ(Applied(cutAfterUtf), cutAfterUtf);
  const std::string whole = std::string(1024 - 19, ' ') + tag + kUtf8Chinese;  // "utf-8"
  EXPECT_EQ(Applied(whole), std::string(1024 - 19, ' ') + tag + kGbkChinese);
}

TEST(ApplyDeclaredCharset, DecodesAllResponseBytesPastAFirstNul) {
  // The body text ends at the first NUL byte, but the decoder gets every byte: in UTF-16LE the
  // zero byte of "A" belongs to a character and the text goes on after it.
  std::string response = "<meta charset=utf-16le>!";  // 24 bytes, read as 12 UTF-16 units
  response += std::string(
      "\x2D\x4E"
      "A\0"
      "B\0",
      6);  // 中AB
  const Text body = Applied(response);
  ASSERT_GE(body.size(), 4u);
  EXPECT_EQ(body.substr(body.size() - 4), kGbkChinese.substr(0, 2) + "AB");
}

TEST(ApplyDeclaredCharset, ProcessesPendingEventsOnceAfterTheSearch) {
  int calls = 0;
  InstallEventHook([&calls] { ++calls; });
  Applied("<meta charset=utf-8>" + kUtf8Chinese);
  EXPECT_EQ(calls, 1);
  Applied("<p>no declaration</p>");
  EXPECT_EQ(calls, 2);
  InstallEventHook({});
}

}  // namespace
}  // namespace singrove
