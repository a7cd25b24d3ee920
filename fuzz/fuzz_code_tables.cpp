// Feeds arbitrary bytes to every code decoder and formatter: each must return, and every
// fixed-width result must keep its width whatever the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/code_tables.h"

using namespace zelkova;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // The first bytes choose the integer arguments; the rest is split into three texts.
  int n = static_cast<int>(static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
  std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  size_t third = rest.size() / 3;
  std::string_view a = rest.substr(0, third), b = rest.substr(third, third), c = rest.substr(2 * third);
  int variant = n & 15;

  Check(AddMinutes(a, n).size() == 0 || AddMinutes(a, n).size() == 4);
  Check(PadNumber(a).size() >= a.size());
  PadHundreds(a);
  Check(TenthsText(a).size() >= a.size());
  PrefixedCount(b, a);
  SignedChange(b, a);
  Check(TimeDiffText(a).size() == 5);
  Check(RunTimeText(a).size() == 6);
  Check(ReplaceAt(a, b, static_cast<size_t>(n & 0xFFFF)).size() == a.size());
  Check(StripWideSpaces(a).size() <= a.size());
  RaceClassLabel(a, b, c);
  AgeClassLabel(a, b);
  ConditionName(n);
  RaceTypeName(a, variant);
  GradeName(a, variant);
  WeekdayName(n, variant);
  CourseNameW(a, variant);
  GoingName(a, variant);
  AffiliationName(a, variant);
  ApprenticeMark(a, variant);
  Check(CourseName(a).size() == 6);
  CoatColourName(a);
  Check(RaceSymbolName(a).size() == 24);
  WeightRuleName(a);
  AbnormalityName(a);
  ScratchName(a);
  ReasonName(a);
  WeatherName(a);
  SexName(a);
  BlinkerMark(a);
  CircledNumberText(a);
  HorseSymbolName(n);
  TrackName(n);
  TrackShort(n);
  CircledNumber(n);
  BracketComboLabel(n);
  QuinellaComboLabel(n);
  int q = QuinellaComboIndex(a);
  Check(q == 0 || QuinellaComboLabel(q) == a);
  GradeCsv(a);
  WeightRuleCsv(a);
  AgeClassCsv(a, b);
  SurfaceCsv(n);
  DirectionCsv(n);
  GoingCsv(a);
  return 0;
}
