// Platform layers seen from the core. The GUI supplies Qt implementations; tests supply fakes.
// Every text crossing these interfaces is CP932 bytes.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace zelkova {

// Broken-down local time, as the program formats it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() const = 0;
};

// The machine's local clock.
class SystemClock : public Clock {
 public:
  LocalTime now() const override;
};

// Message boxes, beeps, the status label and the event pump. The core never shows UI itself:
// it asks through this interface, and the GUI (or a test) decides how.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void beep() = 0;
  virtual void information(const std::string& text) = 0;  // OK box
  virtual bool confirm(const std::string& text) = 0;      // Yes/No box; true = Yes
  virtual void statusText(const std::string& text) = 0;   // status label
  virtual void processEvents() = 0;                       // pump pending window messages
  virtual void busyCursor(bool on) = 0;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void setText(const std::string& text) = 0;
};

class ShellOpen {
 public:
  virtual ~ShellOpen() = default;
  // Opens a file with its associated program; false when that failed.
  virtual bool open(const std::string& path_utf8) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // One HKEY_LOCAL_MACHINE string value; empty when the key or value is absent.
  virtual std::string readLocalMachineString(const std::string& key, const std::string& value) = 0;
};

// Registry of a machine without one (every platform but Windows).
class NoRegistry : public Registry {
 public:
  std::string readLocalMachineString(const std::string&, const std::string&) override { return {}; }
};

// The shell's folder-browse dialog.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // Returns true and sets `chosen_utf8` when the user confirmed a folder.
  virtual bool choose(const std::string& caption, const std::string& initial_utf8, std::string& chosen_utf8) = 0;
};

}  // namespace zelkova
