// The analysis print (PrintBtn): a one-page summary of the loaded day, per race the ratings and
// ranks of the first three finishers and the win payout, as a display list in 0.1 mm from the
// top-left corner of the printable area. Pen widths are in tenths of a screen pixel, as the
// preview converts them.
#pragma once

#include <string>

#include "base/paint_list.h"
#include "output/race_list.h"
#include "racedata/race_day.h"

namespace zelkova {

// The font every line of the print uses.
const std::string& PrintFontName();  // "ＭＳ ゴシック"
// The message when nothing is loaded (after a beep).
std::string PrintNoDataMessage();  // "データを読み込んでください。"
// The error when no printer is installed.
std::string NoPrinterMessage();  // "プリンタが登録されていません"
// The preview window's caption for this print.
std::string AnalysisPrintCaption();  // "分析結果印刷"

// Bottom of the frame (0.1 mm) for n races: n * 70 + 190.
inline int PrintFrameBottom(int races) { return races * 70 + 190; }

// The page for the first `races` items of the race list (RaceListCount); an empty list when
// races is 0.
PaintList AnalysisPrint(const RaceDay& day, int races);

// Colour of a printed rank: red for 1, blue for 2 and 3, black otherwise.
Rgb PrintRankColour(int rank);

}  // namespace zelkova
