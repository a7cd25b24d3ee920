#include "app/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "settings/error_log.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/jv_link.h"
#include "jvlink/software_id.h"
#include "jvlink/system_jv_link.h"
#include "records/record.h"

namespace zelkova {

bool JvLinkPresent() { return !SystemCanHaveJvLink() || SystemJvLinkPresent(); }

WindowGeometry ReadGeometry(const TIniGT& ini, const std::string& section, WindowGeometry def) {
  WindowGeometry g;
  g.top = ini.ReadInteger(section, "top", def.top);
  g.left = ini.ReadInteger(section, "left", def.left);
  g.width = ini.ReadInteger(section, "width", def.width);
  g.height = ini.ReadInteger(section, "height", def.height);
  return g;
}

Status WriteGeometry(TIniGT& ini, const std::string& section, const WindowGeometry& g) {
  for (auto [key, v] : {std::pair{"top", g.top}, {"left", g.left}, {"width", g.width}, {"height", g.height}})
    if (Status s = ini.WriteInteger(section, key, v); !s.ok()) return s;
  return Status::Ok();
}

void ResolveTimeSeriesFolder(TIniGT& ini, Registry& registry) {
  if (!TrimBlanks(ini.ReadString("Dir", "jikeiretu", "")).empty()) return;
  std::string app = registry.readLocalMachineString(kOddsViewerUninstallKey, kOddsViewerPathValue);
  if (TrimBlanks(app).empty()) return;
  (void)ini.WriteString("Dir", "jikeiretu", app + "\\Data");
}

std::vector<std::string> CheckRatingFiles(const std::filesystem::path& programFolder) {
  std::vector<std::string> messages;
  for (const char* name : {"RTJ.dat", "RTN.dat", "RTC.dat"}) {
    auto size = FileSize(ChildPath(programFolder, name));
    if (!size.ok() && size.status().isNotFound()) {
      messages.push_back(Sj("「") + name + Sj("」が見つかりません。インストールが正しく行われていない可能性があります。"));
    } else if (!size.ok()) {
      messages.push_back(Sj("「") + name + Sj("」を読み込めません。") + size.status().message());
    } else if (*size != RatingTables::kFileBytes) {
      messages.push_back(Sj("「") + name + Sj("」の大きさが正しくありません（") + std::to_string(*size) +
                         Sj("バイト、正しくは5488バイト）。インストールが正しく行われていない可能性があります。"));
    }
  }
  return messages;
}

FixedFiles LoadFixedFiles(const std::filesystem::path& programFolder) {
  FixedFiles f;
  f.messages = CheckRatingFiles(programFolder);
  if (auto gate = LoadGateTable(ChildPath(programFolder, "SetGate.tbl")); gate.ok())
    f.gate = *gate;
  else
    f.messages.push_back(gate.status().message());
  f.gate.small = GateTable{}.small;
  if (f.messages.empty()) {
    if (Status s = f.tables.Load(programFolder); !s.ok()) f.messages.push_back(s.message());
  }
  return f;
}

std::string ProgramFolderProblem(const std::filesystem::path& programFolder) {
  std::error_code ec;
  const auto st = std::filesystem::status(programFolder, ec);
  if (!std::filesystem::exists(st)) return Sj("プログラムフォルダ「") + PathText(programFolder) + Sj("」がありません。");
  if (!std::filesystem::is_directory(st))
    return Sj("プログラムフォルダに指定された「") + PathText(programFolder) + Sj("」はフォルダではありません。");
  return {};
}

namespace {

bool HoldsFixedFiles(const std::filesystem::path& folder) {
  return std::all_of(std::begin(kFixedFiles), std::end(kFixedFiles),
                     [&](const char* f) { return FileExists(ChildPath(folder, f)); });
}

}  // namespace

std::string FixedFilesHint(const std::filesystem::path& programFolder, const std::filesystem::path& installed) {
  std::error_code ec;
  if (installed.empty() || !HoldsFixedFiles(installed) || std::filesystem::equivalent(installed, programFolder, ec))
    return {};
  return Sj("RTJ.dat、RTN.dat、RTC.dat と SetGate.tbl は「") + PathText(installed) +
         Sj("」にあります。プログラムフォルダにコピーしてください。");
}

Result<std::string> StartProgramFolder(const std::filesystem::path& programFolder, const std::filesystem::path& installed) {
  std::error_code ec;
  if (std::filesystem::exists(programFolder, ec) &&
      !(std::filesystem::is_directory(programFolder, ec) && std::filesystem::is_empty(programFolder, ec)))
    return std::string();
  if (Status s = EnsureDir(programFolder); !s.ok()) return s;
  std::string copied;
  for (const char* f : kFixedFiles) {
    auto bytes = ReadFile(ChildPath(installed, f));
    if (!bytes.ok()) continue;  // the start check names what is missing
    if (Status s = WriteFileAtomic(ChildPath(programFolder, f), *bytes); !s.ok()) return s;
    copied += (copied.empty() ? std::string() : Sj("、")) + f;
  }
  std::string text = Sj("プログラムフォルダ「") + PathText(programFolder) + Sj("」を作りました");
  if (!copied.empty()) text += Sj("（") + copied + Sj("を「") + PathText(installed) + Sj("」からコピー）");
  return text + Sj("。");
}

Status ProgramFolderWritable(const std::filesystem::path& programFolder) {
  if (Status s = CheckFolderWritable(programFolder); !s.ok()) return s;
  // A Data folder of its own may be read-only too (copied from a disc, shared for reading).
  const std::filesystem::path data = ChildPath(programFolder, "Data");
  return DirExists(data) ? CheckFolderWritable(data) : Status::Ok();
}

std::string ReadOnlyFolderMessage(const Status& why) {
  return why.message() + Sj("。データを見ることはできますが、このフォルダには何も保存されません（設定、チェックマーク、"
                            "集計、取り込むデータ）。");
}

std::string EmptyDateListHint() {
  return Sj("まだデータがありません。ツールバーの「JVデータ取得」でJV-Linkからデータを取り込むと、日付欄から日付を選べます。");
}

std::string ChooseDateHint() { return Sj("日付を選ぶと、その日のレースがここに並びます。"); }

Status CreateDataFolders(const std::filesystem::path& programFolder) {
  for (const char* name : {"DATA", "SEI", "SEIR", "kaime"}) {
    std::filesystem::path p = ChildPath(programFolder, name);
    if (FileExists(p))
      return Status::IoError(Sj("フォルダを作成できません（同名のファイルがあります）：") + PathText(p));
    if (Status s = EnsureDir(p); !s.ok()) return s;
  }
  return Status::Ok();
}

namespace {

bool IsDateText(std::string_view s) {
  static const std::string nen = Sj("年"), tsuki = Sj("月"), hi = Sj("日");
  return s.size() == 14 && IsAllDigits(s.substr(0, 4)) && s.substr(4, 2) == nen && IsAllDigits(s.substr(6, 2)) &&
         s.substr(8, 2) == tsuki && IsAllDigits(s.substr(10, 2)) && s.substr(12, 2) == hi;
}

bool EndsWithJvRA(std::string_view name) {
  if (name.size() < 5) return false;
  std::string ext(name.substr(name.size() - 5));
  for (char& c : ext) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
  return ext == ".jvra";
}

}  // namespace

std::vector<std::string> DateList(const std::filesystem::path& programFolder) {
  std::vector<std::string> dates;
  std::filesystem::path data = ChildPath(programFolder, "Data");
  std::error_code ec;
  for (std::filesystem::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    auto name = Utf8ToCp932(PathToUtf8(it->path().filename()));
    if (!name.ok() || !EndsWithJvRA(*name) || name->size() != 19) continue;
    std::string date = name->substr(0, 14);
    if (IsDateText(date)) dates.push_back(date);
  }
  std::sort(dates.begin(), dates.end(), std::greater<>());
  dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
  return dates;
}

StartupState RunMainFormCreate(const AppContext& ctx, TIniGT& ini) {
  static SystemClock systemClock;
  static NoRegistry noRegistry;
  const Clock& clock = ctx.clock ? *ctx.clock : systemClock;
  Registry& registry = ctx.registry ? *ctx.registry : noRegistry;
  const std::filesystem::path& folder = ctx.programFolder;
  StartupState st;

  // A folder that cannot be written can still be looked at: nothing is written into it, and the
  // user is told so once (below), not at every save that could not be made.
  const Status writable = ProgramFolderWritable(folder);
  st.readOnly = !writable.ok();
  ini.setReadOnly(st.readOnly);
  ResolveTimeSeriesFolder(ini, registry);


  FixedFiles fixed = LoadFixedFiles(folder);
  st.terminate = !fixed.messages.empty();
  for (std::string& m : fixed.messages) st.messages.push_back(std::move(m));
  st.gate = fixed.gate;
  st.tables = std::move(fixed.tables);

  st.helpFile = ChildPath(folder, "ZelkovaJDL.CHM");
  st.locate = ReadGeometry(ini, "locate", WindowGeometry{});
  st.locateStored = ini.ReadInteger("locate", "width", -1) != -1;

  // After a termination request nothing more is written into the program folder.
  if (!st.terminate && st.readOnly) {
    st.messages.push_back(ReadOnlyFolderMessage(writable));
    ErrorLog log(folder, clock);
    (void)log.Load();  // shown as it is; an unreadable log only stays unshown
    st.errorLog = log.lines();
  }
  if (!st.terminate && !st.readOnly) {
    if (Status s = CreateDataFolders(folder); !s.ok()) {
      st.messages.push_back(s.message());
      st.terminate = true;
    }
  }
  if (!st.terminate && !st.readOnly) {
    ErrorLog log(folder, clock);
    if (Status s = log.StartUp(); !s.ok()) {
      st.messages.push_back(Sj("ErrorLog.txt を書き込めません：") + s.message());
      st.terminate = true;
    }
    st.errorLog = log.lines();
  }

  st.sampleCount = ini.ReadInteger("AvChakusa", "samplesu", 13);
  st.futanjuryo = ini.ReadInteger("Futanjuryo", "Ignore", 0);
  st.dates = DateList(folder);
  // The aggregation range starts, until the user sets it, on the earliest stored day's month, so
  // that the first 集計 counts every stored day; with nothing stored, on today's.
  LocalTime now = clock.now();
  int fromYear = now.year, fromMonth = now.month;
  if (!st.dates.empty() && st.dates.back().size() >= 8) {
    fromYear = std::atoi(st.dates.back().substr(0, 4).c_str());
    fromMonth = std::atoi(st.dates.back().substr(6, 2).c_str());
  }
  st.shukeiYear = ini.ReadInteger("ShukeiSpan", "nen", fromYear);
  st.shukeiMonth = ini.ReadInteger("ShukeiSpan", "tuki", fromMonth);
  st.dataListClose = ini.ReadBool("datalist", "close", false);
  // Unreadable bytes in the settings file are kept as they are; the user is told once.
  if (!ini.lastProblem().empty()) st.messages.push_back(ini.lastProblem());
  return st;
}

std::string VersionDisplay(const std::string& version) {
  if (version.size() != 4) return version;
  return std::string(1, version[1]) + "." + version[2] + "." + version[3];
}

std::string VersionWarning(const std::string& version) {
  if (!(version < std::string("0490"))) return {};
  return Sj("ご利用中のJV-Linkのバージョンは[") + VersionDisplay(version) + Sj("]です。") + "\r\n" +
         Sj("本ソフトのご利用にはバージョン[4.9.0]以上が必要です。") + "\r\n" +
         Sj("JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。");
}

ShowOutcome RunMainFormShow(JvLink& jvlink) {
  ShowOutcome out;
  out.code = jvlink.JVInit(SoftwareId());
  if (out.code != 0) {
    out.message = Sj("JVInitエラーが発生しました。：") + std::to_string(out.code);
    return out;
  }
  out.message = VersionWarning(jvlink.version());
  out.beep = !out.message.empty();
  return out;
}

}  // namespace zelkova
