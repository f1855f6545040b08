// kestrel export and kestrel import: the road to LandXML (and IFC), and a LandXML file's cross
// sections, profile and alignment into a workbook.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <ostream>

#include "commands.h"
#include "exchange/landxml_reader.h"
#include "exchange/landxml_writer.h"
#include "exchange/road_export.h"
#include "exchange/road_sheets.h"
#include "file_checks.h"
#include "geometry/profile_file.h"
#include "io/csv.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

constexpr const char* kImportedSurveyName = "横断面";
constexpr const char* kProfileSheetName = "纵断面";

struct ExportOptions {
  BookOptions book;
  DesignFiles files;
  std::string alignment;  // a .csv station-coordinate table, a LandXML file, or a sheet's name
  std::string landxml;
  std::string ifc;
};

RoadExchange ReadLandXmlFile(const std::string& path) {
  RequireInputFile(path);
  try {
    return ReadLandXmlPath(path);
  } catch (const ExportError& e) {
    throw CliError(e.what());
  }
}

// The centre line: from --alignment (a CSV table, a LandXML file or a sheet of the workbook),
// else from the workbook's 逐桩坐标表 sheet; empty when there is none.
PlanAlignment LoadAlignment(CliContext& context, const std::string& source) {
  if (IsLandXmlFileName(source) || IsCsvFileName(source)) RequireInputFile(source);
  try {
    return WorkbookAlignment(context.Book(), "--alignment", source, [](const std::string& path) {
      std::unique_ptr<MemoryWorkbook> table = ReadCsv(path);
      return TableFromSheet(table->Active());
    });
  } catch (const ExportError& e) {
    throw CliError(e.what());
  }
}

int Export(CliContext& context, const ExportOptions& options) {
  if (options.landxml.empty() && options.ifc.empty()) throw CliError("export: name a target with --landxml or --ifc");
  CheckOutputs(options.book.book, "", {{"--landxml", options.landxml}, {"--ifc", options.ifc}});
  context.OpenBook(options.book);
  PlanAlignment alignment = LoadAlignment(context, options.alignment);
  if (alignment.Empty())
    throw CliError(std::string("no plan geometry: give a station-coordinate table or a LandXML alignment with "
                               "--alignment, or a sheet named ") + kStationSheetName + "; nothing written");
  if (!options.files.Profile.empty()) RequireInputFile(options.files.Profile);
  if (!options.files.Template.empty() && options.files.Profile.empty()) throw CliError("--template needs --profile");
  try {
    const RoadExchange road = WorkbookRoad(context.Book(), std::move(alignment), options.files);
    const ExchangeStamp stamp = CurrentStamp();
    if (!options.landxml.empty()) {
      WriteLandXmlFile(road, options.landxml, stamp);
      context.Err() << "wrote " << options.landxml << " (" << road.Sections.size() << " cross sections)\n";
    }
    if (!options.ifc.empty()) {
      WriteIfcFile(road, options.ifc, stamp);
      context.Err() << "wrote " << options.ifc << "\n";
    }
  } catch (const ExportError& e) {
    throw CliError(e.what());
  }
  return kExitDone;
}

struct ImportOptions {
  BookOptions book;
  std::string file;
  std::string profile;  // .ZM to write, or ""
};

std::string FreeSheetName(MemoryWorkbook& book, const std::string& name) {
  std::string candidate = name;
  for (int n = 2; book.FindSheet(candidate); ++n) candidate = name + " (" + std::to_string(n) + ")";
  return candidate;
}

int Import(CliContext& context, const ImportOptions& options) {
  CheckOutputs(options.book.book, options.book.output, {{"--profile", options.profile}});
  RoadExchange road = ReadLandXmlFile(options.file);
  VerticalProfile profile;
  if (!road.DesignProfile.empty()) {
    try {
      profile = ProfileOf(road.DesignProfile);
    } catch (const ExchangeError& e) {
      throw CliError(options.file + ": " + e.what());
    }
  }
  // A workbook that does not exist yet is made, its first sheet taking the cross sections.
  const bool fresh = !std::filesystem::exists(PathFromUtf8(options.book.book));
  if (fresh) context.UseBook(std::make_unique<MemoryWorkbook>());
  else context.OpenBook(options.book);
  MemoryWorkbook& book = context.Book();
  const int firstAdded = fresh ? 0 : book.SheetCount();
  if (!road.Sections.empty()) {
    MemoryWorksheet& survey =
        fresh ? book.Active() : book.AppendSheet(FreeSheetName(book, kImportedSurveyName));
    if (fresh) survey.Rename(kImportedSurveyName);
    context.Err() << "imported " << WriteSurveySheet(survey, road) << " cross sections to " << survey.SheetName() << "\n";
  }
  auto addSheet = [&](const char* name) -> MemoryWorksheet& {
    if (fresh && book.SheetCount() == 1 && road.Sections.empty() && book.Active().SheetName() != name) {
      book.Active().Rename(name);
      return book.Active();
    }
    return book.AppendSheet(FreeSheetName(book, name));
  };
  if (!road.Alignment.Empty()) WriteStationSheet(addSheet(kStationSheetName), road);
  if (!profile.empty()) {
    WriteProfileSheet(addSheet(kProfileSheetName), profile);
    if (!options.profile.empty() && !WriteTextFile(options.profile, ProfileFileText(profile)))
      throw CliError("cannot write " + options.profile);
  }
  if (firstAdded < book.SheetCount()) book.Activate(firstAdded);
  if (fresh && !context.BookChanged()) throw CliError(options.file + ": holds no cross section, alignment or profile");
  return context.Finish(CommandOutcome::Completed, options.book);
}

}  // namespace

CliCommand AddExportCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* command = app.add_subcommand(
      "export", "the road (alignment, profiles, cross sections, areas and volumes) as LandXML 1.2 or IFC 4.3");
  CliContext::AddBookOptions(*command, options->book, false, false);
  DesignFiles& files = options->files;
  command->add_option("--alignment", options->alignment,
                      "the centre line: a station-coordinate table (.csv: station, X, Y[, azimuth]), a LandXML "
                      "alignment (.xml) or a sheet's name; default: the sheet 逐桩坐标表");
  command->add_option("--profile", files.Profile, "the vertical profile (.ZM)");
  command->add_option("--slopes", files.Slopes, "cross slopes in per cent (.hp), with --template");
  command->add_option("--widening", files.Widening, "widenings in metres (.hp), with --template");
  command->add_option("--template", files.Template,
                      "design the sections with this template (.tpl); default: the workbook's design results");
  command->add_option("--landxml", options->landxml, "the LandXML 1.2 file to write");
  command->add_option("--ifc", options->ifc, "the IFC 4.3 file (IFC4X3_ADD2) to write");
  return {command, [&context, options] { return Export(context, *options); }};
}

CliCommand AddImportCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* command = app.add_subcommand(
      "import", "a LandXML file's cross sections, alignment and profile as new sheets (a survey sheet, "
                "逐桩坐标表, 纵断面)");
  CliContext::AddBookOptions(*command, options->book, true, false);
  command->add_option("FILE", options->file, "the LandXML file")->required();
  command->add_option("--profile", options->profile, "also write the design profile as this .ZM file");
  return {command, [&context, options] { return Import(context, *options); }};
}

const CommandRegistrar kExportCommandRegistrar(86, AddExportCommand);
const CommandRegistrar kImportCommandRegistrar(87, AddImportCommand);

}  // namespace kestrel
