// Arbitrary bytes as a stored record file (and as a record to merge into it). The readers by
// record number must never read past a record or hand out one of the wrong length; a merge into
// a damaged file must fail and leave the file as it was; a merge into a sound file must leave a
// sound file; and the write-back cache must write exactly the bytes of a direct merge.
// Input: FILE [sep RECORD [sep CONTROL]] (sep: see fuzz_support.h); CONTROL: kind, record
// number (4 bytes), flags.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_io.h"
#include "fuzz_support.h"
#include "store/stored_files.h"
#include "store/write_back_cache.h"

using namespace zelkova;

namespace {

struct Kind {
  size_t len;  // 0: a text-line file
  MergeRule (*rule)();
};

const Kind kKinds[] = {
    {kLenRA, RuleRA}, {kLenSE, RuleSEI}, {kLenHR, RuleHR}, {kLenRA, RuleSERA}, {kLenWH, RuleWH},
    {0, RuleWE},      {0, RuleAV},       {0, RuleJC},      {0, RuleTC},
};

std::string Slurp(const std::filesystem::path& p) {
  auto r = ReadFile(p);
  return r.ok() ? *r : std::string("<unreadable>");
}

// A sound file of `len`-byte records: whole records, each ending with CR LF.
bool Sound(const std::string& bytes, size_t len) {
  if (bytes.size() % len != 0) return false;
  for (size_t off = 0; off < bytes.size(); off += len)
    if (bytes[off + len - 2] != '\r' || bytes[off + len - 1] != '\n') return false;
  return true;
}

void CheckReaders(const std::filesystem::path& p, const std::string& bytes, size_t len, uint32_t k) {
  auto count = RecordCount(p, len);
  ZELKOVA_FUZZ_CHECK(count.ok() == (bytes.size() % len == 0));
  if (count.ok()) ZELKOVA_FUZZ_CHECK(*count * len == bytes.size());

  auto rec = ReadRecord(p, len, k);
  ZELKOVA_FUZZ_CHECK(rec.ok() == ((static_cast<uint64_t>(k) + 1) * len <= bytes.size()));
  if (rec.ok()) ZELKOVA_FUZZ_CHECK(*rec == bytes.substr(static_cast<size_t>(k) * len, len));

  auto all = ReadRecords(p, len);
  ZELKOVA_FUZZ_CHECK(all.ok() == Sound(bytes, len));
  if (all.ok()) {
    ZELKOVA_FUZZ_CHECK(all->size() * len == bytes.size());
    for (const auto& r : *all) ZELKOVA_FUZZ_CHECK(r.size() == len);
  }
  auto lines = ReadRecordLines(p, len);
  ZELKOVA_FUZZ_CHECK(lines.ok() == all.ok());
  if (lines.ok())
    for (const auto& l : *lines) ZELKOVA_FUZZ_CHECK(l.size() == len - 2);
}

// `bytes` cut into pieces of len - 2 bytes (the last padded with blanks), each followed by CR LF.
std::string AsRecords(std::string_view bytes, size_t len) {
  std::string out;
  for (size_t at = 0; at < bytes.size(); at += len - 2) {
    std::string rec(bytes.substr(at, len - 2));
    rec.resize(len - 2, ' ');
    out += rec;
    out += "\r\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 200000) return 0;  // a few records of the longest kind are enough
  auto parts = fuzz::SplitParts(data, size, 3);
  fuzz::Bytes control{parts[2]};
  const Kind& kind = kKinds[control.U8() % (sizeof kKinds / sizeof kKinds[0])];
  const uint32_t k = control.U32() % 64;
  const uint8_t flags = control.U8();
  const MergeRule rule = kind.rule();
  // Random bytes are almost never whole records, so a merge would only ever meet a damaged
  // file: with flag bit 0 the first part is cut into records of the kind's length instead
  // (the last one padded with blanks), each ending with CR LF.
  std::string file(parts[0]);
  if ((flags & 1) && kind.len) file = AsRecords(parts[0], kind.len);

  const auto& root = fuzz::ScratchRoot("stored_records");
  const auto direct = root / "direct" / "f.dat";
  const auto cached = root / "cached" / "f.dat";
  const auto slots = root / "slots" / "f.jvSEr";
  for (const auto* p : {&direct, &cached, &slots}) {
    fuzz::ResetDir(p->parent_path());
    ZELKOVA_FUZZ_CHECK(WriteFileAtomic(*p, file).ok());
  }

  // Readers, by record number and whole, for every fixed length.
  for (size_t len : {kLenRA, kLenSE, kLenHR, kLenWH, kLenO1, kLenO2, kLenUM, kLenKS, kLenCH}) CheckReaders(direct, file, len, k);
  (void)ReadTextLines(direct);

  // A record as JV-Link hands it out: the kind's length (text kinds: one line), CR LF at the end.
  std::string line(parts[1].substr(0, kind.len ? kind.len - 2 : 4096));
  if (kind.len) line.resize(kind.len - 2, ' ');
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';

  const bool readable = kind.len ? Sound(file, kind.len) : true;
  Status a = UpsertFile(direct, line + "\r\n", rule);
  ZELKOVA_FUZZ_CHECK(a.ok() == readable);
  const std::string after = Slurp(direct);
  if (!a.ok()) ZELKOVA_FUZZ_CHECK(after == file);
  if (a.ok() && kind.len) {
    ZELKOVA_FUZZ_CHECK(Sound(after, kind.len));
    ZELKOVA_FUZZ_CHECK(after.find(line + "\r\n") != std::string::npos || IsBlank(line));
  }

  StoreCache cache(StoreCache::Mode::kWriteBack);
  Status b = cache.Upsert(cached, line, rule);
  ZELKOVA_FUZZ_CHECK(b.ok() == a.ok());
  ZELKOVA_FUZZ_CHECK(cache.Flush().ok());
  ZELKOVA_FUZZ_CHECK(Slurp(cached) == after);

  // The entry slot file: a damaged one is refused and kept; a sound one stays sound.
  std::string se(parts[1].substr(0, kLenSE - 2));
  se.resize(kLenSE - 2, ' ');
  const int slot = SlotIndex(static_cast<int>(FieldInt(se, 26, 2)), static_cast<int>(FieldInt(se, 29, 2)));
  Status s = StoreSlotRecord(slots, se + "\r\n", false);
  const std::string slotAfter = Slurp(slots);
  if (slot < 0) {
    ZELKOVA_FUZZ_CHECK(s.ok() && slotAfter == file);
  } else {
    ZELKOVA_FUZZ_CHECK(s.ok() == Sound(file, kLenSE));
    if (s.ok()) {
      ZELKOVA_FUZZ_CHECK(Sound(slotAfter, kLenSE) && slotAfter.size() >= kSlotLines * kLenSE);
      ZELKOVA_FUZZ_CHECK(slotAfter.compare(static_cast<size_t>(slot) * kLenSE, kLenSE, se + "\r\n") == 0);
    } else {
      ZELKOVA_FUZZ_CHECK(slotAfter == file);
    }
  }
  return 0;
}
