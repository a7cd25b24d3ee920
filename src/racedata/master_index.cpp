#include "racedata/master_index.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io.h"
#include "racedata/record.h"

namespace zelkova {

std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen) {
  auto name = Utf8ToCp932(p.filename().string());
  std::string text = name.ok() ? *name : std::string("?");
  text += Sj("：ファイルの長さ ") + std::to_string(size) + Sj(" バイトがレコード長 ") + std::to_string(recLen) +
          Sj(" の倍数ではありません。完全なレコードだけを読みました。");
  return text;
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
    if (!IsBlank(key)) keys_.emplace_back(key, static_cast<uint32_t>(k));
  }
  // Sorting on (key, position) puts the first record of each key first among its equals.
  std::sort(keys_.begin(), keys_.end());
  if (bytes_.size() % recLen != 0) return Status::Corruption(TruncatedFileText(p, bytes_.size(), recLen));
  return Status::Ok();
}

std::string_view MasterIndex::Find(std::string_view key) const {
  if (IsBlank(key) || key.size() != keyLen_) return {};
  auto it = std::lower_bound(keys_.begin(), keys_.end(), key,
                             [](const auto& e, std::string_view k) { return e.first < k; });
  if (it == keys_.end() || it->first != key) return {};
  return std::string_view(bytes_).substr(static_cast<size_t>(it->second) * recLen_, recLen_);
}

}  // namespace zelkova
