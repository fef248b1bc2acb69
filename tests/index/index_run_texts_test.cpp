#include "index/index_run_texts.h"

#include <gtest/gtest.h>

namespace quor {
namespace {

TEST(RunTexts, DurationReadsAsAnEnglishList) {
  struct Case {
    double seconds;
    const char16_t* text;
  } cases[] = {
      {4.9, u""},
      {5, u"Time = 5 seconds."},
      {59, u"Time = 59 seconds."},
      {60, u"Time = 1 minute."},
      {61, u"Time = 1 minute and 1 second."},
      {75, u"Time = 1 minute and 15 seconds."},
      {120, u"Time = 2 minutes."},
      {3600, u"Time = 1 hour."},
      {3605, u"Time = 1 hour and 5 seconds."},
      {3725, u"Time = 1 hour, 2 minutes and 5 seconds."},
      {7200, u"Time = 2 hours."},
      {86400, u"Time = 1 day."},
      {90061, u"Time = 1 day, 1 hour, 1 minute and 1 second."},
      {2 * 86400 + 7320, u"Time = 2 days, 2 hours and 2 minutes."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(RunTimeText(c.seconds), c.text);
  }
}

TEST(RunTexts, ElapsedTimeGainsADayWhenTheClockPassedMidnight) {
  EXPECT_DOUBLE_EQ(ElapsedSeconds(100, 160), 60);
  EXPECT_DOUBLE_EQ(ElapsedSeconds(86395, 10), 15);
}

TEST(RunTexts, LongPathsAreShortenedToTheDisplayLimit) {
  const std::u16string eighty(80, u'a');
  EXPECT_EQ(ShortenPathForDisplay(eighty, 80), eighty);
  const std::u16string path = u"/ab" + std::u16string(4, u'x') + std::u16string(74, u'z');
  ASSERT_EQ(path.size(), 81u);
  const std::u16string shown = ShortenPathForDisplay(path, 80);
  EXPECT_EQ(shown, u"/ab..." + std::u16string(74, u'z'));
  EXPECT_EQ(shown.size(), 80u);
}

TEST(RunTexts, StarWandersWithFilesAndWords) {
  struct Case {
    int files, words;
    std::size_t spaces;
  } cases[] = {
      {0, 0, 0}, {1, 47, 0}, {1, 48, 1}, {1, 145, 2}, {0, 97 * 24, 0}, {0, 97 * 25, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.files << " " << c.words);
    const std::u16string star = AsteriskText(c.files, c.words);
    EXPECT_EQ(star.size(), 25u);
    EXPECT_EQ(star.find(u'*'), c.spaces);
  }
}

}  // namespace
}  // namespace quor
