#include "app/ListUserSongs.h"
#include "app/ResolveSongPage.h"
#include "app/SaveSongAudio.h"
#include "tests/app/FlowFixture.h"

namespace singrove {
namespace {

using ListUserSongsTest = FlowTest;

Text Progress(int row, int total) {
  return Gbk("载入中：") + std::to_string(row) + "/" + std::to_string(total);
}
Text Done(int total) {
  return Gbk("载入完成，共载入歌曲 ") + std::to_string(total) + Gbk(" 首");
}

TEST_F(ListUserSongsTest, RequestsOnePagePerFifteenWorksAndCountsTheRowsInTheCaption) {
  struct Case {
    std::string uid;
    int works;  // announced on the profile page
    int items;  // actually on the list pages
    int pages;  // list pages requested
  };
  const Case cases[] = {
      {"0", 0, 0, 0},    {"15", 15, 15, 1}, {"16", 16, 16, 2},
      {"37", 37, 37, 3}, {"20", 20, 17, 2},  // fewer items than announced: the total stays the
                                             // announced count
  };
  for (const Case& c : cases) service_.PutUser(c.uid, Gbk("用户") + c.uid, c.works, c.items);
  for (const Case& c : cases) {
    SCOPED_TRACE("user " + c.uid);
    service_.ClearRequests();
    const std::size_t captionsBefore = toolkit_.Captions().size();
    ASSERT_TRUE(toolkit_.SetEditText(kUserIdBox, c.uid));
    ASSERT_TRUE(toolkit_.Click(kQueryButton));

    std::vector<std::string> requests = {"/personal?uid=" + c.uid};
    for (int page = 1; page <= c.pages; ++page) {
      requests.push_back(FakeService::ListTarget(page, c.uid));
    }
    EXPECT_EQ(service_.Requests(), requests);

    std::vector<Text> captions = {Gbk("正在载入歌曲目录，请等待...")};
    for (int row = 1; row <= c.items; ++row) captions.push_back(Progress(row, c.works));
    captions.push_back(Done(c.works));
    captions.push_back(Gbk("用户") + c.uid);
    EXPECT_EQ(
        std::vector<Text>(toolkit_.Captions().begin() + captionsBefore, toolkit_.Captions().end()),
        captions);

    ASSERT_EQ(toolkit_.GridRowCount(), c.items + 1);
    for (int row = 1; row <= c.items; ++row) {
      const std::string n = std::to_string(row);
      EXPECT_EQ(Row(row),
                (std::vector<Text>{"Song " + n, service_.Address("/play?s=" + c.uid + "-" + n), n,
                                   std::to_string(10 * row)}));
    }
  }
  EXPECT_EQ(toolkit_.Delays(), std::vector<int>(3 * std::size(cases), 500));
  EXPECT_EQ(toolkit_.GridCellText(0, 3), Gbk(" 收听"));  // the header stays
  EXPECT_EQ(gPageIndex, 3);  // one past the last page of the last listing
  EXPECT_EQ(gPageCount, 2.0F);
  EXPECT_EQ(gTitles.size(), 2u);  // the last page only
}

TEST_F(ListUserSongsTest, AProfileWithoutItsMarkersRequestsNoListPage) {
  service_.Put("/personal?uid=7", {.body = "<html><TITLE>x</TITLE>works 16</html>"});
  toolkit_.SetEditText(kUserIdBox, "7");
  toolkit_.Click(kQueryButton);
  toolkit_.SetEditText(kUserIdBox, "");
  toolkit_.Click(kQueryButton);  // an empty id is asked for all the same; the answer is a 404
  EXPECT_EQ(service_.Requests(), (std::vector<std::string>{"/personal?uid=7", "/personal?uid="}));
  const std::vector<Text> once = {Gbk("正在载入歌曲目录，请等待..."), Done(0), ""};
  std::vector<Text> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(toolkit_.Captions(), twice);
  EXPECT_EQ(toolkit_.GridRowCount(), 1);
}

TEST_F(ListUserSongsTest, ANewListingStartsFromAnEmptyGridAndPairsShortArraysWithEmptyCells) {
  service_.PutUser("1", "one", 2, 2);
  toolkit_.SetEditText(kUserIdBox, "1");
  toolkit_.Click(kQueryButton);
  toolkit_.SelectRow(2);
  // Three titles (one of them a subtitle) but two share ids and one play count.
  service_.Put("/personal?uid=2", {.body = Gbk("<title>two</title><b id=\"ugc\">作品 3</b>")});
  service_.Put(FakeService::ListTarget(1, "2"),
               {.body = "{\"TITLE\": \"A\", \"shareid\": \"a\", \"coment_count\": 1, "
                        "\"subtitle\": \"B\", \"shareid\": \"b\", \"coment_count\": 2,"
                        "\"title\": \"C\", \"play_count\": 9}, {\"end\": 1}"});
  toolkit_.SetEditText(kUserIdBox, "2");
  toolkit_.Click(kQueryButton);
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  ASSERT_EQ(toolkit_.GridRowCount(), 4);
  EXPECT_EQ(Row(1), (std::vector<Text>{"A", service_.Address("/play?s=a"), "1", "9}"}));
  EXPECT_EQ(Row(2), (std::vector<Text>{"B", service_.Address("/play?s=b"), "2", ""}));
  EXPECT_EQ(Row(3), (std::vector<Text>{"C", "", "", ""}));
}

TEST_F(ListUserSongsTest, ReadsTheUserIdAgainForEachPage) {
  service_.PutUser("a", "A", 30, 30);
  service_.PutUser("b", "B", 30, 30);
  toolkit_.WhilePendingEvents([this] {
    const auto requests = service_.Requests();
    if (std::find(requests.begin(), requests.end(), FakeService::ListTarget(1, "a")) !=
        requests.end()) {
      toolkit_.SetEditText(kUserIdBox, "b");
    }
  });
  toolkit_.SetEditText(kUserIdBox, "a");
  toolkit_.Click(kQueryButton);
  EXPECT_EQ(service_.Requests(),
            (std::vector<std::string>{"/personal?uid=a", FakeService::ListTarget(1, "a"),
                                      FakeService::ListTarget(2, "b")}));
  EXPECT_EQ(toolkit_.GridCellText(15, 1), service_.Address("/play?s=a-15"));
  EXPECT_EQ(toolkit_.GridCellText(16, 1), service_.Address("/play?s=b-16"));
  EXPECT_EQ(toolkit_.Caption(), "A");
}

TEST_F(ListUserSongsTest, NoOtherFlowStartsWhileAListingRuns) {
  service_.PutUser("a", "A", 16, 16);
  service_.PutSong("a-1", "one", service_.Address("/audio"));
  toolkit_.SetEditText(kSongAddressBox, service_.Address("/play?s=a-1"));
  std::vector<bool> accepted;
  toolkit_.WhilePendingEvents([&] {
    if (toolkit_.GridRowCount() < 3) return;
    toolkit_.SelectRow(1);
    // The window refuses the controls, and the handlers refuse to start inside the listing.
    accepted.push_back(toolkit_.Click(kQueryButton));
    accepted.push_back(toolkit_.Click(kResolveButton));
    accepted.push_back(toolkit_.PressGrid(2, HeadlessToolkit::Button::Right));
    accepted.push_back(toolkit_.SetEditText(kSongAddressBox, service_.Address("/play?s=a-1")));
    ListUserSongs();
    OnGridLeftPress();
    OnGridRightPress();
    OnResolveAndDownload();
  });
  toolkit_.SetEditText(kUserIdBox, "a");
  toolkit_.Click(kQueryButton);
  ASSERT_FALSE(accepted.empty());
  EXPECT_EQ(accepted[0], false);
  EXPECT_EQ(accepted[1], false);
  EXPECT_EQ(accepted[2], false);
  EXPECT_EQ(accepted[3], true);  // typing still works
  EXPECT_EQ(service_.Requests(),
            (std::vector<std::string>{"/personal?uid=a", FakeService::ListTarget(1, "a"),
                                      FakeService::ListTarget(2, "a")}));
  EXPECT_EQ(toolkit_.GridRowCount(), 17);
  EXPECT_EQ(gSingleMode, 0);
  EXPECT_TRUE(toolkit_.SaveDialogs().empty());
  EXPECT_FALSE(toolkit_.Busy());

  toolkit_.WhilePendingEvents({});
  toolkit_.SelectRow(-1);
  EXPECT_TRUE(toolkit_.Click(kResolveButton));  // free again once the listing has ended
  EXPECT_EQ(service_.Requests().back(), "/play?s=a-1");
}

}  // namespace
}  // namespace singrove
