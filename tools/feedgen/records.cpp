#include "records.h"

#include <algorithm>
#include <cassert>

#include "base/cp932.h"
#include "calendar.h"
#include "fixed_record.h"
#include "pool_odds.h"
#include "records/record.h"

namespace zelkova::feedgen {

namespace {

FixedRecord Head(std::string_view kind, size_t len, char division, int made) {
  FixedRecord r(kind, len);
  r.text(3, 1, std::string(1, division)).text(4, 8, YmdText(made));
  return r;
}

void RaceKeyAt(FixedRecord& r, const Race& rc) { r.text(12, 16, RaceKey(rc)); }

bool Ran(const Starter& s) { return s.abnormality != 1 && s.abnormality != 3; }

int PostOf(const Race& rc, Stage st) { return st == Stage::kResults || rc.prevPost < 0 ? rc.post : rc.prevPost; }

std::string Hhmm(int minutes) { return Digits(minutes / 60, 2) + Digits(minutes % 60, 2); }

const std::string& WideSpace() {
  static const std::string s = Sj("　");
  return s;
}

// Result counts (1st..5th, unplaced) of one group.
using Counts = std::array<int, 6>;
void Tally(Counts& c, int pos) { ++c[pos >= 1 && pos <= 5 ? pos - 1 : 5]; }

void PutCounts(FixedRecord& r, size_t pos, const Counts& c, size_t width) {
  for (size_t i = 0; i < 6; ++i) r.num(pos + width * i, width, c[i]);
}

// Odds of one snapshot: each runner's final odds moved by up to `drift`.
std::vector<int> SnapshotOdds(const World& w, const Race& rc, double drift, Rng& rng) {
  std::vector<int> odds;
  for (int si : rc.starters) {
    const Starter& s = w.starters[si];
    if (!Ran(s)) {
      odds.push_back(0);
      continue;
    }
    double f = 1.0 + drift * rng.gauss() * 0.25;
    odds.push_back(std::clamp(static_cast<int>(s.odds * std::max(0.3, f)), 11, 9999));
  }
  return odds;
}

std::vector<int> Popularity(const std::vector<int>& odds) {
  std::vector<int> idx;
  for (size_t i = 0; i < odds.size(); ++i)
    if (odds[i] > 0) idx.push_back(static_cast<int>(i));
  std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return odds[a] < odds[b]; });
  std::vector<int> pop(odds.size(), 0);
  for (size_t k = 0; k < idx.size(); ++k) pop[idx[k]] = static_cast<int>(k) + 1;
  return pop;
}

template <typename T>
std::vector<int> RankOf(const std::vector<T>& v) {  // rank by ascending value among positives, ties share
  std::vector<T> sorted;
  for (const T& x : v)
    if (x > 0) sorted.push_back(x);
  std::sort(sorted.begin(), sorted.end());
  std::vector<int> rank(v.size(), 0);
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i] > 0) rank[i] = static_cast<int>(std::lower_bound(sorted.begin(), sorted.end(), v[i]) - sorted.begin()) + 1;
  return rank;
}

}  // namespace

size_t RecordLength(std::string_view kind) {
  static const std::pair<std::string_view, size_t> kLengths[] = {
      {"RA", kLenRA}, {"SE", kLenSE}, {"HR", kLenHR}, {"WH", kLenWH}, {"O1", kLenO1}, {"O2", kLenO2}, {"UM", kLenUM},
      {"KS", kLenKS}, {"CH", kLenCH}, {"WE", kLenWE}, {"AV", kLenAV}, {"JC", kLenJC}, {"TC", kLenTC}, {"CC", kLenCC}};
  for (auto& [k, len] : kLengths)
    if (k == kind) return len;
  return 0;
}

std::string RaceKey(const Race& rc) {
  return YmdText(rc.day) + rc.course + Digits(rc.meeting, 2) + Digits(rc.dayNo, 2) + Digits(rc.raceNo, 2);
}

std::string RaRecord(const World& w, const Race& rc, char division, int made, Stage st) {
  FixedRecord r = Head("RA", kLenRA, division, made);
  RaceKeyAt(r, rc);
  bool results = st == Stage::kResults;
  r.num(28, 1, rc.weekdayCode);
  r.num(29, 4, rc.grade != ' ' ? 1000 + rc.raceNo * 10 + rc.meeting : 0);
  r.wide(33, 60, rc.name).wide(93, 60, "").wide(153, 60, "");
  r.wide(573, 20, rc.short10).wide(593, 12, rc.short6).wide(605, 6, rc.short3);
  r.num(611, 1, 0).num(612, 3, rc.runningNo);
  r.text(615, 1, std::string(1, rc.grade)).text(616, 1, " ");
  r.num(617, 2, rc.raceType).text(619, 3, rc.symbol).num(622, 1, rc.weightRule);
  int c2 = 0, c3 = 0, c4 = 0, c5 = 0;
  switch (rc.raceType) {
    case 11: c2 = rc.cond; break;
    case 12: c3 = rc.cond; break;
    case 13: case 18: c3 = c4 = c5 = rc.cond; break;
    default: c4 = c5 = rc.cond; break;
  }
  r.num(623, 3, c2).num(626, 3, c3).num(629, 3, c4).num(632, 3, c5).num(635, 3, rc.cond);
  r.wide(638, 60, "");
  bool changed = rc.prevTrack >= 0;
  int track = changed && !results ? rc.prevTrack : rc.track;
  int distance = changed && !results ? rc.prevDistance : rc.distance;
  r.num(698, 4, distance).num(702, 4, changed && results ? rc.prevDistance : 0);
  r.num(706, 2, track).num(708, 2, changed && results ? rc.prevTrack : 0);
  r.text(710, 2, "  ").text(712, 2, "  ");
  for (int i = 0; i < 7; ++i) r.num(714 + 8 * i, 8, rc.prizes[i]);
  for (int i = 0; i < 5; ++i) r.num(770 + 8 * i, 8, 0);
  for (int i = 0; i < 5; ++i) r.num(810 + 8 * i, 8, rc.addPrizes[i]);
  for (int i = 0; i < 3; ++i) r.num(850 + 8 * i, 8, 0);
  r.text(874, 4, Hhmm(PostOf(rc, st))).text(878, 4, results && rc.prevPost >= 0 ? Hhmm(rc.prevPost) : "0000");
  int reg = st == Stage::kEntries ? rc.registered + (rc.dropped >= 0 ? 1 : 0) : rc.registered;
  r.num(882, 2, reg).num(884, 2, st == Stage::kEntries ? 0 : rc.started).num(886, 2, results ? rc.finished : 0);
  if (results) {
    r.num(888, 1, rc.weather);
    r.num(889, 1, rc.turf() ? rc.turfGoing : 0).num(890, 1, rc.turf() && rc.track != 52 ? 0 : rc.dirtGoing);
  } else {
    r.num(888, 1, 0).num(889, 1, 0).num(890, 1, 0);
  }
  for (int i = 0; i < 25; ++i) r.num(891 + 3 * i, 3, results && i < static_cast<int>(rc.laps.size()) ? rc.laps[i] : 0);
  r.num(966, 4, 0);
  r.num(970, 3, results ? rc.front3 : 0).num(973, 3, results ? rc.front4 : 0);
  r.num(976, 3, results ? rc.back3 : 0).num(979, 3, results ? rc.back4 : 0);
  for (int c = 0; c < 4; ++c) {
    size_t at = 982 + 72 * static_cast<size_t>(c);
    std::string order;
    if (results) {
      std::vector<const Starter*> by;
      for (int si : rc.starters)
        if (w.starters[si].corners[c] > 0) by.push_back(&w.starters[si]);
      std::stable_sort(by.begin(), by.end(), [&](auto* a, auto* b) { return a->corners[c] < b->corners[c]; });
      for (auto* s : by) order += (order.empty() ? "" : ",") + std::to_string(s->horseNo);
    }
    if (order.empty()) {
      r.num(at, 1, 0).num(at + 1, 1, 0).text(at + 2, 70, "");
    } else {
      r.num(at, 1, c + 1).num(at + 1, 1, 1).text(at + 2, 70, order.substr(0, 70));
    }
  }
  r.num(1270, 1, 0);
  return r.str();
}

namespace {

void SeCommon(FixedRecord& r, const World& w, const Race& rc, const Horse& h) {
  const Person& t = w.trainers[h.trainer];
  r.text(31, 10, h.reg).wide(41, 36, h.name).text(77, 2, "00").num(79, 1, h.sex).num(80, 1, 1);
  r.num(81, 2, h.coat).num(83, 2, Ymd(rc.day) / 10000 - h.birthYear).num(85, 1, t.east);
  r.text(86, 5, t.code).wide(91, 8, t.name.shortName).text(99, 6, h.ownerCode).wide(105, 64, h.ownerName);
  r.wide(169, 60, "").text(229, 60, "");
}

}  // namespace

std::string SeRecord(const World& w, const Race& rc, const Starter& s, char division, int made, Stage st) {
  const Horse& h = w.horses[s.horse];
  FixedRecord r = Head("SE", kLenSE, division, made);
  RaceKeyAt(r, rc);
  bool numbered = st != Stage::kEntries;
  bool results = st == Stage::kResults;
  r.num(28, 1, numbered ? s.frame : 0).num(29, 2, numbered ? s.horseNo : 0);
  SeCommon(r, w, rc, h);
  bool jc = s.prevJockey >= 0;
  const Person& j = w.jockeys[jc && !results ? s.prevJockey : s.jockey];
  r.num(289, 3, jc && !results ? s.prevBurden : s.burden).num(292, 3, jc && results ? s.prevBurden : 0);
  r.num(295, 1, s.blinker ? 1 : 0).text(296, 1, " ");
  r.text(297, 5, j.code).text(302, 5, jc && results ? w.jockeys[s.prevJockey].code : "00000");
  r.wide(307, 8, j.name.shortName).wide(315, 8, jc && results ? w.jockeys[s.prevJockey].name.shortName : "");
  r.num(323, 1, j.apprentice).num(324, 1, jc && results ? w.jockeys[s.prevJockey].apprentice : 0);
  bool weighed = results && Ran(s) && !s.unweighed;
  if (results && s.abnormality == 1) {
    r.text(325, 3, "000").text(328, 1, " ").text(329, 3, "   ");  // scratched
  } else if (results && s.unweighed && Ran(s)) {
    r.text(325, 3, "999").text(328, 1, " ").text(329, 3, "   ");  // could not be weighed
  } else if (weighed) {
    r.num(325, 3, s.bodyWeight);
    if (s.firstRun) r.text(328, 1, " ").text(329, 3, "   ");
    else r.text(328, 1, s.weightChange > 0 ? "+" : s.weightChange < 0 ? "-" : " ").num(329, 3, std::abs(s.weightChange));
  } else {
    r.text(325, 3, "   ").text(328, 1, " ").text(329, 3, "   ");
  }
  r.num(332, 1, results ? s.abnormality : 0);
  bool finished = results && s.pos > 0;
  r.num(333, 2, finished ? s.pos : 0).num(335, 2, finished ? s.pos : 0);
  r.num(337, 1, finished && s.deadHeat ? 1 : 0).num(338, 1, finished && s.deadHeat ? 2 : 0);
  if (finished) {
    r.num(339, 1, s.time / 600).num(340, 3, s.time % 600);
  } else {
    r.text(339, 4, "0000");
  }
  // Margin code to the runner ahead (ハナ, クビ, 1/2 ... 大差); blank for the winner.
  std::string margin = "   ";
  if (finished && s.pos > 1) {
    int ahead = 0;
    for (int si : rc.starters) {
      const Starter& o = w.starters[si];
      if (o.pos > 0 && o.pos < s.pos) ahead = std::max(ahead, o.time);
    }
    int gap = s.time - ahead;
    static const char* kCodes[] = {"A  ", "K  ", "_12", "_34", "1  ", "112", "134", "2  ", "212", "3  "};
    margin = gap < 10 ? kCodes[gap] : gap < 25 ? "5  " : "Z  ";
  }
  r.text(343, 3, margin).text(346, 3, "   ").text(349, 3, "   ");
  for (int c = 0; c < 4; ++c) r.num(352 + 2 * c, 2, results && Ran(s) ? s.corners[c] : 0);
  bool priced = st != Stage::kEntries && Ran(s) && results;
  r.num(360, 4, priced ? s.odds : 0).num(364, 2, priced ? s.pop : 0);
  r.num(366, 8, results ? s.prize : 0).num(374, 8, results ? s.addPrize : 0);
  r.num(382, 3, 0).num(385, 3, 0);
  r.num(388, 3, finished ? s.last4f : 0).num(391, 3, finished ? s.last3f : 0);
  // The other finishers: the winner, or the second when this one won.
  int slot = 0;
  if (results) {
    for (int si : rc.starters) {
      const Starter& o = w.starters[si];
      bool other = s.pos == 1 ? (o.pos == 2 || (o.pos == 1 && &o != &s)) : o.pos == 1;
      if (!other || &o == &s || slot >= 3) continue;
      const Horse& oh = w.horses[o.horse];
      r.text(394 + 46 * slot, 10, oh.reg).wide(404 + 46 * slot, 36, oh.name);
      ++slot;
    }
  }
  for (; slot < 3; ++slot) r.num(394 + 46 * slot, 10, 0).wide(404 + 46 * slot, 36, "");
  if (finished) {
    int d = s.diff;
    r.text(532, 1, d < 0 ? "-" : "+").num(533, 3, std::abs(d));
  } else {
    r.text(532, 4, results ? "9999" : "0000");
  }
  r.num(536, 1, 0).num(537, 1, 0).num(538, 5, 0).num(543, 4, 0).num(547, 4, 0).num(551, 2, 0).num(553, 1, 0);
  return r.str();
}

std::string SeListedOnly(const World& w, const Race& rc, int horse, char division, int made) {
  const Horse& h = w.horses[horse];
  FixedRecord r = Head("SE", kLenSE, division, made);
  RaceKeyAt(r, rc);
  r.num(28, 1, 0).num(29, 2, 0);
  SeCommon(r, w, rc, h);
  const Person& j = w.jockeys[static_cast<size_t>(horse) % w.jockeys.size()];
  r.num(289, 3, 570).num(292, 3, 0).num(295, 1, 0).text(297, 5, j.code).text(302, 5, "00000");
  r.wide(307, 8, j.name.shortName).wide(315, 8, "").num(323, 1, 0).num(324, 1, 0);
  r.num(332, 1, 0).num(333, 2, 0).num(335, 2, 0).num(337, 2, 0).text(339, 4, "0000");
  for (int c = 0; c < 4; ++c) r.num(352 + 2 * c, 2, 0);
  r.num(360, 4, 0).num(364, 2, 0).num(366, 8, 0).num(374, 8, 0).num(382, 6, 0).num(388, 6, 0);
  for (int slot = 0; slot < 3; ++slot) r.num(394 + 46 * slot, 10, 0).wide(404 + 46 * slot, 36, "");
  r.text(532, 4, "0000").num(536, 18, 0);
  return r.str();
}

std::string HrRecord(const Race& rc, char division, int made) {
  FixedRecord r = Head("HR", kLenHR, division, made);
  RaceKeyAt(r, rc);
  r.num(28, 2, rc.registered).num(30, 2, rc.started);
  r.num(32, 9, 0).num(41, 9, 0);
  bool refunds = rc.started < rc.registered;
  r.num(50, 9, 0);
  if (refunds) r.num(50, 1, 1);
  r.num(59, 28, 0).num(87, 8, 0).num(95, 8, 0);
  auto put = [&](const std::vector<Payout>& list, size_t start, size_t stride, size_t comboLen, size_t popLen, size_t max) {
    for (size_t j = 0; j < max && j < list.size(); ++j) {
      size_t at = start + stride * j;
      r.text(at, comboLen, list[j].combo).num(at + comboLen, 9, list[j].amount).num(at + comboLen + 9, popLen, list[j].pop);
    }
  };
  put(rc.win, 103, 13, 2, 2, 3);
  put(rc.place, 142, 13, 2, 2, 5);
  put(rc.bracket, 207, 13, 2, 2, 3);
  put(rc.quinella, 246, 16, 4, 3, 3);
  put(rc.wide, 294, 16, 4, 3, 7);
  put(rc.exacta, 454, 16, 4, 3, 6);
  put(rc.trio, 550, 18, 6, 3, 3);
  put(rc.trifecta, 604, 19, 6, 4, 6);
  return r.str();
}

namespace {

// Final odds (division 4) carry no announcement time.
void OddsHead(FixedRecord& r, const Race& rc, char division, int day, int minutes) {
  RaceKeyAt(r, rc);
  r.text(28, 8, division == '4' ? "00000000" : MdHmText(day, minutes)).num(36, 2, rc.registered).num(38, 2, rc.started);
}

}  // namespace

std::vector<int> SnapshotWinOdds(const World& w, const Race& rc, double drift, Rng& rng) {
  return SnapshotOdds(w, rc, drift, rng);
}

std::vector<int> FramesOf(const World& w, const Race& rc) {
  std::vector<int> frames;
  for (int si : rc.starters) frames.push_back(w.starters[si].frame);
  return frames;
}

PlaceRange PlaceOdds(const PoolOdds& pool, int a, int places) {
  const double centre = 0.8 / std::max(1e-9, pool.place(a, places)) * 10.0;
  const int low = std::clamp(static_cast<int>(centre * 0.75), 10, 9999);
  return {low, std::clamp(static_cast<int>(centre * 1.3), low, 9999)};
}

std::string O1Record(const World& w, const Race& rc, char division, int day, int minutes, const std::vector<int>& odds,
                     Rng& rng) {
  FixedRecord r("O1", kLenO1);
  r.text(3, 1, std::string(1, division)).text(4, 8, YmdText(day));
  OddsHead(r, rc, division, day, minutes);
  bool bracketSold = rc.started >= 9;
  const int places = rc.started >= 8 ? 3 : 2;
  r.num(40, 1, 7).num(41, 1, 7).num(42, 1, bracketSold ? 7 : 0).num(43, 1, places);
  const PoolOdds pool(odds);
  std::vector<int> pop = Popularity(odds);
  std::vector<int> placeLow(odds.size());
  for (size_t h = 0; h < odds.size(); ++h) {
    size_t win = 44 + 8 * h, place = 268 + 12 * h;
    r.num(win, 2, static_cast<long long>(h) + 1).num(place, 2, static_cast<long long>(h) + 1);
    if (odds[h] == 0) {
      r.text(win + 2, 4, "----").text(win + 6, 2, "--");
      r.text(place + 2, 4, "----").text(place + 6, 4, "----").text(place + 10, 2, "--");
      continue;
    }
    r.num(win + 2, 4, odds[h]).num(win + 6, 2, pop[h]);
    const PlaceRange pr = PlaceOdds(pool, static_cast<int>(h), places);
    placeLow[h] = pr.low;
    r.num(place + 2, 4, pr.low).num(place + 6, 4, pr.high);
  }
  std::vector<int> placePop = RankOf(placeLow);
  for (size_t h = 0; h < odds.size(); ++h)
    if (odds[h] > 0) r.num(268 + 12 * h + 10, 2, placePop[h]);
  // Bracket quinella: the chance that the first two come from the two brackets.
  const std::vector<int> frames = FramesOf(w, rc);
  std::array<int, 9> runners{};
  for (size_t h = 0; h < odds.size(); ++h)
    if (odds[h] > 0) ++runners[static_cast<size_t>(frames[h])];
  std::vector<double> bOdds;
  std::vector<size_t> bAt;
  size_t k = 0;
  for (int a = 1; a <= 8; ++a)
    for (int b = a; b <= 8; ++b, ++k) {
      size_t at = 604 + 9 * k;
      if (!bracketSold) continue;
      r.text(at, 2, std::to_string(a) + std::to_string(b));
      bool possible = a == b ? runners[a] >= 2 : runners[a] >= 1 && runners[b] >= 1;
      if (!possible) {
        r.text(at + 2, 5, "-----").text(at + 7, 2, "--");
        continue;
      }
      int o = PoolOdds::Odds(pool.bracket(a, b, frames), 0.775, 99999);
      r.num(at + 2, 5, o);
      bOdds.push_back(o);
      bAt.push_back(at);
    }
  std::vector<int> bPop = RankOf(bOdds);
  for (size_t i = 0; i < bAt.size(); ++i) r.num(bAt[i] + 7, 2, std::min(bPop[i], 99));
  long long votes = 100000 + static_cast<long long>(rng.below(900000));
  r.num(928, 11, votes * 3).num(939, 11, votes * 2).num(950, 11, bracketSold ? votes : 0);
  return r.str();
}

std::string O2Record(const World& w, const Race& rc, char division, int day, int minutes, const std::vector<int>& odds,
                     Rng& rng) {
  (void)w;
  FixedRecord r("O2", kLenO2);
  r.text(3, 1, std::string(1, division)).text(4, 8, YmdText(day));
  OddsHead(r, rc, division, day, minutes);
  r.num(40, 1, 7);
  const PoolOdds pool(odds);
  int n = static_cast<int>(odds.size());
  std::vector<double> qOdds;
  std::vector<size_t> qAt;
  size_t k = 0;
  for (int a = 1; a <= 18; ++a)
    for (int b = a + 1; b <= 18; ++b, ++k) {
      if (a > n || b > n) continue;
      size_t at = 41 + 13 * k;
      r.num(at, 2, a).num(at + 2, 2, b);
      if (odds[a - 1] == 0 || odds[b - 1] == 0) {
        r.text(at + 4, 6, "------").text(at + 10, 3, "---");
        continue;
      }
      int o = PoolOdds::Odds(pool.quinella(a - 1, b - 1), 0.775, 999999);
      r.num(at + 4, 6, o);
      qOdds.push_back(o);
      qAt.push_back(at);
    }
  std::vector<int> qPop = RankOf(qOdds);
  for (size_t i = 0; i < qAt.size(); ++i) r.num(qAt[i] + 10, 3, qPop[i]);
  r.num(2030, 11, 200000 + static_cast<long long>(rng.below(2000000)));
  return r.str();
}

std::string WhRecord(const World& w, const Race& rc, int day, int minutes) {
  FixedRecord r("WH", kLenWH);
  r.text(3, 1, "1").text(4, 8, YmdText(day));
  RaceKeyAt(r, rc);
  r.text(28, 8, MdHmText(day, minutes));
  for (size_t k = 0; k < rc.starters.size() && k < 18; ++k) {
    const Starter& s = w.starters[rc.starters[k]];
    size_t at = 36 + 45 * k;
    r.num(at, 2, s.horseNo).wide(at + 2, 36, w.horses[s.horse].name);
    if (s.abnormality == 1) {
      r.text(at + 38, 7, "000    ");  // scratched
    } else if (!Ran(s)) {
      r.text(at + 38, 7, "       ");
    } else if (s.unweighed) {
      r.text(at + 38, 7, "999    ");  // could not be weighed
    } else if (s.firstRun) {
      r.num(at + 38, 3, s.bodyWeight).text(at + 41, 4, "    ");
    } else {
      r.num(at + 38, 3, s.bodyWeight).text(at + 41, 1, s.weightChange > 0 ? "+" : s.weightChange < 0 ? "-" : " ");
      r.num(at + 42, 3, std::abs(s.weightChange));
    }
  }
  return r.str();
}

namespace {

struct HorseTotals {
  std::array<Counts, 27> groups{};  // in record order, from position 1107
  std::array<int, 4> styles{};
  long long prize[6] = {0, 0, 0, 0, 0, 0};  // flat, jump, flat added, jump added, flat earned, jump earned
  int runs = 0;
};

HorseTotals Totals(const World& w, const Horse& h, int made) {
  HorseTotals t;
  for (int si : h.runs) {
    const Starter& s = w.starters[si];
    const Race& rc = w.races[s.race];
    if (rc.day >= made) break;
    ++t.runs;
    Tally(t.groups[0], s.pos);
    if (rc.division != '7') continue;
    Tally(t.groups[1], s.pos);
    int tr = rc.track;
    int surface = tr == 10 ? 2 : tr <= 16 ? 4 : tr <= 22 ? 3 : tr == 29 ? 5 : tr <= 28 ? (tr % 2 ? 7 : 6) : 8;
    Tally(t.groups[surface], s.pos);
    if (rc.obstacle()) Tally(t.groups[16 + rc.turfGoing], s.pos);
    else if (rc.turf()) Tally(t.groups[8 + rc.turfGoing], s.pos);
    else Tally(t.groups[12 + rc.dirtGoing], s.pos);
    if (!rc.obstacle()) {
      int band = rc.distance <= 1600 ? 0 : rc.distance <= 2200 ? 1 : 2;
      Tally(t.groups[(rc.turf() ? 21 : 24) + band], s.pos);
    }
    if (s.corners[3] > 0) {
      int c = s.corners[3];
      t.styles[c == 1 ? 0 : c * 3 <= rc.started ? 1 : c * 3 <= rc.started * 2 ? 2 : 3]++;
    }
    int j = rc.obstacle() ? 1 : 0;
    t.prize[j] += s.prize;
    t.prize[2 + j] += s.addPrize;
    if (s.pos == 1) t.prize[4 + j] += s.prize;
  }
  return t;
}

FixedRecord UmImage(const World& w, const Horse& h, int made) {
  FixedRecord r = Head("UM", kLenUM, '1', made);
  r.text(12, 10, h.reg).num(22, 1, 0).text(23, 8, YmdText(h.birthDay + 600)).num(31, 8, 0).text(39, 8, YmdText(h.birthDay));
  r.wide(47, 36, h.name).text(83, 36, "").text(119, 60, "").num(179, 1, 1).text(180, 19, "");
  r.text(199, 2, "00").num(201, 1, h.sex).num(202, 1, 1).num(203, 2, h.coat);
  for (size_t k = 0; k < 14; ++k) r.text(205 + 46 * k, 10, h.ancestorNos[k]).wide(215 + 46 * k, 36, h.ancestors[k]);
  const Person& t = w.trainers[h.trainer];
  r.num(849, 1, t.east).text(850, 5, t.code).wide(855, 8, t.name.shortName).wide(863, 20, "");
  r.text(883, 8, h.breederCode).text(891, 72, WideSpace() + h.breeder);
  r.wide(963, 20, Sj("日高町")).text(983, 6, h.ownerCode).wide(989, 64, h.ownerName);
  HorseTotals tot = Totals(w, h, made);
  for (int i = 0; i < 6; ++i) r.num(1053 + 9 * i, 9, tot.prize[i]);
  for (size_t g = 0; g < tot.groups.size(); ++g) PutCounts(r, 1107 + 18 * g, tot.groups[g], 3);
  for (int i = 0; i < 4; ++i) r.num(1593 + 3 * i, 3, tot.styles[i]);
  r.num(1605, 3, tot.runs);
  return r;
}

}  // namespace

std::string UmRecord(const World& w, const Horse& h, int made) { return UmImage(w, h, made).str(); }

std::string LegacyUmRecord(const World& w, const Horse& h, int made) {
  // The inverse of the legacy conversion: drop the two leading blanks of each widened field.
  std::string cur = UmImage(w, h, made).str();
  std::string old;
  old.reserve(kLenLegacyUM);
  old.append(cur, 0, 204);
  for (size_t k = 0; k < 14; ++k) old.append(cur, 204 + 46 * k + 2, 44);
  old.append(cur, 848, 34);
  old.append(cur, 884, 6);
  old.append(cur, 892, 715);
  old.append("\r\n");
  assert(old.size() == kLenLegacyUM);
  return old;
}

namespace {

void PersonBlocks(FixedRecord& r, const World& w, const Person& p, int made, size_t start) {
  int year = Ymd(made) / 10000;
  for (int b = 0; b < 3; ++b) {
    size_t at = start + 1052 * static_cast<size_t>(b);
    Counts flat{}, jump{};
    long long prize[4] = {0, 0, 0, 0};
    for (int si : p.rides) {
      const Starter& s = w.starters[si];
      const Race& rc = w.races[s.race];
      if (rc.day >= made) break;
      if (rc.division != '7') continue;
      int y = Ymd(rc.day) / 10000;
      if (b < 2 && y != year - b) continue;
      Tally(rc.obstacle() ? jump : flat, s.pos);
      prize[rc.obstacle() ? 1 : 0] += s.prize;
      prize[rc.obstacle() ? 3 : 2] += s.addPrize;
    }
    r.num(at, 4, b < 2 ? year - b : 0);
    for (int i = 0; i < 4; ++i) r.num(at + 4 + 10 * i, 10, prize[i]);
    PutCounts(r, at + 44, flat, 6);
    PutCounts(r, at + 80, jump, 6);
    r.num(at + 116, 936, 0);
  }
}

}  // namespace

std::string KsRecord(const World& w, const Person& j, int made) {
  FixedRecord r = Head("KS", kLenKS, '1', made);
  r.text(12, 5, j.code).num(17, 1, 0).text(18, 8, YmdText(j.licenceDay)).num(26, 8, 0).text(34, 8, YmdText(j.birthDay));
  r.wide(42, 34, j.name.full).text(76, 34, "").text(110, 30, j.name.kana).wide(140, 8, j.name.shortName).text(148, 80, "");
  r.num(228, 1, 1).num(229, 1, 1).num(230, 1, j.apprentice).num(231, 1, j.east).wide(232, 20, "");
  r.num(252, 5, 0).wide(257, 8, "");
  r.num(265, 134, 0).num(399, 128, 0);
  for (int i = 0; i < 3; ++i) r.num(527 + 163 * i, 163, 0);
  PersonBlocks(r, w, j, made, 1016);
  return r.str();
}

std::string ChRecord(const World& w, const Person& t, int made) {
  FixedRecord r = Head("CH", kLenCH, '1', made);
  r.text(12, 5, t.code).num(17, 1, 0).text(18, 8, YmdText(t.licenceDay)).num(26, 8, 0).text(34, 8, YmdText(t.birthDay));
  r.wide(42, 34, t.name.full).text(76, 30, t.name.kana).wide(106, 8, t.name.shortName).text(114, 80, "");
  r.num(194, 1, 1).num(195, 1, t.east).wide(196, 20, "");
  for (int i = 0; i < 3; ++i) r.num(216 + 163 * i, 163, 0);
  PersonBlocks(r, w, t, made, 705);
  return r.str();
}

std::string WeRecord(const Race& rc, int minutes, int changeId, int weather, int turf, int dirt, int pw, int pt, int pd) {
  FixedRecord r("WE", kLenWE);
  r.text(3, 1, "1").text(4, 8, YmdText(rc.day)).text(12, 8, YmdText(rc.day)).text(20, 2, rc.course);
  r.num(22, 2, rc.meeting).num(24, 2, rc.dayNo).text(26, 8, MdHmText(rc.day, minutes)).num(34, 1, changeId);
  r.num(35, 1, weather).num(36, 1, turf).num(37, 1, dirt).num(38, 1, pw).num(39, 1, pt).num(40, 1, pd);
  return r.str();
}

std::string AvRecord(const World& w, const Race& rc, const Starter& s, int minutes) {
  FixedRecord r("AV", kLenAV);
  r.text(3, 1, s.abnormality == 1 ? "1" : "2").text(4, 8, YmdText(rc.day));
  RaceKeyAt(r, rc);
  r.text(28, 8, MdHmText(rc.day, minutes)).num(36, 2, s.horseNo).wide(38, 36, w.horses[s.horse].name);
  r.text(74, 3, s.horseNo % 3 == 0 ? "002" : "001");
  return r.str();
}

std::string JcRecord(const World& w, const Race& rc, const Starter& s, int minutes) {
  FixedRecord r("JC", kLenJC);
  r.text(3, 1, "1").text(4, 8, YmdText(rc.day));
  RaceKeyAt(r, rc);
  r.text(28, 8, MdHmText(rc.day, minutes)).num(36, 2, s.horseNo).wide(38, 36, w.horses[s.horse].name);
  const Person& now = w.jockeys[s.jockey];
  const Person& before = w.jockeys[s.prevJockey];
  r.num(74, 3, s.burden).text(77, 5, now.code).wide(82, 34, now.name.full).num(116, 1, now.apprentice);
  r.num(117, 3, s.prevBurden).text(120, 5, before.code).wide(125, 34, before.name.full).num(159, 1, before.apprentice);
  return r.str();
}

std::string TcRecord(const Race& rc, int minutes) {
  FixedRecord r("TC", kLenTC);
  r.text(3, 1, "1").text(4, 8, YmdText(rc.day));
  RaceKeyAt(r, rc);
  r.text(28, 8, MdHmText(rc.day, minutes)).text(36, 4, Hhmm(rc.post)).text(40, 4, Hhmm(rc.prevPost));
  return r.str();
}

std::string CcRecord(const Race& rc, int minutes) {
  FixedRecord r("CC", kLenCC);
  r.text(3, 1, "1").text(4, 8, YmdText(rc.day));
  RaceKeyAt(r, rc);
  r.text(28, 8, MdHmText(rc.day, minutes)).num(36, 4, rc.distance).num(40, 2, rc.track);
  r.num(42, 4, rc.prevDistance).num(46, 2, rc.prevTrack).num(48, 1, 1);
  return r.str();
}

}  // namespace zelkova::feedgen
