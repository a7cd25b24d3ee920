#include "store/master_index.h"

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "base/fixed_fields.h"

namespace zelkova {

namespace {

// About a megabyte of whole records per read while the keys are collected.
constexpr size_t kScanBytes = size_t{1} << 20;

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
  slots_.clear();
  indexed_ = FileStamp();
  count_ = 0;
}

Status MasterIndex::Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen) {
  keysRead_ = false;
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
  if (!(sameShape && !slots_.empty() && file_.stamp() == indexed_)) {
    if (Status s = ReadKeys(); !s.ok()) {
      Clear();
      return s;
    }
  }
  if (size % recLen != 0) return Status::Corruption(TruncatedFileText(p, size, recLen));
  return Status::Ok();
}

Status MasterIndex::ReadKeys() {
  keysRead_ = true;
  indexed_ = file_.stamp();
  count_ = static_cast<size_t>(file_.size() / recLen_);
  size_t slots = 16;
  while (slots < 2 * count_) slots <<= 1;
  slots_.assign(slots, Slot{});
  const size_t mask = slots - 1;
  const size_t perRead = std::max<size_t>(1, kScanBytes / recLen_);
  for (size_t k = 0; k < count_;) {
    const size_t n = std::min(perRead, count_ - k);
    buffer_.resize(n * recLen_);
    size_t got = 0;
    Status s = file_.ReadAt(static_cast<uint64_t>(k) * recLen_, buffer_.data(), buffer_.size(), got);
    if (s.ok() && got < buffer_.size()) s = FileFailure(file_.path(), "を読めません", Sj("読んでいる間に短くなりました"));
    if (!s.ok()) return s;
    for (size_t i = 0; i < n; ++i, ++k) {
      std::string_view rec = std::string_view(buffer_).substr(i * recLen_, recLen_);
      std::string_view key = Field(rec, keyPos_, keyLen_);
      if (IsBlank(key)) continue;
      Slot e{};
      std::copy(key.begin(), key.end(), e.key.begin());
      std::string_view made = Field(rec, 4, 8);
      std::copy(made.begin(), made.end(), e.made.begin());
      e.record = static_cast<uint32_t>(k + 1);
      // The first version found in the file may be weeks older than the race: its career counts
      // would miss the latest runs. A later version replaces the one kept only when it was made
      // later, so that the first of the newest stays.
      for (size_t at = Home(e.key);; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.record == 0) {
          slot = e;
          break;
        }
        if (slot.key == e.key) {
          if (e.made > slot.made) slot = e;
          break;
        }
      }
    }
  }
  return Status::Ok();
}

const MasterIndex::Slot* MasterIndex::Lookup(const Key& key) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = Home(key);; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.record == 0) return nullptr;
    if (slot.key == key) return &slot;
  }
}

Result<std::string_view> MasterIndex::Find(std::string_view key) {
  if (IsBlank(key) || key.size() != keyLen_ || !file_.isOpen() || slots_.empty()) return std::string_view();
  Key want{};
  std::copy(key.begin(), key.end(), want.begin());
  for (int attempt = 0;; ++attempt) {
    const Slot* found = Lookup(want);
    if (found == nullptr) return std::string_view();
    buffer_.resize(recLen_);
    size_t got = 0;
    Status s = file_.ReadAt(static_cast<uint64_t>(found->record - 1) * recLen_, buffer_.data(), recLen_, got);
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
