#include "day/load_report.h"

#include <algorithm>

#include "base/cp932.h"

namespace zelkova {

std::string LoadReport(const std::string& date, const Status& loaded, int raceListItems,
                       const std::vector<std::string>& problems) {
  std::string text;
  if (loaded.isNotFound()) {
    text = Sj("この日付のレースデータ（") + date + Sj(".jvRA）が見つかりません。");
  } else if (!loaded.ok()) {
    text = Sj("レースデータを読み込めませんでした：") + loaded.message();
  } else if (raceListItems == 0) {
    text = Sj("この日付にはレースがありません：") + date;
  }
  if (problems.empty()) return text;
  if (!text.empty()) text += "\r\n";
  text += Sj("読み込めなかったデータがあります：");
  const size_t shown = std::min<size_t>(problems.size(), 10);
  for (size_t i = 0; i < shown; ++i) text += "\r\n" + problems[i];
  if (problems.size() > shown) text += "\r\n" + Sj("ほか") + std::to_string(problems.size() - shown) + Sj("件");
  return text;
}

}  // namespace zelkova
