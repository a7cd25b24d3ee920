#include "store/master_index.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io.h"
#include "records/record.h"

namespace zelkova {

std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen) {
  return Sj("「") + PathText(p.filename()) + Sj("」の長さ（") + std::to_string(size) + Sj("バイト）がレコード長") +
         std::to_string(recLen) + Sj("バイトの倍数ではありません。完全なレコードだけを読みました。");
}

void MasterIndex::Clear() {
  bytes_.clear();
  keys_.clear();
  count_ = 0;
}

Status MasterIndex::Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen) {
  Clear();
  recLen_ = recLen;
  keyPos_ = keyPos;
  keyLen_ = keyLen;
  if (!FileExists(p)) return Status::NotFound("no master file");
  auto data = ReadFile(p);
  if (!data.ok()) return data.status();
  bytes_ = std::move(*data);
  count_ = bytes_.size() / recLen;
  std::string_view all(bytes_);
  keys_.reserve(count_);
  for (size_t k = 0; k < count_; ++k) {
    std::string_view key = Field(all.substr(k * recLen, recLen), keyPos, keyLen);
    if (!IsBlank(key)) keys_.push_back({key, Field(all.substr(k * recLen, recLen), 4, 8), static_cast<uint32_t>(k)});
  }
  // The first version found in the file may be weeks older than the race: its career counts
  // would miss the latest runs. The newest version goes first among its equals.
  std::sort(keys_.begin(), keys_.end(), [](const Entry& a, const Entry& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.made != b.made) return a.made > b.made;
    return a.pos < b.pos;
  });
  if (bytes_.size() % recLen != 0) return Status::Corruption(TruncatedFileText(p, bytes_.size(), recLen));
  return Status::Ok();
}

std::string_view MasterIndex::Find(std::string_view key) const {
  if (IsBlank(key) || key.size() != keyLen_) return {};
  auto it = std::lower_bound(keys_.begin(), keys_.end(), key,
                             [](const Entry& e, std::string_view k) { return e.key < k; });
  if (it == keys_.end() || it->key != key) return {};
  return std::string_view(bytes_).substr(static_cast<size_t>(it->pos) * recLen_, recLen_);
}

}  // namespace zelkova
