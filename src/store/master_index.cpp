#include "store/master_index.h"

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "base/fixed_fields.h"

namespace zelkova {

namespace {

// About a megabyte of whole records per read while the keys are collected.
constexpr size_t kScanBytes = size_t{1} << 20;

// An index file: the magic, the records' shape (record length, key position and length), the
// number of entries and of the master's records, the master's stamp, the entries, and a checksum
// of everything before it. Numbers are little-endian whatever the machine.
constexpr char kMagic[8] = {'Z', 'K', 'M', 'I', 'D', 'X', '0', '1'};
constexpr size_t kHeaderLen = 64;

void PutU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}
void PutU64(char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<char>(v >> (8 * i));
}
uint32_t GetU32(const char* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return v;
}
uint64_t GetU64(const char* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return v;
}

// Catches a torn or altered file, eight bytes a step (FNV-1a over words).
uint64_t Checksum(std::string_view b) {
  uint64_t h = 0xCBF29CE484222325ULL;
  size_t i = 0;
  for (; i + 8 <= b.size(); i += 8) h = (h ^ GetU64(b.data() + i)) * 0x100000001B3ULL;
  for (; i < b.size(); ++i) h = (h ^ static_cast<unsigned char>(b[i])) * 0x100000001B3ULL;
  h ^= h >> 31;
  return h;
}

}  // namespace

size_t MasterIndex::Home(const Key& key) const {
  uint64_t a = 0, b = 0;
  std::memcpy(&a, key.data(), 8);
  std::memcpy(&b, key.data() + 8, 8);
  uint64_t h = a * 0x9E3779B97F4A7C15ULL ^ b * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  h ^= h >> 32;
  return static_cast<size_t>(h) & (slots_.size() - 1);
}

std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen) {
  return Sj("「") + PathText(p.filename()) + Sj("」の長さ（") + std::to_string(size) + Sj("バイト）がレコード長") +
         std::to_string(recLen) + Sj("バイトの倍数ではありません。完全なレコードだけを読みました。");
}

void MasterIndex::Clear() {
  file_.Close();
  table_.clear();
  entries_ = 0;
  indexed_ = FileStamp();
  count_ = 0;
}

Status MasterIndex::Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen,
                         const std::filesystem::path& indexFile, bool writeIndex) {
  keysRead_ = false;
  indexUsed_ = false;
  problem_ = IndexProblem::None;
  indexWrite_ = Status::Ok();
  if (recLen == 0 || keyLen == 0 || keyLen > kMaxKeyLen || keyPos + keyLen - 1 > recLen) {
    Clear();
    return Status::InvalidArgument("no such key in records of " + std::to_string(recLen) + " bytes");
  }
  const bool sameShape = recLen == recLen_ && keyPos == keyPos_ && keyLen == keyLen_;
  recLen_ = recLen;
  keyPos_ = keyPos;
  keyLen_ = keyLen;
  if (Status s = file_.Open(p); !s.ok()) {
    Clear();
    return s.isNotFound() ? Status::NotFound("no master file") : s;
  }
  const uint64_t size = file_.size();
  if (size / recLen >= UINT32_MAX) {
    Clear();
    return Status::Corruption(TruncatedFileText(p, size, recLen));
  }
  const bool kept = sameShape && indexed_ != FileStamp() && file_.stamp() == indexed_;
  if (!kept) {
    problem_ = indexFile.empty() ? IndexProblem::None : ReadIndexFile(indexFile);
    if (indexFile.empty() || problem_ != IndexProblem::None) {
      if (Status s = ReadKeys(); !s.ok()) {
        Clear();
        return s;
      }
      if (!indexFile.empty() && writeIndex) {
        indexWrite_ = EnsureDir(indexFile.parent_path());
        if (indexWrite_.ok()) indexWrite_ = WriteFileAtomic(indexFile, FileBytes(indexed_));
      }
    }
  }
  if (size % recLen != 0) return Status::Corruption(TruncatedFileText(p, size, recLen));
  return Status::Ok();
}

void MasterIndex::StartSlots(size_t records) {
  size_t slots = 16;
  while (slots < 2 * records) slots <<= 1;
  slots_.assign(slots, Slot{});
}

void MasterIndex::AddRecord(std::string_view rec, uint32_t record) {
  std::string_view key = Field(rec, keyPos_, keyLen_);
  if (IsBlank(key)) return;
  Slot e{};
  std::copy(key.begin(), key.end(), e.key.begin());
  std::string_view made = Field(rec, 4, 8);
  std::copy(made.begin(), made.end(), e.made.begin());
  e.record = record;
  // The first version found in the file may be weeks older than the race: its career counts
  // would miss the latest runs. A later version replaces the one kept only when it was made
  // later, so that the first of the newest stays.
  const size_t mask = slots_.size() - 1;
  for (size_t at = Home(e.key);; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.record == 0) {
      slot = e;
      return;
    }
    if (slot.key == e.key) {
      if (e.made > slot.made) slot = e;
      return;
    }
  }
}

void MasterIndex::FinishSlots() {
  std::vector<const Slot*> used;
  for (const Slot& s : slots_)
    if (s.record != 0) used.push_back(&s);
  // In the byte order Lookup searches and an index file is checked in (memcmp: bytes unsigned;
  // std::array's < would compare signed chars and misplace keys with bytes above 0x7F).
  std::sort(used.begin(), used.end(),
            [](const Slot* a, const Slot* b) { return std::memcmp(a->key.data(), b->key.data(), kMaxKeyLen) < 0; });
  entries_ = used.size();
  table_.assign(entries_ * entryLen(), '\0');
  char* out = table_.data();
  for (const Slot* s : used) {
    std::memcpy(out, s->key.data(), keyLen_);
    PutU32(out + keyLen_, s->record);
    out += entryLen();
  }
  // The slots are only a means of building the table: their memory is not kept between loads.
  std::vector<Slot>().swap(slots_);
}

void MasterIndex::Build(const std::vector<std::string>& lines, size_t recLen, size_t keyPos, size_t keyLen) {
  Clear();
  recLen_ = recLen;
  keyPos_ = keyPos;
  keyLen_ = std::min(keyLen, kMaxKeyLen);
  count_ = lines.size();
  StartSlots(count_);
  for (size_t k = 0; k < lines.size(); ++k) AddRecord(lines[k], static_cast<uint32_t>(k + 1));
  FinishSlots();
}

Status MasterIndex::ReadKeys() {
  keysRead_ = true;
  indexed_ = file_.stamp();
  count_ = static_cast<size_t>(file_.size() / recLen_);
  StartSlots(count_);
  const size_t perRead = std::max<size_t>(1, kScanBytes / recLen_);
  for (size_t k = 0; k < count_;) {
    const size_t n = std::min(perRead, count_ - k);
    buffer_.resize(n * recLen_);
    size_t got = 0;
    Status s = file_.ReadAt(static_cast<uint64_t>(k) * recLen_, buffer_.data(), buffer_.size(), got);
    if (s.ok() && got < buffer_.size()) s = FileFailure(file_.path(), "を読めません", Sj("読んでいる間に短くなりました"));
    if (!s.ok()) return s;
    for (size_t i = 0; i < n; ++i, ++k)
      AddRecord(std::string_view(buffer_).substr(i * recLen_, recLen_), static_cast<uint32_t>(k + 1));
  }
  FinishSlots();
  // A megabyte of records is not worth keeping for the single records Find reads.
  std::string().swap(buffer_);
  return Status::Ok();
}

std::string MasterIndex::FileBytes(const FileStamp& stamp) const {
  std::string out(kHeaderLen, '\0');
  std::memcpy(out.data(), kMagic, 8);
  PutU32(&out[8], static_cast<uint32_t>(recLen_));
  PutU32(&out[12], static_cast<uint32_t>(keyPos_));
  PutU32(&out[16], static_cast<uint32_t>(keyLen_));
  PutU32(&out[20], static_cast<uint32_t>(entries_));
  PutU64(&out[24], count_);
  PutU64(&out[32], stamp.volume);
  PutU64(&out[40], stamp.file);
  PutU64(&out[48], stamp.size);
  PutU64(&out[56], static_cast<uint64_t>(stamp.written));
  out += table_;
  const uint64_t sum = Checksum(out);
  out.resize(out.size() + 8);
  PutU64(&out[out.size() - 8], sum);
  return out;
}

MasterIndex::IndexProblem MasterIndex::ReadIndexFile(const std::filesystem::path& indexFile) {
  auto bytes = ReadFile(indexFile);
  if (!bytes.ok()) return bytes.status().isNotFound() ? IndexProblem::Missing : IndexProblem::Damaged;
  const std::string& b = *bytes;
  if (b.size() < kHeaderLen + 8 || std::memcmp(b.data(), kMagic, 8) != 0) return IndexProblem::Damaged;
  if (GetU64(&b[b.size() - 8]) != Checksum(std::string_view(b).substr(0, b.size() - 8))) return IndexProblem::Damaged;
  const size_t entries = GetU32(&b[20]);
  if (GetU32(&b[8]) != recLen_ || GetU32(&b[12]) != keyPos_ || GetU32(&b[16]) != keyLen_ ||
      b.size() != kHeaderLen + entries * entryLen() + 8)
    return IndexProblem::Damaged;
  const FileStamp stamp{GetU64(&b[32]), GetU64(&b[40]), GetU64(&b[48]), static_cast<int64_t>(GetU64(&b[56]))};
  const uint64_t records = GetU64(&b[24]);
  if (stamp != file_.stamp() || records != file_.size() / recLen_) return IndexProblem::Stale;
  // Whole and made for this file: still, nothing in it may point outside the file or break the
  // order the search relies on.
  std::string_view table = std::string_view(b).substr(kHeaderLen, entries * entryLen());
  for (size_t i = 0; i < entries; ++i) {
    std::string_view e = table.substr(i * entryLen(), entryLen());
    const uint32_t record = GetU32(e.data() + keyLen_);
    if (record == 0 || record > records) return IndexProblem::Damaged;
    if (i > 0 && table.substr((i - 1) * entryLen(), keyLen_) >= e.substr(0, keyLen_)) return IndexProblem::Damaged;
  }
  table_.assign(table);
  entries_ = entries;
  count_ = static_cast<size_t>(records);
  indexed_ = file_.stamp();
  indexUsed_ = true;
  return IndexProblem::None;
}

uint32_t MasterIndex::Lookup(std::string_view key) const {
  size_t lo = 0, hi = entries_;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = std::memcmp(table_.data() + mid * entryLen(), key.data(), keyLen_);
    if (c == 0) return GetU32(table_.data() + mid * entryLen() + keyLen_);
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return 0;
}

Result<std::string_view> MasterIndex::Find(std::string_view key) {
  if (IsBlank(key) || key.size() != keyLen_ || !file_.isOpen() || entries_ == 0) return std::string_view();
  for (int attempt = 0;; ++attempt) {
    const uint32_t found = Lookup(key);
    if (found == 0) return std::string_view();
    buffer_.resize(recLen_);
    size_t got = 0;
    Status s = file_.ReadAt(static_cast<uint64_t>(found - 1) * recLen_, buffer_.data(), recLen_, got);
    if (s.ok() && got < recLen_) s = FileFailure(file_.path(), "を読めません", Sj("読んでいる間に短くなりました"));
    if (!s.ok()) return s;
    if (Field(buffer_, keyPos_, keyLen_) == key) return std::string_view(buffer_);
    if (attempt > 0) return FileFailure(file_.path(), "を読めません", Sj("読んでいる間に書き換えられました"));
    if (Status r = ReadKeys(); !r.ok()) {
      Clear();
      return r;
    }
  }
}

}  // namespace zelkova
