#include "store/stored_files.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

// Length check shared by every reader of fixed-length files: a size that is not a multiple of
// the record length means a torn or foreign file, and reading on would shift every later record.
Status CheckRecordSize(const std::filesystem::path& p, uint64_t size, size_t len) {
  if (len == 0 || size % len != 0)
    return Status::Corruption(Sj("「") + PathText(p) + Sj("」の長さ（") + std::to_string(size) +
                              Sj("バイト）がレコード長") + std::to_string(len) + Sj("バイトの倍数ではありません"));
  return Status::Ok();
}

std::string_view KeyOf(std::string_view line, const MergeRule& rule) {
  if (rule.keyLen == 0) return line;
  return Field(line, rule.keyPos, rule.keyLen);
}

void InsertOrdered(std::vector<std::string>& lines, std::string line) {
  auto at = std::upper_bound(lines.begin(), lines.end(), line);
  lines.insert(at, std::move(line));
}

}  // namespace

Result<uint64_t> RecordCount(const std::filesystem::path& p, size_t len) {
  if (!FileExists(p)) return FileNotFound(p);
  auto size = FileSize(p);
  if (!size.ok()) return size.status();
  Status s = CheckRecordSize(p, *size, len);
  if (!s.ok()) return s;
  return *size / len;
}

Result<std::string> ReadRecord(const std::filesystem::path& p, size_t len, uint64_t k) {
  if (!FileExists(p)) return FileNotFound(p);
  auto size = FileSize(p);
  if (!size.ok()) return size.status();
  if (len == 0 || (k + 1) * len > *size)
    return Status::Corruption(Sj("「") + PathText(p) + Sj("」に") + std::to_string(k + 1) +
                              Sj("件目のレコードがありません"));
  return ReadAt(p, k * len, len);
}

Result<std::vector<std::string>> ReadRecords(const std::filesystem::path& p, size_t len) {
  if (!FileExists(p)) return FileNotFound(p);
  auto bytes = ReadFile(p);
  if (!bytes.ok()) return bytes.status();
  Status s = CheckRecordSize(p, bytes->size(), len);
  if (!s.ok()) return s;
  std::vector<std::string> out;
  out.reserve(bytes->size() / len);
  for (size_t off = 0; off < bytes->size(); off += len) {
    if ((*bytes)[off + len - 2] != '\r' || (*bytes)[off + len - 1] != '\n')
      return Status::Corruption(Sj("「") + PathText(p) + Sj("」の") + std::to_string(off / len + 1) +
                                Sj("件目のレコードが") + std::to_string(len) + Sj("バイトの1行ではありません"));
    out.emplace_back(bytes->substr(off, len));
  }
  return out;
}

Result<std::vector<std::string>> ReadRecordLines(const std::filesystem::path& p, size_t len) {
  auto recs = ReadRecords(p, len);
  if (!recs.ok()) return recs.status();
  for (auto& r : *recs) r.resize(len - 2);
  return std::move(recs).value();
}

Result<std::vector<std::string>> ReadTextLines(const std::filesystem::path& p) {
  if (!FileExists(p)) return FileNotFound(p);
  auto bytes = ReadFile(p);
  if (!bytes.ok()) return bytes.status();
  return SplitLines(*bytes);
}

Status SaveLines(const std::filesystem::path& p, const std::vector<std::string>& lines) {
  Status s = EnsureDir(p.parent_path());
  if (!s.ok()) return s;
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string bytes;
  bytes.reserve(total);
  for (const auto& l : lines) bytes.append(l).append("\r\n");
  return WriteFileAtomic(p, bytes);
}

MergeRule RuleRA() { return MergeRule{12, 16, kLenRA, true, false, true, false}; }
MergeRule RuleHR() { return MergeRule{12, 16, kLenHR, true, false, false, false}; }
MergeRule RuleWH() { return MergeRule{12, 16, kLenWH, true, false, true, false}; }
MergeRule RuleSEI() { return MergeRule{12, 16, kLenSE, true, false, false, false}; }
MergeRule RuleSERA() { return MergeRule{12, 16, kLenRA, true, false, false, false}; }
MergeRule RuleWE() { return MergeRule{12, 23, 0, true, false, false, false}; }
MergeRule RuleAV() { return MergeRule{12, 16, 0, false, true, true, false, 36, 2}; }
MergeRule RuleJC() { return MergeRule{1, 0, 0, false, true, true, true}; }
MergeRule RuleTC() { return MergeRule{12, 16, 0, false, true, true, false}; }
MergeRule RuleCC() { return RuleTC(); }

namespace {

// Sorts `lines` unless they are in order already; whether anything moved.
bool SortLines(std::vector<std::string>& lines) {
  if (std::is_sorted(lines.begin(), lines.end())) return false;
  std::sort(lines.begin(), lines.end());
  return true;
}

}  // namespace

bool MergeLine(std::vector<std::string>& lines, std::string_view line, const MergeRule& rule, bool& sorted) {
  bool modified = false;
  size_t changed = lines.size();
  bool identical = rule.skipIdentical && std::find(lines.begin(), lines.end(), line) != lines.end();
  if (identical && rule.insertSorted && !sorted) modified = SortLines(lines);
  if (!identical) {
    size_t found = lines.size();
    if (rule.keyLen != 0) {
      std::string_view key = KeyOf(line, rule);
      std::string_view key2 = rule.key2Len ? Field(line, rule.key2Pos, rule.key2Len) : std::string_view{};
      for (size_t i = 0; i < lines.size(); ++i) {
        if (KeyOf(lines[i], rule) == key && (!rule.key2Len || Field(lines[i], rule.key2Pos, rule.key2Len) == key2)) {
          found = i;
          break;
        }
      }
    }
    if (found < lines.size()) {
      if (lines[found] != line) {
        lines[found].assign(line);
        modified = true;
      }
      changed = found;
    } else if (rule.insertSorted) {
      // A sorted insert orders the list first, so a line lands in its place even in a file
      // whose order a replaced line had disturbed.
      if (!sorted) SortLines(lines);
      InsertOrdered(lines, std::string(line));
      modified = true;
    } else {
      lines.emplace_back(line);
      changed = lines.size() - 1;
      modified = true;
    }
  }
  if (rule.sort) {
    if (sorted && changed < lines.size()) {
      // The rest is in order: moving the one changed line gives the list a full sort would.
      std::string moved = std::move(lines[changed]);
      lines.erase(lines.begin() + static_cast<long>(changed));
      InsertOrdered(lines, std::move(moved));
    } else if (!sorted) {
      modified = SortLines(lines) || modified;
    }
    sorted = true;
  } else {
    sorted = false;
  }
  if (rule.dropBlankFirst && !lines.empty() && IsBlank(lines.front())) {
    lines.erase(lines.begin());
    modified = true;
  }
  return modified;
}

void Normalise(std::string& rec) {
  if (rec.size() >= 11) rec.replace(2, 9, "000000000");
}

std::string_view WithoutLineEnd(std::string_view rec) {
  if (rec.size() >= 2 && rec.substr(rec.size() - 2) == "\r\n") return rec.substr(0, rec.size() - 2);
  if (!rec.empty() && rec.back() == '\n') return rec.substr(0, rec.size() - 1);
  return rec;
}

Status UpsertFile(const std::filesystem::path& p, std::string_view record, const MergeRule& rule,
                  bool onlyExisting, bool* changed) {
  if (changed) *changed = false;
  std::vector<std::string> lines;
  const bool existed = FileExists(p);
  if (existed) {
    auto loaded = rule.recordLen ? ReadRecordLines(p, rule.recordLen) : ReadTextLines(p);
    if (!loaded.ok()) return loaded.status();
    lines = std::move(loaded).value();
  } else if (onlyExisting) {
    return Status::Ok();
  }
  bool sorted = false;
  // A record already stored as it is leaves the file untouched.
  if (!MergeLine(lines, WithoutLineEnd(record), rule, sorted) && existed) return Status::Ok();
  Status s = SaveLines(p, lines);
  if (s.ok() && changed) *changed = true;
  return s;
}

int SlotIndex(int race, int horse) {
  // A race number above 12 has no slot: the file holds exactly 12 races of 18 horses.
  if (race < 1 || race > 12 || horse < 1 || horse > 18) return -1;
  return (race - 1) * 18 + (horse - 1);
}

std::vector<std::string> BlankSlotLines() {
  return std::vector<std::string>(kSlotLines, std::string(kSlotLineLen, ' '));
}

Status StoreSlotRecord(const std::filesystem::path& p, std::string_view record, bool onlyExisting, bool* changed) {
  if (changed) *changed = false;
  int slot = SlotIndex(static_cast<int>(FieldInt(record, 26, 2)), static_cast<int>(FieldInt(record, 29, 2)));
  if (slot < 0) return Status::Ok();
  std::vector<std::string> lines;
  if (FileExists(p)) {
    auto loaded = ReadRecordLines(p, kLenSE);
    if (!loaded.ok()) return loaded.status();
    lines = std::move(loaded).value();
  } else if (onlyExisting) {
    return Status::Ok();
  } else {
    lines = BlankSlotLines();
  }
  // A short file (older program, hand edit) grows to the full table instead of losing the record.
  const bool full = lines.size() >= static_cast<size_t>(kSlotLines);
  while (lines.size() < static_cast<size_t>(kSlotLines)) lines.emplace_back(kSlotLineLen, ' ');
  std::string_view line = WithoutLineEnd(record);
  // The same record again leaves the file untouched.
  if (full && lines[static_cast<size_t>(slot)] == line) return Status::Ok();
  lines[static_cast<size_t>(slot)].assign(line);
  Status s = SaveLines(p, lines);
  if (s.ok() && changed) *changed = true;
  return s;
}

std::filesystem::path SlotPath(const std::filesystem::path& program_folder, std::string_view se_record) {
  std::string ext = CourseNameW(Field(se_record, 20, 2), 2);
  ext += ".jvSEr";
  return DataPath(program_folder, DateText(Field(se_record, 12, 8)), ext);
}

std::string_view OddsAnnouncement(std::string_view rec) { return Field(rec, 28, 8); }

bool IsFinalOdds(std::string_view rec) {
  std::string_view division = Field(rec, 3, 1);
  if (division == "4" || division == "5") return true;
  return division == "3" && OddsAnnouncement(rec) == "00000000";
}

bool OddsReplaces(std::string_view stored_line, std::string_view record) {
  std::string_view division = Field(record, 3, 1);
  if (division == "0" || division == "9") return false;
  if (FieldInt(record, 26, 2) == 0) return false;
  // A blank placeholder holds nothing yet: any odds fill it, whatever their time.
  if (IsBlank(stored_line)) return true;
  // Final odds carry no announcement time (00000000), so time alone would never let them in.
  // They rank above every interim announcement; a re-sent or corrected final replaces them.
  if (IsFinalOdds(stored_line)) return IsFinalOdds(record) && WithoutLineEnd(record) != stored_line;
  if (IsFinalOdds(record)) return true;
  return ParseInt(OddsAnnouncement(record), 0) > ParseInt(OddsAnnouncement(stored_line), 0);
}

Status ReplaceOddsLine(const std::filesystem::path& p, size_t index, std::string_view record, size_t len,
                       bool* replaced) {
  if (replaced) *replaced = false;
  if (!FileExists(p)) return Status::Ok();
  auto loaded = ReadRecordLines(p, len);
  if (!loaded.ok()) return loaded.status();
  auto& lines = *loaded;
  if (index >= lines.size()) return Status::Ok();
  std::string_view line = WithoutLineEnd(record);
  if (line.size() != len - 2)
    return Status::InvalidArgument("odds record of " + std::to_string(line.size()) + " bytes");
  if (!OddsReplaces(lines[index], line)) return Status::Ok();
  lines[index].assign(line);
  Status s = SaveLines(p, lines);
  if (s.ok() && replaced) *replaced = true;
  return s;
}

Status FileOddsLines(const std::filesystem::path& ra_path, const std::filesystem::path& odds_path, size_t len,
                     const std::vector<std::string>& records, std::vector<std::string>* unfiled,
                     size_t* lines_changed) {
  if (lines_changed) *lines_changed = 0;
  std::vector<std::string> races;
  if (FileExists(ra_path)) {
    auto ra = ReadRecordLines(ra_path, kLenRA);
    if (!ra.ok()) return ra.status();
    for (const auto& l : *ra) races.emplace_back(Field(l, 12, 16));
  }
  if (races.empty()) {
    if (unfiled) unfiled->insert(unfiled->end(), records.begin(), records.end());
    return Status::Ok();
  }
  auto place = [&](std::string_view line) -> size_t {
    const std::string_view key = Field(line, 12, 16);
    for (size_t i = 0; i < races.size(); ++i)
      if (races[i] == key && !IsBlank(key)) return i;
    return races.size();
  };
  const std::string blank(len - 2, ' ');
  std::vector<std::string> old;
  const bool existed = FileExists(odds_path);
  if (existed) {
    auto loaded = ReadRecordLines(odds_path, len);
    if (!loaded.ok()) return loaded.status();
    old = std::move(*loaded);
  }
  // The file as it should stand: each stored line at its race's place.
  std::vector<std::string> lines(races.size(), blank), strays;
  for (const auto& l : old) {
    if (IsBlank(l)) continue;
    const size_t i = place(l);
    if (i < lines.size() && IsBlank(lines[i])) lines[i] = l;
    else strays.push_back(l);
  }
  size_t changed = 0;
  for (const auto& rec : records) {
    const size_t i = place(rec);
    if (i >= lines.size()) {
      if (unfiled) unfiled->push_back(rec);
      continue;
    }
    if (!OddsReplaces(lines[i], rec)) continue;
    lines[i] = rec;
    ++changed;
  }
  lines.insert(lines.end(), std::make_move_iterator(strays.begin()), std::make_move_iterator(strays.end()));
  if (lines_changed) *lines_changed = changed;
  if (existed ? lines == old : changed == 0) return Status::Ok();
  return SaveLines(odds_path, lines);
}

Status EnsureOddsPlaceholders(const std::filesystem::path& program_folder, std::string_view date) {
  // The race file's own damage is told by its reader; here only its whole records count.
  auto raSize = FileSize(DataPath(program_folder, date, ".jvRA"));
  if (!raSize.ok()) return Status::Ok();
  const size_t lines = static_cast<size_t>(*raSize / kLenRA);
  if (lines <= 6) return Status::Ok();
  const struct {
    const char* ext;
    size_t len;
  } kinds[] = {{".jvO1", kLenO1}, {".jvO2", kLenO2}};
  for (const auto& k : kinds) {
    auto p = DataPath(program_folder, date, k.ext);
    if (FileExists(p)) continue;
    Status s = SaveLines(p, std::vector<std::string>(lines, std::string(k.len - 2, ' ')));
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

namespace {

size_t KindLength(std::string_view kind) {
  if (kind == "RA") return kLenRA;
  if (kind == "SE") return kLenSE;
  if (kind == "HR") return kLenHR;
  if (kind == "WH") return kLenWH;
  if (kind == "O1") return kLenO1;
  if (kind == "O2") return kLenO2;
  if (kind == "UM") return kLenUM;
  if (kind == "KS") return kLenKS;
  if (kind == "CH") return kLenCH;
  return 0;
}

std::string Shown(std::string_view bytes) {
  std::string out;
  for (char c : bytes) out += (c >= 0x20 && c < 0x7f) ? c : '?';
  return out;
}


}  // namespace

Status CheckRecordForPaths(std::string_view record) {
  static const std::string prefix = Sj("レコードを読み飛ばしました：");
  std::string kind(Field(record, 1, 2));
  auto bad = [&](const std::string& why) { return Status::InvalidArgument(prefix + Shown(kind) + " " + why); };
  size_t len = KindLength(kind);
  if (len != 0 && record.size() != len)
    return bad(Sj("長さが") + std::to_string(record.size()) + Sj("バイトです（") + std::to_string(len) +
               Sj("バイトのはず）"));
  if (record.size() < 2 || record.substr(record.size() - 2) != "\r\n") return bad(Sj("行末がCR LFではありません"));
  if (!IsValidCp932(record)) return bad(Sj("Shift-JISでない文字を含みます"));
  if (kind == "RA" || kind == "SE" || kind == "HR" || kind == "WH" || kind == "O1" || kind == "O2") {
    std::string_view date = Field(record, 12, 8);
    if (!IsDateKey(date))
      return bad(Sj("開催年月日が数字ではありません「") + Shown(date) + Sj("」"));
    // Local and overseas racecourses have codes such as "44" or "A6": two digits or capitals,
    // both safe in a file name.
    std::string_view course = Field(record, 20, 2);
    if (!IsCourseCode(course)) return bad(Sj("競馬場コードが正しくありません「") + Shown(course) + Sj("」"));
    if (!IsRaceKey(Field(record, 12, 16)))
      return bad(Sj("レースキーが数字ではありません「") + Shown(Field(record, 12, 16)) + Sj("」"));
  }
  if (kind == "SE") {
    std::string_view reg = Field(record, 31, 10);
    if (!IsRegistrationNumber(reg))
      return bad(Sj("血統登録番号が数字ではありません「") + Shown(reg) + Sj("」"));
    std::string_view horse = Field(record, 29, 2);
    if (!IsHorseNumber(horse)) return bad(Sj("馬番が数字ではありません「") + Shown(horse) + Sj("」"));
  }
  return Status::Ok();
}

Result<std::string> ReadCheckMarks(const std::filesystem::path& p) {
  if (!FileExists(p)) return FileNotFound(p);
  auto size = FileSize(p);
  if (!size.ok()) return size.status();
  if (*size < kCheckMarkLen)
    return Status::Corruption(Sj("「") + PathText(p) + Sj("」が") + std::to_string(*size) +
                              Sj("バイトしかありません（1944バイトのはず）"));
  auto rec = ReadAt(p, 0, kCheckMarkLen);
  if (!rec.ok()) return rec.status();
  for (char c : *rec)
    if (c != '0' && c != '1')
      return Status::Corruption(Sj("「") + PathText(p) + Sj("」に0でも1でもないチェックマークがあります"));
  return rec;
}

Status WriteCheckMarks(const std::filesystem::path& p, std::string_view marks) {
  if (marks.size() != kCheckMarkLen) return Status::InvalidArgument("check marks must be 1944 bytes");
  Status s = EnsureDir(p.parent_path());
  if (!s.ok()) return s;
  return WriteFileAtomic(p, marks);
}

Result<std::string> LoadOrCreateCheckMarks(const std::filesystem::path& p) {
  auto marks = ReadCheckMarks(p);
  if (marks.ok() || !marks.status().isNotFound()) return marks;
  std::string zeros(kCheckMarkLen, '0');
  Status s = WriteCheckMarks(p, zeros);
  if (!s.ok()) return s;
  return zeros;
}

Result<HindCounts> ReadHind(const std::filesystem::path& p) {
  if (!FileExists(p)) return FileNotFound(p);
  auto bytes = ReadFile(p);
  if (!bytes.ok()) return bytes.status();
  if (bytes->size() != kHindCount * 4)
    return Status::Corruption(Sj("「") + PathText(p) + Sj("」が") + std::to_string(bytes->size()) +
                              Sj("バイトです（1728バイトのはず）"));
  HindCounts counts{};
  for (size_t i = 0; i < kHindCount; ++i) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = (v << 8) | static_cast<unsigned char>((*bytes)[i * 4 + static_cast<size_t>(b)]);
    counts[i] = static_cast<int32_t>(v);
  }
  return counts;
}

Status WriteHind(const std::filesystem::path& p, const HindCounts& counts, bool rewriteSame) {
  std::string bytes(kHindCount * 4, '\0');
  for (size_t i = 0; i < kHindCount; ++i) {
    uint32_t v = static_cast<uint32_t>(counts[i]);
    for (int b = 0; b < 4; ++b) bytes[i * 4 + static_cast<size_t>(b)] = static_cast<char>((v >> (8 * b)) & 0xff);
  }
  // Every load of a day writes its counts; loading it again gives the same ones, and a file that
  // already holds them need not be written again (a durable rewrite costs more than the load).
  if (!rewriteSame)
    if (auto size = FileSize(p); size.ok() && *size == bytes.size())
      if (auto old = ReadFile(p); old.ok() && *old == bytes) return Status::Ok();
  Status s = EnsureDir(p.parent_path());
  if (!s.ok()) return s;
  return WriteFileAtomic(p, bytes);
}

}  // namespace zelkova
