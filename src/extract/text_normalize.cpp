#include "extract/text_normalize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "common/encoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quor {
namespace {

constexpr char16_t kLatinLead2 = u'\u00C2';  // ANSI 194
constexpr char16_t kLatinLead3 = u'\u00C3';  // ANSI 195
constexpr char16_t kLatinLead4 = u'\u00C4';  // ANSI 196
constexpr char16_t kPunctLead1 = u'\u00E2';  // ANSI 226
constexpr char16_t kPunctLead2 = u'\u20AC';  // ANSI 128

// The position of the first unit ch at or after from, npos when there is
// none. Eight units at a time where the processor allows.
std::size_t FindUnit(std::u16string_view text, char16_t ch, std::size_t from = 0) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(ch));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, wanted));
    if (mask != 0)
      return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == ch) return i;
  }
  return std::u16string_view::npos;
}

// Replaces every non-overlapping pair (first, second), left to right from
// position from on, by replacement (empty or one character). Returns the
// position of the first change, or npos when there was none.
std::size_t ReplacePairs(std::u16string& text, char16_t first, char16_t second,
                         std::u16string_view replacement, std::size_t from = 0) {
  const std::size_t n = text.size();
  std::size_t i = from;
  while (i + 1 < n && !(text[i] == first && text[i + 1] == second)) ++i;
  if (i + 1 >= n) return std::u16string::npos;
  const std::size_t changed = i;
  std::size_t out = i;
  while (i < n) {
    if (text[i] == first && i + 1 < n && text[i + 1] == second) {
      for (char16_t r : replacement) text[out++] = r;
      i += 2;
      continue;
    }
    text[out++] = text[i++];
  }
  text.resize(out);
  return changed;
}

// One step of the Latin repair: every lead character met (from the start,
// going on after each one examined) decides by the code of the character after
// it whether every such pair in the text is removed, replaced or left.
//
// A pair of the examined kind can only stand before the examined position
// where an earlier change brought two characters together, so the search for
// pairs starts at the first change (or at the examined position).
template <typename Decide>
void RepairLead(std::u16string& text, char16_t lead, Decide decide) {
  std::size_t pos = 0;
  std::size_t firstChange = std::u16string::npos;
  for (;;) {
    const std::size_t p = text.find(lead, pos);
    if (p == std::u16string::npos) return;
    if (p + 1 < text.size()) {
      const int code = AnsiCode(text[p + 1]);
      char16_t replacement = 0;
      const int action = decide(code, replacement);
      if (action != 0) {
        const std::size_t from =
            firstChange == std::u16string::npos ? p : std::min(p, firstChange - (firstChange > 0));
        const std::size_t changed = ReplacePairs(
            text, lead, AnsiChar(static_cast<std::uint8_t>(code)),
            action == 1 ? std::u16string_view() : std::u16string_view(&replacement, 1), from);
        firstChange = std::min(firstChange, changed);
      }
    }
    pos = p + 1;
  }
}

// The step of the Latin repair for lead in one pass over the text, from
// position first (the first lead) on: each lead followed by a character that
// its rule repairs is replaced there and then. That gives what the step gives
// when no repair can form a new pair; isTricky(next) tells for the character
// after a lead whether the text may hold such a case (or a character that only
// shares its code with the one the rule pairs), and then nothing is changed
// and false is returned.
template <typename IsTricky, typename Repair>
bool RepairLeadInOnePass(std::u16string& text, std::size_t first, char16_t lead, IsTricky isTricky,
                         Repair repair) {
  const std::size_t n = text.size();
  for (std::size_t i = first; i != std::u16string::npos && i + 1 < n;
       i = FindUnit(text, lead, i + 1)) {
    if (isTricky(text[i + 1])) return false;
  }
  // The runs between leads are moved as a whole.
  char16_t* p = text.data();
  std::size_t out = first;
  std::size_t i = first;
  while (i < n) {
    // p[i] is a lead.
    if (i + 1 < n) {
      // repair returns the repaired character, or 0 to leave the pair.
      if (const char16_t repaired = repair(p[i + 1]); repaired != 0) {
        p[out++] = repaired;
        i += 2;
      } else {
        p[out++] = p[i++];
      }
    } else {
      p[out++] = p[i++];
    }
    std::size_t next = i < n ? FindUnit(text, lead, i) : n;
    if (next == std::u16string::npos) next = n;
    if (next > i) {
      if (out != i) std::memmove(p + out, p + i, (next - i) * sizeof(char16_t));
      out += next - i;
      i = next;
    }
  }
  text.resize(out);
  return true;
}

// The plain form of the punctuation sequence 226, 128, x; null when x has
// none.
const char16_t* PunctuationReplacement(int x) {
  if (x >= 144 && x <= 147) return u"-";
  if (x >= 152 && x <= 155) return u"'";
  if (x >= 156 && x <= 159) return u"\"";
  switch (x) {
    case 148:
      return u" -- ";
    case 149:
      return u"--";
    case 150:
      return u"|";
    case 151:
      return u"\u2030";  // the character of ANSI code 137
    case 162:
      return u" . ";
    case 166:
      return u"...";
    case 185:
      return u"<";
    case 186:
      return u">";
    default:
      return nullptr;
  }
}

struct EntityEntry {
  const char16_t* name;
  char16_t replacement;
};

constexpr std::array<EntityEntry, 67> kEntities = {{
    {u"&copy;", u'\u00A9'},   {u"&amp;", u'&'},         {u"&nbsp;", u' '},
    {u"&#160;", u' '},        {u"&#8212;", u'\u2014'},  {u"&AElig;", u'\u00C6'},
    {u"&Aacute;", u'\u00C1'}, {u"&Acirc;", u'\u00C2'},  {u"&Agrave;", u'\u00C0'},
    {u"&Aring;", u'\u00C5'},  {u"&Atilde;", u'\u00C3'}, {u"&Auml;", u'\u00C4'},
    {u"&Ccedil;", u'\u00C7'}, {u"&ETH;", u'\u00D0'},    {u"&Eacute;", u'\u00C9'},
    {u"&Ecirc;", u'\u00CA'},  {u"&Egrave;", u'\u00C8'}, {u"&Euml;", u'\u00CB'},
    {u"&Iacute;", u'\u00CD'}, {u"&Icirc;", u'\u00CE'},  {u"&Igrave;", u'\u00CC'},
    {u"&Iuml;", u'\u00CF'},   {u"&Ntilde;", u'\u00D1'}, {u"&Oacute;", u'\u00D3'},
    {u"&Ocirc;", u'\u00D4'},  {u"&Ograve;", u'\u00D2'}, {u"&Oslash;", u'\u00D8'},
    {u"&Otilde;", u'\u00D5'}, {u"&Ouml;", u'\u00D6'},   {u"&THORN;", u'\u00DE'},
    {u"&Uacute;", u'\u00DA'}, {u"&Ucirc;", u'\u00DB'},  {u"&Ugrave;", u'\u00D9'},
    {u"&Uuml;", u'\u00DC'},   {u"&Yacute;", u'\u00DD'}, {u"&aacute;", u'\u00E1'},
    {u"&acirc;", u'\u00E2'},  {u"&aelig;", u'\u00E6'},  {u"&agrave;", u'\u00E0'},
    {u"&aring;", u'\u00E5'},  {u"&atilde;", u'\u00E3'}, {u"&auml;", u'\u00E4'},
    {u"&ccedil;", u'\u00E7'}, {u"&eacute;", u'\u00E9'}, {u"&ecirc;", u'\u00EA'},
    {u"&egrave;", u'\u00E8'}, {u"&eth;", u'\u00F0'},    {u"&euml;", u'\u00EB'},
    {u"&iacute;", u'\u00ED'}, {u"&icirc;", u'\u00EE'},  {u"&igrave;", u'\u00EC'},
    {u"&iuml;", u'\u00EF'},   {u"&ntilde;", u'\u00F1'}, {u"&oacute;", u'\u00F3'},
    {u"&ocirc;", u'\u00F4'},  {u"&ograve;", u'\u00F2'}, {u"&oslash;", u'\u00F8'},
    {u"&otilde;", u'\u00F5'}, {u"&ouml;", u'\u00F6'},   {u"&szlig;", u'\u00DF'},
    {u"&thorn;", u'\u00FE'},  {u"&uacute;", u'\u00FA'}, {u"&ucirc;", u'\u00FB'},
    {u"&ugrave;", u'\u00F9'}, {u"&uuml;", u'\u00FC'},   {u"&yacute;", u'\u00FD'},
    {u"&yuml;", u'\u00FF'},
}};

std::u16string BuildEntityTable() {
  std::u16string table;
  for (const EntityEntry& e : kEntities) {
    if (!table.empty()) table += u' ';
    table += e.name;
    table += e.replacement;
  }
  return table;
}

// The entity texts DecodeEntities can find in the entity table, with their
// replacements, sorted. An entity is looked for as a part of the table, so
// besides the entries themselves the table holds one more: from the "&" that
// replaces "&amp;" to the ";" of the "&nbsp;" after it ("& &nbsp;", giving a
// space). Derived from the table, the first occurrence deciding.
class EntityIndex {
  using Key = std::pair<std::u16string, char16_t>;

 public:
  explicit EntityIndex(std::u16string_view table) {
    for (std::size_t a = table.find(u'&'); a != std::u16string_view::npos;
         a = table.find(u'&', a + 1)) {
      const std::size_t semicolon = table.find(u';', a + 1);
      if (semicolon == std::u16string_view::npos || semicolon + 1 >= table.size()) break;
      const std::u16string_view key = table.substr(a, semicolon - a + 1);
      const bool known =
          std::any_of(keys_.begin(), keys_.end(), [&](const Key& k) { return k.first == key; });
      if (!known) keys_.push_back({std::u16string(key), table[semicolon + 1]});
    }
    std::sort(keys_.begin(), keys_.end());
    for (const auto& k : keys_) longest_ = std::max(longest_, k.first.size());
  }

  // The replacement of entity, 0 when the table does not hold it.
  char16_t Find(std::u16string_view entity) const {
    if (entity.size() > longest_) return 0;
    const auto it = std::lower_bound(
        keys_.begin(), keys_.end(), entity,
        [](const Key& k, std::u16string_view e) { return std::u16string_view(k.first) < e; });
    return it != keys_.end() && it->first == entity ? it->second : 0;
  }

 private:
  std::vector<Key> keys_;
  std::size_t longest_ = 0;
};

}  // namespace

std::u16string RepairUtf8Latin(std::u16string_view text, int /*flag*/) {
  std::u16string result(text);
  RepairUtf8LatinInPlace(result);
  return result;
}

void RepairUtf8LatinInPlace(std::u16string& text) {
  const std::size_t npos = std::u16string::npos;
  std::size_t first2 = FindUnit(text, kLatinLead2);
  std::size_t first3 = FindUnit(text, kLatinLead3);
  bool has4 = FindUnit(text, kLatinLead4) != npos;
  // The first step makes no "Ã"; the second can make an "Ä" (from "Ã" and
  // code 132), so the third step runs after it whenever it may have made one.
  //
  // Each step is first tried in one pass. The order of the rule matters only
  // where a repair joins characters into a new pair: in the first step a
  // removal (codes 128..159) or "Â" after "Â", in the second a repair giving
  // "Ã" (code 131). Those rare texts take the rule literally.
  if (first2 != npos) {
    const bool done = RepairLeadInOnePass(
        text, first2, kLatinLead2,
        [](char16_t next) {
          const int c = AnsiCode(next);
          return next == kLatinLead2 || (c >= 128 && c <= 159);
        },
        [](char16_t next) -> char16_t {
          const int c = AnsiCode(next);
          return c >= 160 && c <= 191 ? next : 0;
        });
    if (!done) {
      RepairLead(text, kLatinLead2, [](int c, char16_t& replacement) {
        if (c >= 128 && c <= 159) return 1;
        if (c >= 160 && c <= 191) {
          replacement = AnsiChar(static_cast<std::uint8_t>(c));
          return 2;
        }
        return 0;
      });
    }
    if (first3 != npos) first3 = FindUnit(text, kLatinLead3);
  }
  if (first3 != npos) {
    const bool done = RepairLeadInOnePass(
        text, first3, kLatinLead3,
        [](char16_t next) {
          const int c = AnsiCode(next);
          return c >= 128 && c <= 191 &&
                 (c == 131 || next != AnsiChar(static_cast<std::uint8_t>(c)));
        },
        [&has4](char16_t next) -> char16_t {
          const int c = AnsiCode(next);
          if (c < 128 || c > 191) return 0;
          has4 |= c + 64 == 196;
          return AnsiChar(static_cast<std::uint8_t>(c + 64));
        });
    if (!done) {
      const std::size_t before = text.size();
      RepairLead(text, kLatinLead3, [](int c, char16_t& replacement) {
        if (c < 128 || c > 191) return 0;
        replacement = AnsiChar(static_cast<std::uint8_t>(c + 64));
        return 2;
      });
      has4 |= text.size() != before;
    }
  }
  // A single pass leaves no (196, 141) pair behind: the replacement "c" can
  // never complete a new one.
  if (has4) ReplacePairs(text, kLatinLead4, AnsiChar(141), u"c");
}

std::u16string RepairUtf8Punctuation(std::u16string_view text) {
  std::u16string result(text);
  RepairUtf8PunctuationInPlace(result);
  return result;
}

void RepairUtf8PunctuationInPlace(std::u16string& text) {
  const std::size_t npos = std::u16string::npos;
  std::size_t first = FindUnit(text, kPunctLead1);
  while (first != npos && !(first + 1 < text.size() && text[first + 1] == kPunctLead2)) {
    first = FindUnit(text, kPunctLead1, first + 1);
  }
  if (first == npos) return;

  // Each sequence is repaired by its own table entry, left to right; the
  // replacements never hold a lead character, so nothing is repaired twice.
  // Only " -- " is longer than its sequence: the text is first moved up by
  // what those add, then rewritten in place from the front, the writing never
  // overtaking the reading.
  const std::size_t n = text.size();
  std::size_t growth = 0;
  // Counted at every lead: where sequences overlap this is more than is
  // needed, which does no harm.
  for (std::size_t i = first; i != npos && i + 2 < n; i = FindUnit(text, kPunctLead1, i + 1)) {
    if (text[i + 1] == kPunctLead2 && text[i + 2] == AnsiChar(148)) ++growth;
  }
  std::size_t i = first;
  if (growth > 0) {
    text.resize(n + growth);
    std::memmove(text.data() + first + growth, text.data() + first, (n - first) * sizeof(char16_t));
    i += growth;
  }
  const std::size_t end = n + growth;
  char16_t* p = text.data();
  std::size_t out = first;
  while (i < end) {
    if (p[i] == kPunctLead1 && i + 1 < end && p[i + 1] == kPunctLead2) {
      if (i + 2 < end) {
        if (const char16_t* r = PunctuationReplacement(AnsiCode(p[i + 2]))) {
          while (*r != 0) p[out++] = *r++;
        }
      }
      i += 3;
      continue;
    }
    p[out++] = p[i++];
  }
  text.resize(out);
}

void NormalizeWhitespace(std::u16string& text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && text[i] > u'\r' && text[i] != u'\u00A0') ++i;
  std::size_t out = i;
  for (; i < n; ++i) {
    char16_t ch = text[i];
    switch (ch) {
      case u'\b':
        continue;
      case u'\r':
        // CR LF becomes one CR, which then becomes one space. A backspace
        // between them is removed first, so CR BS LF is a pair as well.
        while (i + 1 < n && text[i + 1] == u'\b') ++i;
        if (i + 1 < n && text[i + 1] == u'\n') ++i;
        ch = u' ';
        break;
      case u'\t':
      case u'\n':
      case u'\f':
      case u'\u00A0':
        ch = u' ';
        break;
      default:
        break;
    }
    text[out++] = ch;
  }
  text.resize(out);
}

std::u16string_view EntityTable() {
  static const std::u16string table = BuildEntityTable();
  return table;
}

void DecodeEntities(std::u16string& text) {
  const std::size_t npos = std::u16string::npos;
  std::size_t pos = FindUnit(text, u'&');
  if (pos == npos) return;
  static const EntityIndex index(EntityTable());

  // One pass from left to right: after a replacement the scan goes on right
  // after the inserted character, after an unknown run right after its ";".
  // A replacement is shorter than its entity, so the text is rewritten in
  // place behind the reading position.
  char16_t* p = text.data();
  std::size_t out = pos;
  for (;;) {
    const std::size_t i = FindUnit(text, u'&', pos);
    if (i == npos) break;
    const std::size_t j = FindUnit(text, u';', i + 1);
    if (j == npos) break;
    if (out != pos) std::memmove(p + out, p + pos, (i - pos) * sizeof(char16_t));
    out += i - pos;
    pos = i;
    const std::u16string_view entity(p + i, j - i + 1);
    char16_t replacement = 0;
    if (entity == u"&quot;") {
      replacement = u'"';
    } else {
      replacement = index.Find(entity);
    }
    if (replacement != 0) {
      p[out++] = replacement;
    } else {
      while (pos <= j) p[out++] = p[pos++];
    }
    pos = j + 1;
  }
  const std::size_t n = text.size();
  if (out != pos) std::memmove(p + out, p + pos, (n - pos) * sizeof(char16_t));
  text.resize(out + (n - pos));
}

void BlankEntityRuns(std::u16string& text) {
  const std::size_t npos = std::u16string::npos;
  std::size_t i = FindUnit(text, u'&');
  if (i == npos) return;
  const std::size_t n = text.size();
  char16_t* p = text.data();
  // The next ";" and the next space are remembered: they only move forward.
  std::size_t nextSemicolon = 0;
  std::size_t nextSpace = 0;
  std::size_t out = i;
  while (i < n) {
    // p[i] is "&"; the run up to the next one is moved as a whole.
    std::size_t next = n;
    if (nextSemicolon <= i) {
      nextSemicolon = FindUnit(text, u';', i + 1);
      if (nextSemicolon == npos) nextSemicolon = n + 1;
    }
    if (nextSpace <= i) {
      nextSpace = FindUnit(text, u' ', i + 1);
      if (nextSpace == npos) nextSpace = n + 1;
    }
    if (nextSemicolon <= n && nextSemicolon < nextSpace) {
      p[out++] = u' ';
      i = nextSemicolon + 1;
    } else {
      p[out++] = p[i++];
    }
    if (i < n) {
      next = FindUnit(text, u'&', i);
      if (next == npos) next = n;
    }
    if (next > i) {
      if (out != i) std::memmove(p + out, p + i, (next - i) * sizeof(char16_t));
      out += next - i;
      i = next;
    }
  }
  text.resize(out);
}

void ReplaceAnyOf(std::u16string& text, std::u16string_view set, std::u16string_view replacement) {
  if (replacement.size() == 1) {
    for (char16_t& ch : text) {
      if (set.find(ch) != std::u16string_view::npos) ch = replacement[0];
    }
    return;
  }
  std::u16string out;
  out.reserve(text.size());
  for (char16_t ch : text) {
    if (set.find(ch) != std::u16string_view::npos) {
      out += replacement;
    } else {
      out += ch;
    }
  }
  text.swap(out);
}

std::u16string RemoveAll(std::u16string_view text, std::u16string_view part) {
  if (part.empty()) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t p = text.find(part, pos);
    if (p == std::u16string_view::npos) break;
    out.append(text.substr(pos, p - pos));
    pos = p + part.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace quor
