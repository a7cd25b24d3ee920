#include "app/race_choice.h"

#include <algorithm>

#include "app/main_race.h"
#include "base/cp932.h"
#include "base/fixed_fields.h"
#include "output/race_list.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

struct Course {
  std::string code;             // "05"
  std::string name;             // 東京 (CP932)
  std::vector<int> slots;       // its races, list order
};

std::string Number(int n) { return std::to_string(n) + "R"; }

int RaceNumber(const RaceDay& day, int slot) { return day.Races[static_cast<size_t>(slot)].RaRecord.fieldInt(26, 2); }

// "東京 1R～12R": the racecourse and the race numbers it has.
std::string Offer(const RaceDay& day, const Course& c) {
  std::string out = c.name + " " + Number(RaceNumber(day, c.slots.front()));
  if (c.slots.size() > 1) out += Sj("～") + Number(RaceNumber(day, c.slots.back()));
  return out;
}

std::string Offers(const RaceDay& day, const std::vector<Course>& courses) {
  std::string out;
  for (const Course& c : courses) out += (out.empty() ? "" : Sj("、")) + Offer(day, c);
  return out;
}

bool Matches(const std::string& typed, const Course& c) {
  if (typed == c.code || (typed.size() == 1 && "0" + typed == c.code)) return true;
  auto sj = Utf8ToCp932(typed);
  return sj.ok() && !sj->empty() &&
         (*sj == c.name || *sj == StripWideSpaces(CourseNameW(c.code, 9)) || *sj == StripWideSpaces(CourseNameW(c.code, 0)));
}

}  // namespace

std::string ParseRaceOption(const std::string& value, RaceName& name) {
  if (value == "main") {
    name.main = true;
    return {};
  }
  if (!value.empty() && value.size() <= 2 && IsAllDigits(value) && std::stoi(value) >= 1 && std::stoi(value) <= 12) {
    name.number = std::stoi(value);
    return {};
  }
  auto shown = Utf8ToCp932(value);
  return Sj("--race にはレース番号（1～12）か main を指定してください（「") + (shown.ok() ? *shown : "?") + Sj("」）");
}

RaceChoice ChooseRaces(const RaceDay& day, const RaceName& name, bool one) {
  RaceChoice out;
  const std::vector<int> list = RaceListSlots(day);
  if (list.empty()) {
    out.problem = Sj("この日にはレースがありません");
    return out;
  }
  if (name.main) {
    out.picked.push_back(list[static_cast<size_t>(MainRaceItem(day))]);
    return out;
  }
  std::vector<Course> courses;
  for (int slot : list) {
    const std::string code(day.Races[static_cast<size_t>(slot)].RaRecord.field(20, 2));
    auto it = std::find_if(courses.begin(), courses.end(), [&](const Course& c) { return c.code == code; });
    if (it == courses.end()) it = courses.insert(courses.end(), Course{code, StripWideSpaces(CourseNameW(code, 2)), {}});
    it->slots.push_back(slot);
  }
  std::vector<const Course*> chosen;
  for (const Course& c : courses)
    if (name.course.empty() || Matches(name.course, c)) chosen.push_back(&c);
  if (chosen.empty()) {
    auto shown = Utf8ToCp932(name.course);
    out.problem = Sj("「") + (shown.ok() ? *shown : "?") + Sj("」はこの日の競馬場ではありません（この日のレース：") +
                  Offers(day, courses) + Sj("）");
    return out;
  }
  if (name.number == 0) {
    if (!one) {
      for (const Course* c : chosen) out.picked.insert(out.picked.end(), c->slots.begin(), c->slots.end());
    } else if (name.course.empty()) {
      out.picked.push_back(list.front());
    } else {
      out.problem = Sj("--race でレース番号を選んでください（") + Offer(day, *chosen.front()) + Sj("）");
      out.needsMore = true;
    }
    return out;
  }
  std::vector<const Course*> running;
  for (const Course* c : chosen)
    for (int slot : c->slots)
      if (RaceNumber(day, slot) == name.number) {
        out.picked.push_back(slot);
        running.push_back(c);
      }
  if (out.picked.empty()) {
    std::vector<Course> asked;
    for (const Course* c : chosen) asked.push_back(*c);
    out.problem = (name.course.empty() ? Sj("この日") : asked.front().name) + Sj("に") + Number(name.number) +
                  Sj("はありません（") + Offers(day, asked) + Sj("）");
  } else if (one && out.picked.size() > 1) {
    std::string where;
    for (const Course* c : running) where += (where.empty() ? "" : Sj("、")) + c->name + " " + c->code;
    out.problem = Number(name.number) + Sj("は") + where + Sj("にあります。--course で競馬場を選んでください");
    out.picked.clear();
    out.needsMore = true;
  }
  return out;
}

}  // namespace zelkova
