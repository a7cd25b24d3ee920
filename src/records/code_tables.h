// JV-Data code decoders and fixed-width formatters: pure functions, CP932 text in and out.
// Codes are passed exactly as cut from a record (blanks included); a code that is not in a
// table gives that table's default text, an unlisted variant gives an empty text. Never throws.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkova {

// ---- Number and time formatting -------------------------------------------------------------

// "hhmm" + minutes (may be negative) as "hhmm"; a blank or non-numeric time gives "".
// Results before midnight give "0000"; past midnight the hours go on ("2420"), at most "9959".
std::string AddMinutes(std::string_view hhmm, int minutes);
// The value right-aligned in the input's own byte width; 0 (or a non-number) gives spaces.
std::string PadNumber(std::string_view numeric);
// value / 100 right-aligned in width n-3 (n when n <= 2); 0 gives spaces of that width.
std::string PadHundreds(std::string_view numeric);
// value / 10 with one decimal in n+1 characters; 0 gives n spaces.
std::string TenthsText(std::string_view numeric);
// "000" -> "ナシ", "999"/blank -> 4 spaces, else prefix + PadNumber(code3).
std::string PrefixedCount(std::string_view prefix, std::string_view code3);
// A horse's body weight field (3 digits: SE 325, WH 74 + 45k) in kg. 999 means the horse could
// not be weighed and 000 that it was scratched; those, blanks and non-numbers give 0 (no weight).
int BodyWeightKg(std::string_view field3);
// True iff the body weight field says the runner was scratched: 000.
bool WeightSaysScratched(std::string_view field3);
// The body weight as a past-run cell shows it: PadNumber of the field, blanks when BodyWeightKg is 0.
std::string BodyWeightText(std::string_view field3);
// Horse-weight change: "000" -> "+-0", "999"/blank -> "-", else sign + trimmed PadNumber(code3).
std::string SignedChange(std::string_view sign, std::string_view code3);
// 4-character time difference (sign + 3 digits) -> 5 characters, e.g. "+005" -> "+ 0.5".
std::string TimeDiffText(std::string_view diff4);
// 4-character running time (m ss t) -> 6 characters, e.g. "1234" -> "1.23.4".
std::string RunTimeText(std::string_view time4);
// `text` with `ins` written over the same number of bytes at 1-based byte `pos`; the result keeps
// the length of `text` (what does not fit is cut at a character boundary and filled with spaces).
std::string ReplaceAt(std::string_view text, std::string_view ins, size_t pos);
// `text` without any ideographic space (CP932 0x81 0x40), respecting double-byte characters.
std::string StripWideSpaces(std::string_view text);

// ---- Race class labels ----------------------------------------------------------------------

std::string RaceClassLabel(std::string_view condition3, std::string_view grade1, std::string_view name);
std::string AgeClassLabel(std::string_view raceType, std::string_view condition);
std::string ConditionName(int code);

// ---- Tables with variants -------------------------------------------------------------------

// Each takes the code as cut from a record or as an integer (the same table either way; a
// racecourse number is looked up as its two digits, 7 as "07").
std::string RaceTypeName(std::string_view code, int variant);     // variants 2, 4, 6, 8, 9
std::string RaceTypeName(int code, int variant);
std::string GradeName(std::string_view code, int variant);        // variants 1, 2, 8, 9
std::string WeekdayName(int code, int variant);                   // variants 1-4
std::string WeekdayName(std::string_view code, int variant);
std::string CourseNameW(std::string_view code, int variant);      // variants 0, 1, 2, 3, 9
std::string CourseNameW(int code, int variant);
std::string GoingName(std::string_view code, int variant);        // variants 0-2
std::string GoingName(int code, int variant);
std::string AffiliationName(std::string_view code, int variant);  // variants 1-7
std::string AffiliationName(int code, int variant);
std::string ApprenticeMark(std::string_view code, int variant);   // variants 1, 2, 9
std::string ApprenticeMark(int code, int variant);
// Racecourse code -> 6 bytes: central name, "地方  ", "海外  " or spaces.
std::string CourseName(std::string_view code);

// ---- Small tables (code text) ---------------------------------------------------------------

std::string CoatColourName(std::string_view code);
std::string RaceSymbolName(std::string_view code);  // always 24 bytes
std::string WeightRuleName(std::string_view code);
std::string AbnormalityName(std::string_view code);
std::string ScratchName(std::string_view code);
std::string ReasonName(std::string_view code);
std::string WeatherName(std::string_view code);
std::string SexName(std::string_view code);
std::string BlinkerMark(std::string_view code);
std::string CircledNumberText(std::string_view code);

// ---- Small tables (integer code) ------------------------------------------------------------

std::string HorseSymbolName(int code);
std::string TrackName(int code);
std::string TrackShort(int code);
std::string CircledNumber(int code);

// ---- Bet combinations -----------------------------------------------------------------------

// Index 1..36 -> " a- b" over bracket pairs a <= b of 1..8; other indices give "".
std::string BracketComboLabel(int index);
// Index 1..153 -> " a- b" over horse pairs a < b of 1..18; other indices give "".
std::string QuinellaComboLabel(int index);
// Inverse of QuinellaComboLabel; 0 for any other text.
int QuinellaComboIndex(std::string_view label);

// ---- CSV short forms ------------------------------------------------------------------------

std::string GradeCsv(std::string_view code);
std::string WeightRuleCsv(std::string_view code);
std::string AgeClassCsv(std::string_view raceType, std::string_view condition);
std::string SurfaceCsv(int trackCode);
std::string DirectionCsv(int trackCode);
std::string GoingCsv(std::string_view code);

}  // namespace zelkova
