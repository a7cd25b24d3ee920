#include "store/stored_paths.h"

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"

namespace zelkova {

bool IsDateKey(std::string_view s) { return s.size() == 8 && IsAllDigits(s); }

bool IsCourseCode(std::string_view s) {
  if (s.size() != 2) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))) return false;
  return true;
}

bool IsMeetingKey(std::string_view s) { return s.size() == 10 && IsDateKey(s.substr(0, 8)) && IsCourseCode(s.substr(8)); }

bool IsRaceKey(std::string_view s) {
  return s.size() == 16 && IsMeetingKey(s.substr(0, 10)) && IsAllDigits(s.substr(10));
}

bool IsRegistrationNumber(std::string_view s) { return s.size() == 10 && IsAllDigits(s); }

bool IsHorseNumber(std::string_view s) { return s.size() == 2 && IsAllDigits(s); }

StoredFolders ResolveStoredFolders(const std::filesystem::path& program_folder) {
  return {ChildPath(program_folder, "Data"), ChildPath(program_folder, "SEI"), ChildPath(program_folder, "SEIR"),
          ChildPath(program_folder, "Index")};
}

std::filesystem::path DataPath(const StoredFolders& f, std::string_view date, std::string_view extension) {
  std::string name(date);
  name += extension;
  return f.data / FsName(name);
}

std::filesystem::path HorsePath(const StoredFolders& f, std::string_view reg) {
  if (!IsRegistrationNumber(reg)) return {};
  std::string file(reg);
  file += ".jvSEI";
  return f.sei / FsName(reg.substr(0, 4)) / FsName(file);
}

std::filesystem::path MeetingPath(const StoredFolders& f, std::string_view key10) {
  if (!IsMeetingKey(key10)) return {};
  std::string file(key10);
  file += ".jvSERA";
  return f.seir / FsName(key10.substr(0, 4)) / FsName(file);
}

std::filesystem::path MasterIndexPath(const StoredFolders& f, std::string_view date, std::string_view extension) {
  std::string name(date);
  name += extension;
  name += ".idx";
  return f.index / FsName(name);
}

std::filesystem::path MasterIndexPath(const std::filesystem::path& program_folder, std::string_view date,
                                      std::string_view extension) {
  return MasterIndexPath(StoredFolders{{}, {}, {}, ChildPath(program_folder, "Index")}, date, extension);
}

std::filesystem::path DataPath(const std::filesystem::path& program_folder, std::string_view date,
                               std::string_view extension) {
  return DataPath(StoredFolders{ChildPath(program_folder, "Data"), {}, {}, {}}, date, extension);
}

std::filesystem::path HorsePath(const std::filesystem::path& program_folder, std::string_view reg) {
  return HorsePath(StoredFolders{{}, ChildPath(program_folder, "SEI"), {}, {}}, reg);
}

std::filesystem::path MeetingPath(const std::filesystem::path& program_folder, std::string_view key10) {
  return MeetingPath(StoredFolders{{}, {}, ChildPath(program_folder, "SEIR"), {}}, key10);
}

std::string DateText(std::string_view yyyymmdd) {
  static const std::string nen = Sj("年"), tsuki = Sj("月"), hi = Sj("日");
  std::string out;
  out.reserve(14);
  out.append(yyyymmdd.substr(0, 4)).append(nen).append(yyyymmdd.substr(4, 2)).append(tsuki);
  out.append(yyyymmdd.substr(6, 2)).append(hi);
  return out;
}

}  // namespace zelkova
