#include "ui/qt/text_mapping.h"

#include <gtest/gtest.h>

namespace quor::ui::qt {
namespace {

TEST(TextMapping, LineEndsBecomeSingleLinefeedsAndBack) {
  struct Row {
    const char* name;
    std::u16string model;
    std::u16string widget;
  };
  const Row rows[] = {
      {"no line ends", u"abc", u"abc"},
      {"CR LF", u"a\r\nb", u"a\nb"},
      {"trailing CR LF", u"a\r\n", u"a\n"},
      {"blank line", u"a\r\n\r\nb", u"a\n\nb"},
      {"empty", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ToWidgetLineEnds(row.model), row.widget);
    EXPECT_EQ(ToModelLineEnds(row.widget), row.model);
  }
  // A lone CR or LF of the model is one line end in the widget too.
  EXPECT_EQ(ToWidgetLineEnds(u"a\rb\nc"), u"a\nb\nc");
}

TEST(TextMapping, PositionsAcrossCrLfMapBothWays) {
  const std::u16string model = u"ab\r\ncd\r\n\r\ne";  // widget: "ab\ncd\n\ne"
  struct Row {
    const char* name;
    int modelPosition;
    int widgetPosition;
  };
  const Row rows[] = {
      {"start", 0, 0},           {"inside first line", 1, 1},
      {"before CR", 2, 2},       {"after LF", 4, 3},
      {"second line end", 6, 5}, {"blank line", 8, 6},
      {"last character", 10, 7}, {"end", 11, 8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ModelToWidgetPosition(model, row.modelPosition), row.widgetPosition);
    EXPECT_EQ(WidgetToModelPosition(model, row.widgetPosition), row.modelPosition);
  }
  // Between CR and LF counts as the CR's position; out of range is clamped.
  EXPECT_EQ(ModelToWidgetPosition(model, 3), 2);
  EXPECT_EQ(ModelToWidgetPosition(model, 99), 8);
  EXPECT_EQ(ModelToWidgetPosition(model, -4), 0);
  EXPECT_EQ(WidgetToModelPosition(model, 99), 11);
}

TEST(TextMapping, FileFiltersInQtForm) {
  struct Row {
    const char* name;
    std::u16string filter;
    std::u16string expected;
  };
  const Row rows[] = {
      {"description naming its pattern", u"Settings file (*.usri) | *.usri",
       u"Settings file (*.usri)"},
      {"plain description", u"Index files|*_index.quor", u"Index files (*_index.quor)"},
      {"several pairs and patterns", u"Text|*.txt;*.log|All files|*.*",
       u"Text (*.txt *.log);;All files (*.*)"},
      {"lone pattern", u"*.usrs", u"*.usrs (*.usrs)"},
      {"empty", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ToQtFileFilter(row.filter), row.expected);
  }
}

TEST(TextMapping, TwipsPixelsColoursAndMnemonics) {
  EXPECT_EQ(TwipsToPixels(5200), 347);
  EXPECT_EQ(TwipsToPixels(15), 1);
  EXPECT_EQ(TwipsToPixels(-150), -10);
  EXPECT_EQ(PixelsToTwips(10), 150);
  const Rgb rgb = SplitColour(15646940);  // EEC0DC: red DC, green C0, blue EE
  EXPECT_EQ(rgb.red, 0xDC);
  EXPECT_EQ(rgb.green, 0xC0);
  EXPECT_EQ(rgb.blue, 0xEE);
  EXPECT_EQ(EscapeMnemonics(u"R&D"), u"R&&D");
  EXPECT_EQ(EscapeMnemonics(u"plain"), u"plain");
}

}  // namespace
}  // namespace quor::ui::qt
