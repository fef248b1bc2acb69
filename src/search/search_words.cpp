#include "search/search_words.h"

#include <algorithm>
#include <unordered_set>

#include "common/encoding.h"

namespace quor {
namespace {

constexpr std::u16string_view kInvalidInput = u"Invalid input";

bool IsWordCharacter(char16_t ch, bool withDigits) {
  return IsSearchLetter(ch) || (withDigits && IsSearchDigit(ch));
}

}  // namespace

bool IsSearchLetter(char16_t ch) {
  if ((ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z')) return true;
  if (ch >= 0xC0 && ch <= 0xFF) return ch != 0xD7 && ch != 0xF7;
  return ch == 0x160 || ch == 0x161 || ch == 0x152 || ch == 0x153 || ch == 0x178;
}

bool IsSearchDigit(char16_t ch) {
  return ch >= u'0' && ch <= u'9';
}

std::u16string ConvertQuoteUmlauts(std::u16string_view text) {
  std::u16string result(text);
  constexpr std::u16string_view kPlain = u"aouAOU";
  constexpr std::u16string_view kUmlaut = u"\u00E4\u00F6\u00FC\u00C4\u00D6\u00DC";
  for (std::size_t k = 0; k < kPlain.size(); ++k) {
    const char16_t pair[] = {kPlain[k], u'"'};
    std::size_t pos = 0;
    while ((pos = result.find(std::u16string_view(pair, 2), pos)) != std::u16string::npos) {
      result.replace(pos, 2, 1, kUmlaut[k]);
      ++pos;
    }
  }
  return result;
}

bool HasOnlyWordCharacters(std::u16string_view text, std::u16string_view extra) {
  return std::all_of(text.begin(), text.end(), [&](char16_t ch) {
    return IsSearchLetter(ch) || extra.find(ch) != std::u16string_view::npos;
  });
}

int SplitWords(std::u16string_view text, TextList& words, CaseMode caseMode,
               std::u16string_view suffixChar, std::u16string_view prefixChar, bool withDigits) {
  const bool usePrefix = !prefixChar.empty() && prefixChar[0] != u' ';
  int count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && !IsWordCharacter(text[pos], withDigits)) ++pos;
    if (pos == text.size()) break;
    const std::size_t start = pos;
    while (pos < text.size() && IsWordCharacter(text[pos], withDigits)) ++pos;
    std::u16string word(text.substr(start, pos - start));
    if (pos < text.size() && !suffixChar.empty() && text[pos] == suffixChar[0]) {
      word.push_back(text[pos]);
      ++pos;
    }
    if (usePrefix && start > 0 && text[start - 1] == prefixChar[0])
      word.insert(0, 1, prefixChar[0]);
    if (caseMode == CaseMode::kLower) FoldCaseInPlace(word);
    words.push_back(std::move(word));
    ++count;
  }
  return count;
}

bool AsteriskPlacementHolds(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'*') continue;
    if (i == 0) return false;
    if (i + 1 == text.size()) return true;
    if (IsSearchLetter(text[i + 1]) || !IsSearchLetter(text[i - 1])) return false;
  }
  return true;
}

void ExpandStems(TextList& words, const Lexicon& lexicon) {
  const std::size_t before = words.size();
  for (std::size_t i = 0; i < before; ++i) {
    if (words[i].empty() || words[i].back() != u'*') continue;
    const std::string stem =
        TextToUtf8(std::u16string_view(words[i]).substr(0, words[i].size() - 1));
    // The words that begin with the stem lie together in the sorted lexicon,
    // from the first word not below the stem on.
    words[i].clear();
    bool first = true;
    for (std::size_t at = lexicon.LowerBound(stem);
         at < lexicon.size() && lexicon.Word(at).starts_with(stem); ++at) {
      if (first) {
        words[i] = Utf8ToText(lexicon.Word(at));
        first = false;
      } else {
        words.push_back(Utf8ToText(lexicon.Word(at)));
      }
    }
  }
}

void RemoveDuplicates(TextList& words, bool ignoreCase) {
  std::unordered_set<std::u16string> seen;
  seen.reserve(words.size());
  for (std::u16string& word : words) {
    if (word.empty()) continue;
    if (!seen.insert(ignoreCase ? FoldCase(word) : word).second) word.clear();
  }
}

int RemoveEmptyEntries(TextList& words) {
  std::erase_if(words, [](const std::u16string& word) { return word.empty(); });
  return static_cast<int>(words.size()) - 1;
}

bool CheckSearchWordCharacters(std::u16string_view text, std::u16string_view notAllowedText,
                               std::u16string_view title, MessageSink& sink) {
  if (HasOnlyWordCharacters(text, u" *")) return true;
  sink.MsgBox(std::u16string(notAllowedText), MsgButtons::Ok, MsgIcon::Exclamation,
              std::u16string(title));
  return false;
}

ParsedSearchWords ParseSearchWords(std::u16string_view text, SearchType type,
                                   const Lexicon& lexicon, std::u16string_view windowCaption,
                                   MessageSink& sink) {
  ParsedSearchWords parsed;
  const std::u16string caption(windowCaption);
  const bool hasStem = text.find(u'*') != std::u16string_view::npos;
  if (hasStem && type != SearchType::kAnyWord) {
    sink.MsgBox(
        u"Stems in search words are permitted only in 'Any word' searches.\r\n"
        u"The search type will now be changed to this type.",
        MsgButtons::Ok, MsgIcon::Information, caption);
    parsed.outcome = ParseOutcome::kChangeToAnyWord;
    return parsed;
  }
  if (hasStem && !AsteriskPlacementHolds(text)) {
    sink.MsgBox(u"An asterisk can occur only at the end of a search word.", MsgButtons::Ok,
                MsgIcon::Information, caption);
    return parsed;
  }
  TextList& words = parsed.SearchWords;
  if (SplitWords(text, words, CaseMode::kLower, u"*", u"", true) == 0) {
    sink.MsgBox(u"No words given.", MsgButtons::Ok, MsgIcon::Exclamation,
                std::u16string(kInvalidInput));
    return parsed;
  }
  for (const std::u16string& word : words) {
    if (word.size() != 2 || word.find(u'*') == std::u16string::npos) continue;
    sink.MsgBox(u"The stem '" + word + u"' is too short.\r\nA stem must have at least two letters.",
                MsgButtons::Ok, MsgIcon::Exclamation, std::u16string(kInvalidInput));
    words.clear();
    return parsed;
  }
  if (hasStem) {
    ExpandStems(words, lexicon);
    if (RemoveEmptyEntries(words) < 0) {
      parsed.outcome = ParseOutcome::kNoStemMatches;
      return parsed;
    }
  }
  if (type != SearchType::kExactPhrase) {
    RemoveDuplicates(words);
    RemoveEmptyEntries(words);
  }
  parsed.outcome = ParseOutcome::kReady;
  return parsed;
}

}  // namespace quor
