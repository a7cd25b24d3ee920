// Paths of the stored files. Names are CP932 bytes (dates like 2024年05月12日); the helpers
// build file-system paths from them. The key fields taken from record bytes (the parts of a path
// and the slot of an entry) are checked by the validators below, the same ones for every writer
// and reader, so that whatever the download can
// file the load can find, and no record can name a path outside the program folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelkova {

// A race date as the records hold it: yyyymmdd, eight digits.
bool IsDateKey(std::string_view s);
// A racecourse code: two digits for JRA and local courses ("05", "44"), or digits and capitals for
// overseas ones ("A4", "K6").
bool IsCourseCode(std::string_view s);
// A meeting key, the name of a SEIR file: date key + racecourse code (10 bytes).
bool IsMeetingKey(std::string_view s);
// A race key (16 bytes): meeting key + meeting number, day and race number (six digits).
bool IsRaceKey(std::string_view s);
// A pedigree registration number, the name of a SEI file: ten digits.
bool IsRegistrationNumber(std::string_view s);
// A horse number, the slot of an entry in its race: two digits ("00" and "19" are numbers too;
// they only have no slot).
bool IsHorseNumber(std::string_view s);

// ProgramFolder/Data/{date}{extension}; `date` is the 14-byte date text.
std::filesystem::path DataPath(const std::filesystem::path& program_folder, std::string_view date,
                               std::string_view extension);
// ProgramFolder/SEI/{reg[0..4)}/{reg}.jvSEI; empty when `reg` is no registration number.
std::filesystem::path HorsePath(const std::filesystem::path& program_folder, std::string_view reg);
// ProgramFolder/SEIR/{key10[0..4)}/{key10}.jvSERA; empty when `key10` is no meeting key.
std::filesystem::path MeetingPath(const std::filesystem::path& program_folder, std::string_view key10);

// ProgramFolder/Index/{date}{extension}.idx: the index of a master file (Data/{date}{extension}).
// The indexes have a folder of their own so that the data folders hold exactly the stored files,
// as they are copied to and from other installations.
std::filesystem::path MasterIndexPath(const std::filesystem::path& program_folder, std::string_view date,
                                      std::string_view extension);

// The stored folders of a program folder, looked up once: while one is missing, every lookup
// by name would scan the program folder for a differently cased one.
struct StoredFolders {
  std::filesystem::path data, sei, seir, index;
};
StoredFolders ResolveStoredFolders(const std::filesystem::path& program_folder);
std::filesystem::path DataPath(const StoredFolders& f, std::string_view date, std::string_view extension);
std::filesystem::path HorsePath(const StoredFolders& f, std::string_view reg);
std::filesystem::path MeetingPath(const StoredFolders& f, std::string_view key10);
std::filesystem::path MasterIndexPath(const StoredFolders& f, std::string_view date, std::string_view extension);

// The 14-byte date text from "yyyymmdd" digits: yyyy年mm月dd日 (CP932).
std::string DateText(std::string_view yyyymmdd);

}  // namespace zelkova
