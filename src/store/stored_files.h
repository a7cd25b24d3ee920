// The stored JV-Data files: readers of fixed-length record files and text-line files, the merge
// rules writers apply (keyed upsert, slot files, odds lines), record checks, and the binary
// .CkIm / .Hind files. Every whole-file write goes through WriteFileAtomic.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "store/stored_paths.h"
#include "records/record.h"

namespace zelkova {

// ---- readers ----

// Number of L-byte records of `p`. NotFound when missing; Corruption when the size is not a
// multiple of `len`.
Result<uint64_t> RecordCount(const std::filesystem::path& p, size_t len);
// Record k (0-based) of a file of `len`-byte records, CR LF included. NotFound when the file is
// missing; Corruption when k is beyond the end or the file is truncated.
Result<std::string> ReadRecord(const std::filesystem::path& p, size_t len, uint64_t k);
// Every record of the file, each `len` bytes with its CR LF. NotFound when missing; Corruption
// when the size is not a multiple of `len` or a record does not end with CR LF (nothing is read past).
Result<std::vector<std::string>> ReadRecords(const std::filesystem::path& p, size_t len);
// The same as lines without CR LF (the in-memory form writers edit).
Result<std::vector<std::string>> ReadRecordLines(const std::filesystem::path& p, size_t len);
// Text lines without their line ends (CR LF or LF). NotFound when missing.
Result<std::vector<std::string>> ReadTextLines(const std::filesystem::path& p);

// Saves `lines`, each followed by CR LF, atomically; creates the parent folder when missing.
Status SaveLines(const std::filesystem::path& p, const std::vector<std::string>& lines);

// ---- merge rules ----

// How a keyed file merges a new line. Key positions are 1-based; keyLen 0 = the whole line.
struct MergeRule {
  size_t keyPos = 12;
  size_t keyLen = 16;
  size_t recordLen = 0;        // L with CR LF; 0 = a text-line file (no length check)
  bool sort = true;            // sort the whole list ascending after the change
  bool insertSorted = false;   // a new line: the list is sorted, then the line goes to its place
  bool dropBlankFirst = false; // remove the first line when it is blank after trimming
  bool skipIdentical = false;  // JC: nothing happens when an identical line exists
  size_t key2Pos = 0;          // a second key part (AV: the horse number); 0 = none
  size_t key2Len = 0;
};

// The rules of each stored kind.
MergeRule RuleRA();    // .jvRA: race key, sort, drop blank first line
MergeRule RuleHR();    // .jvHR: race key, sort
MergeRule RuleWH();    // .jvWH: race key, sort, drop blank first line
MergeRule RuleSEI();   // .jvSEI: race key, sort
MergeRule RuleSERA();  // .jvSERA: race key, sort
MergeRule RuleWE();    // .jvWE: bytes 12..34, sort
MergeRule RuleAV();    // .jvAV: race key + horse number, insert sorted, drop blank first line
MergeRule RuleJC();    // .jvJC: whole line, insert sorted unless identical, drop blank first line
MergeRule RuleTC();    // .jvTC: race key, insert sorted, drop blank first line
MergeRule RuleCC();    // .jvCC: as .jvTC

// Merges `line` (no CR LF) into `lines` by `rule`. `sorted` says whether `lines` is already in
// ascending order (lets a sort be an ordered insert); it is true on return when rule.sort.
// Returns whether `lines` changed: false when the record was stored as it is already.
bool MergeLine(std::vector<std::string>& lines, std::string_view line, const MergeRule& rule, bool& sorted);

// Bytes 3..11 := "000000000" (data division and creation date), so a re-sent record replaces
// the earlier one. `rec` must hold at least 11 bytes.
void Normalise(std::string& rec);
// `rec` without a trailing CR LF (or LF).
std::string_view WithoutLineEnd(std::string_view rec);

// Loads `p` (or starts empty), merges `record` (CR LF optional) and saves, unless the merge left
// an existing file's lines as they were. With `onlyExisting` a missing file is left missing
// (real-time writers) and Ok is returned. `changed` tells whether the file was written.
Status UpsertFile(const std::filesystem::path& p, std::string_view record, const MergeRule& rule,
                  bool onlyExisting = false, bool* changed = nullptr);

// ---- entry slot files (.jvSEr) ----

inline constexpr int kSlotLines = 216;
inline constexpr size_t kSlotLineLen = kLenSE - 2;  // 553
// Slot of race 1..12 and horse 1..18, or -1 when the record cannot have one.
int SlotIndex(int race, int horse);
// 216 lines of 553 blanks.
std::vector<std::string> BlankSlotLines();
// Puts `record` into its slot of `p`. A missing file is created blank first unless
// `onlyExisting`. Records without a slot, and a record the slot already holds, change nothing
// (Ok). `changed` tells whether the file was written.
Status StoreSlotRecord(const std::filesystem::path& p, std::string_view record, bool onlyExisting,
                       bool* changed = nullptr);
// The .jvSEr file of an SE record: Data/{date}{course}.jvSEr, course = two-character name.
std::filesystem::path SlotPath(const std::filesystem::path& program_folder, std::string_view se_record);

// ---- odds files (.jvO1 / .jvO2) ----

// Announcement time of an odds record or line: bytes 28..35 (mmddhhnn).
std::string_view OddsAnnouncement(std::string_view rec);
// True iff an odds record or line holds the final odds: data division 4 or 5 (確定), or 3 with
// no announcement time (00000000). Final odds carry no time.
bool IsFinalOdds(std::string_view rec);
// True iff the record may replace the stored line: division not 0/9 and race number not 0; then
// a blank line takes any record, final odds replace interim ones and are replaced only by other
// final odds, and interim odds need an announcement time greater than the stored line's.
bool OddsReplaces(std::string_view stored_line, std::string_view record);
// Replaces line `index` of an existing odds file by `record` when OddsReplaces says so. A missing
// file or an index outside it leaves everything unchanged (Ok; `replaced` false).
Status ReplaceOddsLine(const std::filesystem::path& p, size_t index, std::string_view record, size_t len,
                       bool* replaced = nullptr);
// Files odds lines of one kind and date (each an O1 or O2 record without CR LF) into `odds_path`,
// which keeps one line per line of the date's race file `ra_path`, in its order: a record goes to
// the line of the race with its race key (bytes 12..27) when OddsReplaces allows. A missing odds
// file is created with blank lines; a line of an existing file that stands at another race's
// place moves to its race's line (one without a race in the race file stays, after them). Nothing
// is written unless a line changes. Records whose race is not in the race file are returned in
// `unfiled`, in their order.
Status FileOddsLines(const std::filesystem::path& ra_path, const std::filesystem::path& odds_path, size_t len,
                     const std::vector<std::string>& records, std::vector<std::string>* unfiled,
                     size_t* lines_changed = nullptr);
// Creates the placeholder .jvO1 / .jvO2 files of a date (one blank line per line of the .jvRA)
// when the .jvRA holds more than 6 lines and the odds file is missing.
Status EnsureOddsPlaceholders(const std::filesystem::path& program_folder, std::string_view date);

// ---- record checks ----

// Ok when every key field of `record` is what it must be (date, race key, registration and
// horse number digits; racecourse code two of [0-9A-Z]) and the bytes are CP932;
// otherwise InvalidArgument
// with a text for the error log. `kind` is bytes 1..2.
Status CheckRecordForPaths(std::string_view record);

// ---- binary files ----

inline constexpr size_t kCheckMarkLen = 1944;
// The .CkIm record: 1944 ASCII digits. NotFound when missing; Corruption when short or not digits.
Result<std::string> ReadCheckMarks(const std::filesystem::path& p);
Status WriteCheckMarks(const std::filesystem::path& p, std::string_view marks);
// Reads the file, or creates it with all "0" when missing.
Result<std::string> LoadOrCreateCheckMarks(const std::filesystem::path& p);

inline constexpr size_t kHindCount = 432;
using HindCounts = std::array<int32_t, kHindCount>;
// The .Hind record: 432 little-endian 32-bit integers. Corruption when not 1728 bytes.
Result<HindCounts> ReadHind(const std::filesystem::path& p);
// `rewriteSame` false: a file that already holds these counts is left as it is.
Status WriteHind(const std::filesystem::path& p, const HindCounts& counts, bool rewriteSame = true);

}  // namespace zelkova
