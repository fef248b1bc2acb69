#include "report/html_escape.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "common/encoding.h"

namespace quor {
namespace {

void AppendReference(std::string& out, std::uint32_t codePoint) {
  out += "&#";
  out += std::to_string(codePoint);
  out += ';';
}

void AppendCodePoint(std::u16string& out, std::uint32_t codePoint) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
    return;
  }
  codePoint -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
  out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

struct NamedReference {
  std::u16string_view name;
  char16_t character;
};

// Named references browsers know and DecodeEntities leaves alone, sorted by
// name for the binary search.
constexpr NamedReference kNamed[] = {
    {u"Dagger", u'‡'},      {u"Prime", u'″'},     {u"acute", u'´'},  {u"amp", u'&'},
    {u"apos", u'\''},       {u"bdquo", u'„'},     {u"brvbar", u'¦'}, {u"bull", u'•'},
    {u"cedil", u'¸'},       {u"cent", u'¢'},      {u"copy", u'©'},   {u"curren", u'¤'},
    {u"dagger", u'†'},      {u"darr", u'↓'},      {u"deg", u'°'},    {u"divide", u'÷'},
    {u"emsp", u'\u2003'},   {u"ensp", u'\u2002'}, {u"euro", u'€'},   {u"frac12", u'½'},
    {u"frac14", u'¼'},      {u"frac34", u'¾'},    {u"gt", u'>'},     {u"harr", u'↔'},
    {u"hellip", u'…'},      {u"iexcl", u'¡'},     {u"iquest", u'¿'}, {u"laquo", u'«'},
    {u"larr", u'←'},        {u"ldquo", u'“'},     {u"lsaquo", u'‹'}, {u"lsquo", u'‘'},
    {u"lt", u'<'},          {u"macr", u'¯'},      {u"mdash", u'—'},  {u"micro", u'µ'},
    {u"middot", u'·'},      {u"nbsp", u'\u00A0'}, {u"ndash", u'–'},  {u"not", u'¬'},
    {u"ordf", u'ª'},        {u"ordm", u'º'},      {u"para", u'¶'},   {u"permil", u'‰'},
    {u"plusmn", u'±'},      {u"pound", u'£'},     {u"prime", u'′'},  {u"quot", u'"'},
    {u"raquo", u'»'},       {u"rarr", u'→'},      {u"rdquo", u'”'},  {u"reg", u'®'},
    {u"rsaquo", u'›'},      {u"rsquo", u'’'},     {u"sbquo", u'‚'},  {u"sect", u'§'},
    {u"shy", u'\xAD'},      {u"sup1", u'¹'},      {u"sup2", u'²'},   {u"sup3", u'³'},
    {u"thinsp", u'\u2009'}, {u"times", u'×'},     {u"trade", u'™'},  {u"uarr", u'↑'},
    {u"uml", u'¨'},         {u"yen", u'¥'},
};

static_assert(std::is_sorted(std::begin(kNamed), std::end(kNamed),
                             [](const NamedReference& a, const NamedReference& b) {
                               return a.name < b.name;
                             }));

bool IsDigit(char16_t ch) {
  return ch >= u'0' && ch <= u'9';
}
bool IsHexDigit(char16_t ch) {
  return IsDigit(ch) || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}
int HexValue(char16_t ch) {
  if (IsDigit(ch)) return ch - u'0';
  return (ch | 0x20) - u'a' + 10;
}

// The code point of a numeric reference body ("#233", "#xE9"), or nothing.
bool NumericValue(std::u16string_view body, std::uint32_t& value) {
  if (body.size() < 2 || body[0] != u'#') return false;
  const bool hex = body[1] == u'x' || body[1] == u'X';
  const std::u16string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 7) return false;
  value = 0;
  for (char16_t ch : digits) {
    if (hex ? !IsHexDigit(ch) : !IsDigit(ch)) return false;
    value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(HexValue(ch));
  }
  return true;
}

}  // namespace

std::string HtmlText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    switch (ch) {
      case u'&':
        out += "&amp;";
        continue;
      case u'<':
        out += "&lt;";
        continue;
      case u'>':
        out += "&gt;";
        continue;
      case u'"':
        out += "&quot;";
        continue;
      case u'\t':
      case u'\r':
      case u'\n':
        out += static_cast<char>(ch);
        continue;
      default:
        break;
    }
    if (ch < 0x20 || ch == 0x7F) {
      out += ' ';
    } else if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      AppendReference(out, 0x10000 + ((ch - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (ch >= 0xD800 && ch <= 0xDFFF) {
      AppendReference(out, 0xFFFD);
    } else {
      AppendReference(out, ch);
    }
  }
  return out;
}

std::u16string DecodeCharacterReferences(std::u16string_view text) {
  constexpr std::size_t kLongestBody = 9;  // "#x10FFFF" and the longest name
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find(u'&', i);
    if (amp == std::u16string_view::npos) break;
    out.append(text.substr(i, amp - i));
    i = amp + 1;
    const std::size_t semicolon = text.substr(0, amp + 2 + kLongestBody).find(u';', amp + 1);
    if (semicolon == std::u16string_view::npos) {
      out += u'&';
      continue;
    }
    const std::u16string_view body = text.substr(amp + 1, semicolon - amp - 1);
    std::uint32_t value = 0;
    if (NumericValue(body, value)) {
      if (value >= 0x80 && value <= 0x9F) value = AnsiChar(static_cast<std::uint8_t>(value));
      if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = 0xFFFD;
      AppendCodePoint(out, value);
      i = semicolon + 1;
      continue;
    }
    const auto* found = std::lower_bound(
        std::begin(kNamed), std::end(kNamed), body,
        [](const NamedReference& entry, std::u16string_view name) { return entry.name < name; });
    if (found != std::end(kNamed) && found->name == body) {
      out += found->character;
      i = semicolon + 1;
      continue;
    }
    out += u'&';
  }
  out.append(text.substr(std::min(i, text.size())));
  return out;
}

}  // namespace quor
