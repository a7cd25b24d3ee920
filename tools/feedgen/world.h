// The simulated racing world behind a feed: a calendar of race days, the horses, jockeys and
// trainers, and every race with its entries and results. Built once from a seed; the record
// builders and the feed writer only read it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "names.h"
#include "rng.h"

namespace zelkova::feedgen {

enum class Scale { kDemo, kTest, kYear };

struct Person {
  std::string code;  // 5 digits
  PersonName name;
  int east = 1;          // 1 美浦, 2 栗東
  int birthDay = 0;      // day number
  int licenceDay = 0;
  int apprentice = 0;    // jockeys: 0 none, 1..3
  std::vector<int> rides;  // starter indices, in race order
};

struct Horse {
  std::string reg;        // 10 digits, first 4 = birth year
  std::string name;
  int birthYear = 0;
  int birthDay = 0;
  int sex = 1;            // 1 牡 2 牝 3 セン
  int coat = 1;
  double ability = 0;
  double dirtBias = 0;    // > 0 prefers dirt
  double staying = 0;     // > 0 prefers long races
  int style = 1;          // 0 逃 1 先 2 差 3 追
  bool jumper = false;
  bool veteran = false;
  int trainer = 0;
  int owner = 0;
  std::string ownerCode, ownerName;
  std::string sire, dam, damSire, breeder, breederCode;
  std::array<std::string, 14> ancestors;    // names of the three-generation pedigree
  std::array<std::string, 14> ancestorNos;  // their 10-digit numbers ("  " + 8 digits)
  int flatWins = 0, jumpWins = 0, flatRuns = 0, jumpRuns = 0;
  int lastRunDay = -100000;
  int bodyWeight = 470;
  int busyDay = -1;       // day it is entered on (one race a day)
  std::vector<int> runs;  // starter indices, in race order
};

struct Starter {
  int race = 0;
  int horse = 0;
  int jockey = 0;
  int prevJockey = -1;    // set when a jockey change was announced
  int frame = 0, horseNo = 0;
  int burden = 570;       // tenths of kg
  int prevBurden = 0;
  bool blinker = false;
  int apprentice = 0;
  int abnormality = 0;    // 0 none, 1 取消, 3 除外, 4 中止
  int pos = 0;            // 0 = no finishing position
  bool deadHeat = false;
  int time = 0;           // tenths of seconds
  int diff = 0;           // tenths to the winner (winner: to the second, negative)
  std::array<int, 4> corners{};
  int last3f = 0, last4f = 0;
  int odds = 0;           // final win odds, tenths
  int pop = 0;
  int prize = 0, addPrize = 0;  // hundreds of yen
  int bodyWeight = 0, weightChange = 0;
  bool unweighed = false;  // could not be weighed: its weight fields say 999
  bool firstRun = false;
  double strength = 0;    // pre-race estimate (odds)
  double perf = 0;
};

struct Payout {
  std::string combo;  // horse/bracket numbers, 2 digits each
  long long amount = 0;
  int pop = 0;
};

struct Race {
  int day = 0;
  std::string course;     // 2-character code
  char division = '7';    // results division: '7' central, 'A' local, 'B' overseas
  bool history = false;   // delivered as results only
  int meeting = 1, dayNo = 1, raceNo = 1;
  int weekdayCode = 1;
  int post = 600;         // minutes after midnight
  int prevPost = -1;      // post time before a change notice
  int track = 17, distance = 1600;
  int prevTrack = -1, prevDistance = -1;
  int weather = 1, turfGoing = 1, dirtGoing = 1;
  char grade = ' ';
  int raceType = 14, cond = 5;
  std::string symbol = "000";
  int weightRule = 4;
  int runningNo = 0;
  std::string name, short10, short6, short3;
  std::array<int, 7> prizes{};
  std::array<int, 5> addPrizes{};
  std::vector<int> starters;  // by horse number
  int dropped = -1;           // horse listed in the first entries only
  std::vector<int> laps;      // tenths per 200 m (the first may be 100 m)
  int front3 = 0, front4 = 0, back3 = 0, back4 = 0;
  int registered = 0, started = 0, finished = 0;
  bool video = false;
  // Payouts (HR).
  std::vector<Payout> win, place, bracket, quinella, wide, exacta, trio, trifecta;
  bool obstacle() const { return track >= 51; }
  bool turf() const { return track <= 22 || track >= 51; }
};

struct RaceDate {
  int day = 0;
  std::vector<int> races;  // race indices, course by course, race number order
  int group = 0;           // weekend group (Sat/Sun/holiday Mon share one)
};

struct World {
  Scale scale = Scale::kTest;
  uint64_t seed = 1;
  int today = 0;
  std::vector<Horse> horses;
  std::vector<Person> jockeys, trainers;
  std::vector<Race> races;
  std::vector<Starter> starters;
  std::vector<RaceDate> seasonDates;   // delivered as entries and results
  std::vector<int> historyRaces;       // results only
  std::vector<int> groupStart;         // first day of each weekend group
};

World BuildWorld(uint64_t seed, Scale scale, int today);

// Condition class of a horse for flat races (701, 703, 005, 010, 016, 999).
int FlatClass(const Horse& h);

}  // namespace zelkova::feedgen
