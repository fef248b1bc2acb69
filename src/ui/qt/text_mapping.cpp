#include "ui/qt/text_mapping.h"

#include <cmath>
#include <vector>

namespace quor::ui::qt {

int TwipsToPixels(int twips) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int PixelsToTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

std::u16string ToWidgetLineEnds(std::u16string_view modelText) {
  std::u16string out;
  out.reserve(modelText.size());
  for (std::size_t i = 0; i < modelText.size(); ++i) {
    const char16_t ch = modelText[i];
    if (ch != u'\r') {
      out.push_back(ch);
      continue;
    }
    out.push_back(u'\n');
    if (i + 1 < modelText.size() && modelText[i + 1] == u'\n') ++i;
  }
  return out;
}

std::u16string ToModelLineEnds(std::u16string_view widgetText) {
  std::u16string out;
  out.reserve(widgetText.size() + widgetText.size() / 16);
  for (char16_t ch : widgetText) {
    if (ch == u'\n') {
      out += u"\r\n";
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

int ModelToWidgetPosition(std::u16string_view modelText, int modelPosition) {
  const int size = static_cast<int>(modelText.size());
  if (modelPosition <= 0) return 0;
  if (modelPosition > size) modelPosition = size;
  int widget = 0;
  for (int i = 0; i < modelPosition; ++i) {
    // The LF of a CR LF pair adds nothing: the pair is one widget character.
    if (modelText[static_cast<std::size_t>(i)] == u'\n' && i > 0 &&
        modelText[static_cast<std::size_t>(i - 1)] == u'\r') {
      continue;
    }
    ++widget;
  }
  // Between CR and LF: the position of the CR.
  if (modelPosition < size && modelText[static_cast<std::size_t>(modelPosition)] == u'\n' &&
      modelText[static_cast<std::size_t>(modelPosition - 1)] == u'\r') {
    --widget;
  }
  return widget;
}

int WidgetToModelPosition(std::u16string_view modelText, int widgetPosition) {
  const int size = static_cast<int>(modelText.size());
  int model = 0;
  for (int widget = 0; widget < widgetPosition && model < size; ++widget) {
    const bool pair = modelText[static_cast<std::size_t>(model)] == u'\r' && model + 1 < size &&
                      modelText[static_cast<std::size_t>(model + 1)] == u'\n';
    model += pair ? 2 : 1;
  }
  return model;
}

namespace {

std::u16string_view TrimSpaces(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::u16string ToQtFileFilter(std::u16string_view filter) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    const std::size_t bar = filter.find(u'|', start);
    const std::size_t end = bar == std::u16string_view::npos ? filter.size() : bar;
    parts.push_back(TrimSpaces(filter.substr(start, end - start)));
    if (bar == std::u16string_view::npos) break;
    start = bar + 1;
  }
  std::u16string out;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    std::u16string_view description = parts[i];
    std::u16string_view patterns = i + 1 < parts.size() ? parts[i + 1] : std::u16string_view();
    if (description.empty() && patterns.empty()) continue;
    if (patterns.empty()) {
      // A lone entry: a pattern shown as its own description.
      patterns = description;
    }
    std::u16string qtPatterns;
    for (char16_t ch : patterns) qtPatterns.push_back(ch == u';' ? u' ' : ch);
    std::u16string entry;
    if (description.empty() || description == patterns) {
      entry = qtPatterns + u" (" + qtPatterns + u")";
    } else if (description.find(u'(') != std::u16string_view::npos && description.back() == u')') {
      entry = std::u16string(description);
    } else {
      entry = std::u16string(description) + u" (" + qtPatterns + u")";
    }
    if (!out.empty()) out += u";;";
    out += entry;
  }
  return out;
}

Rgb SplitColour(std::uint32_t colour) {
  return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
          static_cast<int>((colour >> 16) & 0xFF)};
}

std::u16string EscapeMnemonics(std::u16string_view caption) {
  std::u16string out;
  out.reserve(caption.size());
  for (char16_t ch : caption) {
    out.push_back(ch);
    if (ch == u'&') out.push_back(u'&');
  }
  return out;
}

}  // namespace quor::ui::qt
