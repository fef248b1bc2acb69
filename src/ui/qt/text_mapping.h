// Conversions the renderer makes between the window model's texts and what Qt
// widgets show: line ends, caret positions across them, file-dialog filters,
// twips and pixels, colours. Free of Qt so the rules are testable on their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor::ui::qt {

// 15 twips per pixel at 96 dpi (Qt reports 96 dpi offscreen and under Xvfb;
// scaling shows as a device-pixel ratio).
inline constexpr int kTwipsPerPixel = 15;
// Rounds to the nearest pixel (negative offsets round the same way).
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

// The model's text with each CR LF (and each lone CR) as one LF, as a
// multi-line widget holds it.
std::u16string ToWidgetLineEnds(std::u16string_view modelText);
// A widget's text with each LF as CR LF, as the model keeps it.
std::u16string ToModelLineEnds(std::u16string_view widgetText);
// A position in the model's text (0..size) as a position in the widget's
// text; a position between CR and LF counts as the position of the CR.
int ModelToWidgetPosition(std::u16string_view modelText, int modelPosition);
// A position in the widget's text as a position in the model's text.
int WidgetToModelPosition(std::u16string_view modelText, int widgetPosition);

// A dialog filter in the classic form "Description | *.ext | Other | *.a;*.b"
// as Qt writes it: "Description (*.ext);;Other (*.a *.b)". A description that
// already names its patterns in parentheses is kept as it is; a lone pattern
// without description becomes its own description. Empty gives empty.
std::u16string ToQtFileFilter(std::u16string_view filter);

// Red, green and blue of a colour held as 0x00BBGGRR.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};
Rgb SplitColour(std::uint32_t colour);

// A check-box or option-button caption shown literally: "&" doubled so the
// toolkit does not take it as a mnemonic marker.
std::u16string EscapeMnemonics(std::u16string_view caption);

}  // namespace quor::ui::qt
