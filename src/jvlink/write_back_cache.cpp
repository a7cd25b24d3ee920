#include "jvlink/write_back_cache.h"

#include "base/file_io.h"

namespace zelkova {

Result<StoreCache::Entry*> StoreCache::Load(const std::filesystem::path& p, size_t record_len, bool slot_file) {
  Entry* e = &scratch_;
  if (mode_ == Mode::kWriteBack) {
    auto it = files_.find(p.string());
    if (it != files_.end()) return &it->second;
  }
  Entry loaded;
  if (FileExists(p)) {
    auto lines = record_len ? ReadRecordLines(p, record_len) : ReadTextLines(p);
    if (!lines.ok()) return lines.status();
    loaded.lines = std::move(lines).value();
  } else if (slot_file) {
    loaded.lines = BlankSlotLines();
  }
  if (slot_file)
    while (loaded.lines.size() < static_cast<size_t>(kSlotLines)) loaded.lines.emplace_back(kSlotLineLen, ' ');
  if (mode_ == Mode::kWriteBack) e = &files_.emplace(p.string(), Entry{}).first->second;
  *e = std::move(loaded);
  return e;
}

Status StoreCache::Finish(const std::filesystem::path& p, Entry& e) {
  if (mode_ == Mode::kWriteThrough) return SaveLines(p, e.lines);
  if (!e.dirty) {
    e.dirty = true;
    dirty_.push_back(p.string());
  }
  return Status::Ok();
}

Status StoreCache::Upsert(const std::filesystem::path& p, std::string_view line, const MergeRule& rule) {
  auto e = Load(p, rule.recordLen, false);
  if (!e.ok()) return e.status();
  MergeLine((*e)->lines, line, rule, (*e)->sorted);
  return Finish(p, **e);
}

Status StoreCache::PutSlot(const std::filesystem::path& p, int slot, std::string_view line) {
  if (slot < 0 || slot >= kSlotLines) return Status::InvalidArgument("no slot " + std::to_string(slot));
  auto e = Load(p, kLenSE, true);
  if (!e.ok()) return e.status();
  (*e)->lines[static_cast<size_t>(slot)].assign(line);
  return Finish(p, **e);
}

Status StoreCache::Flush() {
  size_t done = 0;
  Status result;
  for (; done < dirty_.size(); ++done) {
    auto it = files_.find(dirty_[done]);
    if (it == files_.end()) continue;
    Status s = SaveLines(std::filesystem::path(it->first), it->second.lines);
    if (!s.ok()) {
      result = s;
      break;
    }
    it->second.dirty = false;
  }
  dirty_.erase(dirty_.begin(), dirty_.begin() + static_cast<long>(done));
  return result;
}

void StoreCache::Clear() {
  // Pending changes stay: only files already on disk are forgotten.
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->second.dirty)
      ++it;
    else
      it = files_.erase(it);
  }
}

}  // namespace zelkova
