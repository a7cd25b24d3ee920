#include "store/master_index.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/fixed_fields.h"

namespace zelkova {

namespace {

// About a megabyte of whole records per read while the keys are collected.
constexpr size_t kScanBytes = size_t{1} << 20;

}  // namespace

std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen) {
  return Sj("「") + PathText(p.filename()) + Sj("」の長さ（") + std::to_string(size) + Sj("バイト）がレコード長") +
         std::to_string(recLen) + Sj("バイトの倍数ではありません。完全なレコードだけを読みました。");
}

void MasterIndex::Clear() {
  file_.Close();
  keys_.clear();
  count_ = 0;
}

Status MasterIndex::Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen) {
  Clear();
  recLen_ = recLen;
  keyPos_ = keyPos;
  keyLen_ = keyLen;
  if (recLen == 0 || keyLen == 0 || keyLen > kMaxKeyLen || keyPos + keyLen - 1 > recLen)
    return Status::InvalidArgument("no such key in records of " + std::to_string(recLen) + " bytes");
  if (Status s = file_.Open(p); !s.ok()) return s.isNotFound() ? Status::NotFound("no master file") : s;
  const uint64_t size = file_.size();
  if (size / recLen > UINT32_MAX) {
    file_.Close();
    return Status::Corruption(TruncatedFileText(p, size, recLen));
  }
  count_ = static_cast<size_t>(size / recLen);
  keys_.reserve(count_);
  const size_t perRead = std::max<size_t>(1, kScanBytes / recLen);
  for (size_t k = 0; k < count_;) {
    const size_t n = std::min(perRead, count_ - k);
    buffer_.resize(n * recLen);
    size_t got = 0;
    Status s = file_.ReadAt(static_cast<uint64_t>(k) * recLen, buffer_.data(), buffer_.size(), got);
    if (s.ok() && got < buffer_.size()) s = FileFailure(p, "を読めません", Sj("読んでいる間に短くなりました"));
    if (!s.ok()) {
      Clear();
      return s;
    }
    for (size_t i = 0; i < n; ++i, ++k) {
      std::string_view rec = std::string_view(buffer_).substr(i * recLen, recLen);
      std::string_view key = Field(rec, keyPos, keyLen);
      if (IsBlank(key)) continue;
      Entry e{};
      std::copy(key.begin(), key.end(), e.key.begin());
      std::string_view made = Field(rec, 4, 8);
      std::fill(e.made.begin(), e.made.end(), '\0');
      std::copy(made.begin(), made.end(), e.made.begin());
      e.pos = static_cast<uint32_t>(k);
      keys_.push_back(e);
    }
  }
  // The first version found in the file may be weeks older than the race: its career counts
  // would miss the latest runs. The newest version goes first among its equals.
  std::sort(keys_.begin(), keys_.end(), [](const Entry& a, const Entry& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.made != b.made) return a.made > b.made;
    return a.pos < b.pos;
  });
  buffer_.resize(recLen);
  buffer_.shrink_to_fit();
  if (size % recLen != 0) return Status::Corruption(TruncatedFileText(p, size, recLen));
  return Status::Ok();
}

Result<std::string_view> MasterIndex::Find(std::string_view key) {
  if (IsBlank(key) || key.size() != keyLen_ || !file_.isOpen()) return std::string_view();
  std::array<char, kMaxKeyLen> want{};
  std::copy(key.begin(), key.end(), want.begin());
  auto it = std::lower_bound(keys_.begin(), keys_.end(), want,
                             [](const Entry& e, const std::array<char, kMaxKeyLen>& k) { return e.key < k; });
  if (it == keys_.end() || it->key != want) return std::string_view();
  buffer_.resize(recLen_);
  size_t got = 0;
  Status s = file_.ReadAt(static_cast<uint64_t>(it->pos) * recLen_, buffer_.data(), recLen_, got);
  if (s.ok() && got < recLen_) s = FileFailure(file_.path(), "を読めません", Sj("読んでいる間に短くなりました"));
  if (!s.ok()) return s;
  return std::string_view(buffer_);
}

}  // namespace zelkova
