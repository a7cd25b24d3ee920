// JV-Data record images built from the simulated world, each exactly its kind's length with
// CR LF. `made` is the creation day written at bytes 4..11; `division` the data division.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rng.h"
#include "world.h"

namespace zelkova::feedgen {

// What an RA or SE record shows: the first entries (no numbers yet), the final entries, or results.
enum class Stage { kEntries, kFinalEntries, kResults };

std::string RaceKey(const Race& rc);  // 16 digits
std::string RaRecord(const World& w, const Race& rc, char division, int made, Stage stage);
std::string SeRecord(const World& w, const Race& rc, const Starter& s, char division, int made, Stage stage);
// An SE image of a horse listed in the first entries but missing from the final ones.
std::string SeListedOnly(const World& w, const Race& rc, int horse, char division, int made);
std::string HrRecord(const Race& rc, char division, int made);
// The win odds of a snapshot (tenths per horse slot, 0 for a non-starter): each runner's final
// odds moved by up to `drift`; 0 gives the final odds.
std::vector<int> SnapshotWinOdds(const World& w, const Race& rc, double drift, Rng& rng);
// Odds records announced at (day, minutes), every bet type from the same win odds (PoolOdds).
// Division '4' makes them the final odds, which carry no announcement time (00000000).
std::string O1Record(const World& w, const Race& rc, char division, int day, int minutes, const std::vector<int>& odds,
                     Rng& rng);
std::string O2Record(const World& w, const Race& rc, char division, int day, int minutes, const std::vector<int>& odds,
                     Rng& rng);
// A runner's place odds (tenths) as O1 shows them, and the bracket of each horse slot.
struct PlaceRange {
  int low = 0, high = 0;
};
class PoolOdds;
PlaceRange PlaceOdds(const PoolOdds& pool, int a, int places);
std::vector<int> FramesOf(const World& w, const Race& rc);
std::string WhRecord(const World& w, const Race& rc, int day, int minutes);
// Masters with counts of the results before `made`.
std::string UmRecord(const World& w, const Horse& h, int made);
std::string KsRecord(const World& w, const Person& j, int made);
std::string ChRecord(const World& w, const Person& t, int made);
// A legacy 1577-byte horse master image (ancestor numbers of 8 bytes; see LegacyFromUm).
std::string LegacyUmRecord(const World& w, const Horse& h, int made);
// Change notices.
std::string WeRecord(const Race& rc, int announceMinutes, int changeId, int weather, int turf, int dirt,
                     int prevWeather, int prevTurf, int prevDirt);
std::string AvRecord(const World& w, const Race& rc, const Starter& s, int announceMinutes);
std::string JcRecord(const World& w, const Race& rc, const Starter& s, int announceMinutes);
std::string TcRecord(const Race& rc, int announceMinutes);
std::string CcRecord(const Race& rc, int announceMinutes);

inline constexpr size_t kLenWE = 42, kLenAV = 78, kLenJC = 161, kLenTC = 45, kLenCC = 50;

// Length (CR LF included) of a record of `kind`; 0 for a kind this generator does not write.
size_t RecordLength(std::string_view kind);

}  // namespace zelkova::feedgen
