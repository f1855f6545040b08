// Session: the process-wide state of the add-in, alive while the library is loaded.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kestrel {

class Application;

// One record of the station-location dictionary.
struct DicRecord {
  double Station = 0;
  double OriginX = 0;
  double OriginY = 0;
  double OriginLevel = 0;
  friend bool operator==(const DicRecord&, const DicRecord&) = default;
};

// One section found by the last draw-data run.
struct SectionRecord {
  int StartRow = 0;
  int EndRow = 0;
  double Station = 0;
  std::string StationText;
  double CentreLevel = 0;
  double BaseX = 0;
  double BaseY = 0;
  bool Matched = false;
};

// What the sort reads when its dialog returns.
struct SortSettings {
  bool SortCancelled = true;
  int SortSpacing = 5;        // whole metres, greater than zero
  double MatchTolerance = 1;  // metres, never negative
  bool UseDicFile = false;    // match stations against the dictionary
};

class FormSort;

// The Windows shell owns one Session per process; tests and the command-line tool make their own.
// Commands take it by reference; nothing here is ever saved.
struct Session {
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The host's Application while the host has the add-in connected; null otherwise.
  Application* HostApplication = nullptr;

  // Station-location dictionary and the file it was loaded from ("" when none).
  std::vector<DicRecord> StationDictionary;
  std::string DicFileName;

  SortSettings Sort;
  // The sort dialog, created at its first use and kept, hidden, while the session lives.
  std::unique_ptr<FormSort> SortDialog;

  // Sections recorded by the last draw-data run, read by the volume sheet.
  std::vector<SectionRecord> SectionList;
  int SectionCount = 0;
};

}  // namespace kestrel
