#include "store/write_back_cache.h"

#include <functional>
#include <string_view>

#include "base/file_io.h"

namespace zelkova {

namespace {

// A digest of a file's lines, to tell cheaply that a flush would write what is there already
// (confirmed byte for byte before anything is skipped).
size_t LinesHash(const std::vector<std::string>& lines) {
  size_t h = lines.size();
  for (const auto& l : lines) h = h * 1000003u ^ std::hash<std::string_view>{}(l);
  return h;
}

}  // namespace

Result<StoreCache::Entry*> StoreCache::Load(const std::filesystem::path& p, size_t record_len, bool slot_file) {
  Entry* e = &scratch_;
  if (mode_ == Mode::kWriteBack) {
    auto it = files_.find(p.native());
    if (it != files_.end()) return &it->second;
  }
  Entry loaded;
  if (FileExists(p)) {
    auto lines = record_len ? ReadRecordLines(p, record_len) : ReadTextLines(p);
    if (!lines.ok()) return lines.status();
    loaded.lines = std::move(lines).value();
    if (mode_ == Mode::kWriteBack) loaded.stored = LinesHash(loaded.lines);
  } else if (slot_file) {
    loaded.lines = BlankSlotLines();
    loaded.padded = true;
  }
  if (slot_file && loaded.lines.size() < static_cast<size_t>(kSlotLines)) {
    loaded.padded = true;
    while (loaded.lines.size() < static_cast<size_t>(kSlotLines)) loaded.lines.emplace_back(kSlotLineLen, ' ');
  }
  if (mode_ == Mode::kWriteBack) {
    e = &files_.emplace(p.native(), Entry{}).first->second;
    for (const auto& l : loaded.lines) heldBytes_ += l.size() + 2;
  }
  *e = std::move(loaded);
  return e;
}

Status StoreCache::Finish(const std::filesystem::path& p, Entry& e) {
  if (mode_ == Mode::kWriteThrough) {
    Status s = SaveLines(p, e.lines);
    if (s.ok()) {
      ++linesSaved_;
      written_.insert(p.native());
    }
    return s;
  }
  ++e.unsaved;
  if (!e.dirty) {
    e.dirty = true;
    dirty_.push_back(p.native());
  }
  return Status::Ok();
}

Status StoreCache::Upsert(const std::filesystem::path& p, std::string_view line, const MergeRule& rule) {
  auto e = Load(p, rule.recordLen, false);
  if (!e.ok()) return e.status();
  const size_t before = (*e)->lines.size();
  // A record stored as it is already leaves its file as it is, as a direct merge does.
  if (!MergeLine((*e)->lines, line, rule, (*e)->sorted)) return Status::Ok();
  if (mode_ == Mode::kWriteBack) heldBytes_ += ((*e)->lines.size() - before) * (line.size() + 2);
  return Finish(p, **e);
}

Status StoreCache::PutSlot(const std::filesystem::path& p, int slot, std::string_view line) {
  if (slot < 0 || slot >= kSlotLines) return Status::InvalidArgument("no slot " + std::to_string(slot));
  auto e = Load(p, kLenSE, true);
  if (!e.ok()) return e.status();
  // An entry stored as it is already leaves its file as it is, as a keyed merge does.
  std::string& stored = (*e)->lines[static_cast<size_t>(slot)];
  if (stored == line && !(*e)->padded) return Status::Ok();
  stored.assign(line);
  (*e)->padded = false;
  return Finish(p, **e);
}

Status StoreCache::Flush() {
  // All changed files are written beside their targets first and replace them together, so the
  // disk is flushed once per Flush() rather than once per file.
  AtomicWriteBatch batch;
  std::vector<std::pair<const Key*, Entry*>> staged;
  for (const auto& key : dirty_) {
    auto it = files_.find(key);
    if (it == files_.end()) continue;
    const std::filesystem::path p(key);
    Entry& e = it->second;
    std::string bytes = JoinLinesCrLf(e.lines);
    const size_t hash = LinesHash(e.lines);
    if (e.stored == hash) {
      // Changed and changed back (a record of the run replaced by a later one that restores it).
      if (auto disk = ReadFile(p); disk.ok() && *disk == bytes) {
        e.dirty = false;
        e.unsaved = 0;
        continue;
      }
    }
    Status s = EnsureDir(p.parent_path());
    if (s.ok()) s = batch.Stage(p, bytes);
    if (!s.ok()) return s;  // nothing replaced yet; everything stays pending
    e.stored = hash;  // used once the file is replaced
    staged.push_back({&it->first, &e});
  }
  Status result = batch.Commit();
  for (size_t i = 0; i < batch.committed(); ++i) {
    Entry& e = *staged[i].second;
    e.dirty = false;
    linesSaved_ += e.unsaved;
    e.unsaved = 0;
    written_.insert(*staged[i].first);
  }
  // Whatever was not replaced stays pending, in its order, for the next Flush().
  std::vector<Key> still;
  for (const auto& key : dirty_) {
    auto it = files_.find(key);
    if (it != files_.end() && it->second.dirty) still.push_back(key);
  }
  dirty_ = std::move(still);
  return result;
}

void StoreCache::Clear() {
  // Pending changes stay: only files already on disk are forgotten.
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->second.dirty) {
      ++it;
      continue;
    }
    for (const auto& l : it->second.lines) heldBytes_ -= l.size() + 2;
    it = files_.erase(it);
  }
}

}  // namespace zelkova
