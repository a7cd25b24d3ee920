// The main window's start-up, without the window: what TMainForm's create and show events do
// to settings, folders, fixed files and the error log, returned as values for the GUI to show.
// Nothing here shows UI; messages are CP932 and meant to be shown in order.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/rating_tables.h"
#include "app/app_context.h"
#include "settings/gate_table.h"
#include "settings/ini_gt.h"
#include "base/platform.h"
#include "jvlink/system_jv_link.h"  // JvLinkMissingMessage

namespace zelkova {

class JvLink;

// Process start: is the JV-Link control there? On Windows an object of "JVDTLab.JVLink" must be
// creatable; elsewhere the recorded-feed backend is built in and always present.
bool JvLinkPresent();

struct WindowGeometry {
  int top = 10, left = 10, width = 1000, height = 900;
};

WindowGeometry ReadGeometry(const TIniGT& ini, const std::string& section, WindowGeometry def);
Status WriteGeometry(TIniGT& ini, const std::string& section, const WindowGeometry& g);

// The registry value naming the time-series odds program's folder.
inline constexpr const char* kOddsViewerUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Odds Timeline Viewer for JRA-VAN Data Lab._is1";
inline constexpr const char* kOddsViewerPathValue = "Inno Setup: App Path";

// Fills Dir/jikeiretu from the registry when it is empty and the odds program is installed.
void ResolveTimeSeriesFolder(TIniGT& ini, Registry& registry);

// Messages for RTJ.dat, RTN.dat, RTC.dat that are missing or not exactly 5488 bytes; empty = fine.
std::vector<std::string> CheckRatingFiles(const std::filesystem::path& programFolder);

// The fixed files of a program folder as the program starts with them: the rating tables and the
// gate table. `messages` names each file that is missing or damaged (CP932, in the order the
// program checks them); empty means both tables are usable.
struct FixedFiles {
  std::vector<std::string> messages;
  RatingTables tables;
  GateTable gate;
};
FixedFiles LoadFixedFiles(const std::filesystem::path& programFolder);

// Why `programFolder` cannot be used as the program folder (missing, not a folder); empty when
// it can (CP932).
std::string ProgramFolderProblem(const std::filesystem::path& programFolder);

// The fixed files every program folder holds, as they are named there.
inline constexpr const char* kFixedFiles[] = {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"};
// Where the fixed files a program folder lacks can be had: a line naming `installed` (the folder
// of the executables, where the build puts them) when it holds them all and is not that program
// folder; empty otherwise (CP932).
std::string FixedFilesHint(const std::filesystem::path& programFolder, const std::filesystem::path& installed);
// Starts a program folder that does not exist yet, or is empty: creates it and copies the fixed
// files from `installed` (those it holds). Returns what was done, for the user (CP932); empty when
// the folder was there already. IoError when it cannot be made.
Result<std::string> StartProgramFolder(const std::filesystem::path& programFolder, const std::filesystem::path& installed);

// Ok when files can be made in the program folder (and in its Data folder); else the reason,
// naming the folder that refused.
Status ProgramFolderWritable(const std::filesystem::path& programFolder);
// What is said once about a program folder that cannot be written: the reason, and that its data
// can be looked at but nothing will be saved (CP932).
std::string ReadOnlyFolderMessage(const Status& why);

// What the status bar and the empty race list say while no date is stored yet (CP932).
std::string EmptyDateListHint();
// What they say while dates are stored but none is loaded (CP932).
std::string ChooseDateHint();

// Creates DATA, SEI, SEIR and kaime when missing, reusing a folder whose name differs in case.
Status CreateDataFolders(const std::filesystem::path& programFolder);

// The date texts (14 CP932 bytes) of the *.jvRA files in Data, newest first. Names that are not
// a date text followed by .jvRA are left out.
std::vector<std::string> DateList(const std::filesystem::path& programFolder);

struct StartupState {
  std::vector<std::string> messages;  // information boxes, in order (a settings-file warning too)
  bool terminate = false;             // quit before the message loop; write nothing more
  bool readOnly = false;              // the folder cannot be written: shown, never written
  int shukeiYear = 0, shukeiMonth = 0;
  WindowGeometry locate;
  bool locateStored = false;  // the settings keep the main window's size (a later start)
  int sampleCount = 13;
  int futanjuryo = 0;
  bool dataListClose = false;
  GateTable gate;
  RatingTables tables;
  std::vector<std::string> dates;
  std::filesystem::path helpFile;
  std::vector<std::string> errorLog;  // ErrorLogList after the start lines
};

// TMainForm's create event, steps that need no widgets. Uses ctx.programFolder, ctx.clock and
// ctx.registry (either may be null: then the system clock / no registry). A folder that cannot
// be written starts read-only (`ini` then writes nothing either).
StartupState RunMainFormCreate(const AppContext& ctx, TIniGT& ini);

// "4.9.0" from "0490"; a text that is not four characters is shown as it is.
std::string VersionDisplay(const std::string& version);
// The warning for a JV-Link older than 0490; empty when none is due.
std::string VersionWarning(const std::string& version);

struct ShowOutcome {
  int code = 0;          // JVInit's result
  bool beep = false;     // default beep before the message
  std::string message;   // empty: nothing to show
};

// TMainForm's show event: JVInit with the software id, then the version check.
ShowOutcome RunMainFormShow(JvLink& jvlink);

}  // namespace zelkova
