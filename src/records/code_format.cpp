// Fixed-width number and time formatting. Grids sort by cell text, so numbers keep the width
// of the field they came from; missing values become blanks of that width.
#include <algorithm>
#include <cstdio>
#include <string>

#include "records/code_tables.h"
#include "records/code_util.h"

namespace zelkova {

using codes::IsLeadByte;

namespace {

std::string FormatInt(long long v, size_t width) {
  char buf[48];
  int w = width > 40 ? 40 : static_cast<int>(width);
  int len = std::snprintf(buf, sizeof buf, "%*lld", w, v);
  std::string out(buf, len > 0 ? static_cast<size_t>(len) : 0);
  // Widths beyond the buffer only arise from absurd inputs; keep the promised width anyway.
  if (out.size() < width) out.insert(0, width - out.size(), ' ');
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string AddMinutes(std::string_view hhmm, int minutes) {
  if (hhmm.size() != 4 || !IsAllDigits(hhmm)) return {};
  long long total = ((hhmm[0] - '0') * 10 + (hhmm[1] - '0')) * 60LL + (hhmm[2] - '0') * 10 + (hhmm[3] - '0') +
                    minutes;
  // Callers compare the result with the clock as "hhmm" text on the same day. A time moved back
  // before midnight is already due, so it becomes "0000" (never a torn "00-20"); a time moved
  // past midnight keeps counting hours ("2420", not yet due today) up to what four digits hold.
  if (total < 0) total = 0;
  if (total > 99 * 60 + 59) total = 99 * 60 + 59;
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d%02d", static_cast<int>(total / 60), static_cast<int>(total % 60));
  return buf;
}

std::string PadNumber(std::string_view numeric) {
  long long v = ParseInt(numeric, 0);
  if (v == 0) return std::string(numeric.size(), ' ');
  return FormatInt(v, numeric.size());
}

std::string PadHundreds(std::string_view numeric) {
  size_t n = numeric.size();
  size_t width = n > 2 ? n - 3 : n;
  long long v = ParseInt(numeric, 0) / 100;
  if (v == 0) return std::string(width, ' ');
  return FormatInt(v, width);
}

std::string TenthsText(std::string_view numeric) {
  size_t n = numeric.size();
  long long v = ParseInt(numeric, 0);
  if (v == 0) return std::string(n, ' ');
  // Integer arithmetic: exact, and no float rounding surprises for large values.
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  std::string text = (v < 0 ? "-" : "") + digits.substr(0, digits.size() - 1) + "." + digits.back();
  if (text.size() < n + 1) text.insert(0, n + 1 - text.size(), ' ');
  return text;
}

std::string PrefixedCount(std::string_view prefix, std::string_view code3) {
  static const std::string none = Sj("ナシ");
  std::string_view c = TrimBlanks(code3);
  if (c == "000") return none;
  if (c.empty() || c == "999") return "    ";
  return std::string(prefix) + PadNumber(code3);
}

int BodyWeightKg(std::string_view field3) {
  std::string_view t = TrimBlanks(field3);
  if (t.empty() || !IsAllDigits(t)) return 0;
  const long long v = ParseInt(t, 0);
  return v >= 999 ? 0 : static_cast<int>(v);
}

bool WeightSaysScratched(std::string_view field3) { return field3.size() == 3 && field3 == "000"; }

std::string BodyWeightText(std::string_view field3) {
  if (BodyWeightKg(field3) == 0) return std::string(field3.size(), ' ');
  return PadNumber(field3);
}

std::string SignedChange(std::string_view sign, std::string_view code3) {
  std::string_view c = TrimBlanks(code3);
  if (c == "000") return "+-0";
  // Unknown and unreadable changes look alike to the user: a dash.
  if (c.empty() || c == "999" || !IsAllDigits(c)) return "-";
  return std::string(sign) + std::string(TrimBlanks(PadNumber(code3)));
}

std::string TimeDiffText(std::string_view diff4) {
  const std::string blank(5, ' ');
  if (diff4.size() < 4) return blank;
  diff4 = diff4.substr(0, 4);
  std::string_view digits = TrimBlanks(diff4.substr(1, 3));
  std::string_view whole = TrimBlanks(diff4);
  if (digits.empty() || digits == "999" || whole == "9999" || whole == "0000") return blank;
  // The sign is shown as it stands; only a byte that is not a printable ASCII character (which
  // could start a double-byte character) makes the field unreadable.
  char sign = diff4[0];
  if (sign < ' ' || sign > '~') return blank;
  long long secs = ParseInt(diff4.substr(1, 2), -1);
  if (secs < 0 || !IsDigit(diff4[3])) return blank;
  return std::string(1, sign) + FormatInt(secs, 2) + "." + diff4[3];
}

std::string RunTimeText(std::string_view time4) {
  const std::string blank(6, ' ');
  if (time4.size() != 4) return blank;
  // Only digits are shown; a blank or damaged field reads as no time rather than as stray bytes.
  if (!IsDigit(time4[1]) || !IsDigit(time4[2]) || !IsDigit(time4[3])) return blank;
  if (time4[0] != '0' && time4[0] != ' ') {
    if (!IsDigit(time4[0])) return blank;
    return std::string(1, time4[0]) + "." + std::string(time4.substr(1, 2)) + "." + time4[3];
  }
  if (time4 == "0000") return blank;
  return "  " + std::string(time4.substr(1, 2)) + "." + time4[3];
}

std::string ReplaceAt(std::string_view text, std::string_view ins, size_t pos) {
  std::string out(text);
  if (pos == 0 || pos > text.size() || ins.empty()) return out;
  size_t start = pos - 1;
  size_t room = text.size() - start;
  // Cut the insertion at a character boundary so no lead byte is left without its trail byte.
  size_t take = 0;
  while (take < ins.size()) {
    size_t step = IsLeadByte(static_cast<unsigned char>(ins[take])) && take + 1 < ins.size() ? 2 : 1;
    if (take + step > std::min(room, ins.size())) break;
    take += step;
  }
  size_t span = std::min(room, ins.size());
  // Bytes of `text` whose other half is overwritten become spaces.
  size_t i = 0;
  while (i < text.size()) {
    size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (step == 2) {
      bool firstIn = i >= start && i < start + span;
      bool secondIn = i + 1 >= start && i + 1 < start + span;
      if (firstIn != secondIn) out[firstIn ? i + 1 : i] = ' ';
    }
    i += step;
  }
  out.replace(start, take, ins.substr(0, take));
  for (size_t k = take; k < span; ++k) out[start + k] = ' ';
  return out;
}

std::string StripWideSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b) && i + 1 < text.size()) {
      if (!(b == 0x81 && static_cast<unsigned char>(text[i + 1]) == 0x40)) out.append(text.substr(i, 2));
      i += 2;
    } else {
      out += text[i];
      ++i;
    }
  }
  return out;
}

}  // namespace zelkova
