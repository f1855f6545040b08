// kestrel demo: the main job on the bundled sample survey, written into one folder.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <ostream>

#include "commands.h"
#include "io/csv.h"
#include "io/workbook_file.h"
#include "util/text_file.h"

#ifndef KESTREL_SAMPLES_DIR
#define KESTREL_SAMPLES_DIR "samples"
#endif

namespace kestrel {
namespace {

// The sample's sheets: file, sheet name, what it holds.
struct SampleSheet {
  const char* file;
  const char* sheet;
  const char* what;
};
constexpr SampleSheet kSampleSheets[] = {
    {"survey.csv", "实测横断面", "surveyed points, in the order they were recorded"},
    {"profile.csv", "纵断面", "vertical profile: station, elevation, curve radius"},
    {"crossfall.csv", "横坡", "cross slope: station, left, right"},
    {"stations.csv", "断面字典", "station-location dictionary"},
};

// The folder with the sample survey: beside the program when installed, else the source tree's.
std::filesystem::path SamplesFolder(CliContext& context) {
  std::filesystem::path installed = PathFromUtf8(context.Shell().ModuleFolder()) / "samples";
  if (std::filesystem::exists(installed / kSampleSheets[0].file)) return installed;
  return PathFromUtf8(KESTREL_SAMPLES_DIR);
}

// One workbook with a sheet per sample file, the survey sheet active.
std::unique_ptr<MemoryWorkbook> SampleWorkbook(const std::filesystem::path& folder) {
  auto book = std::make_unique<MemoryWorkbook>();
  bool first = true;
  for (const SampleSheet& s : kSampleSheets) {
    std::unique_ptr<MemoryWorkbook> part = ReadCsv(PathToUtf8(folder / s.file));
    MemoryWorksheet& from = part->Active();
    MemoryWorksheet& to = first ? book->Active() : book->AppendSheet(s.sheet);
    if (first) to.Rename(s.sheet);
    first = false;
    if (std::optional<RangeRef> used = from.UsedRange()) to.SetValues(used->first, from.Values(*used));
  }
  return book;
}

int RunDemo(CliContext& context, const std::string& dir) {
  std::filesystem::path out = PathFromUtf8(dir);
  std::filesystem::create_directories(out);
  std::filesystem::path samples = SamplesFolder(context);
  std::ostream& say = context.Out();
  say << "Kestrel demo: sample survey from " << PathToUtf8(samples) << "\n";

  std::unique_ptr<MemoryWorkbook> book = SampleWorkbook(samples);
  for (int i = 0; i < book->SheetCount(); ++i) {
    std::optional<RangeRef> used = book->Sheet(i).UsedRange();
    say << "  sheet " << book->Sheet(i).SheetName() << ": " << (used ? used->Rows() : 0) << " rows ("
        << kSampleSheets[i].what << ")\n";
  }
  const std::string survey = PathToUtf8(out / "sample-survey.xlsx");
  SaveWorkbook(*book, survey);
  say << "wrote " << survey << "\n";
  return kExitDone;
}

}  // namespace

CliCommand AddDemoCommand(CLI::App& app, CliContext& context) {
  auto dir = std::make_shared<std::string>("kestrel-demo");
  CLI::App* command = app.add_subcommand("demo", "run the main job on the bundled sample survey");
  command->add_option("DIR", *dir, "folder for the workbook and every file the demo writes")->capture_default_str();
  return {command, [&context, dir] { return RunDemo(context, *dir); }};
}

}  // namespace kestrel
