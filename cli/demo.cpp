// kestrel demo: the main job on the bundled sample survey, written into one folder.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <ostream>

#include "commands.h"
#include "dictionary_option.h"
#include "demo_geometry.h"
#include "earthworks/design_command.h"
#include "earthworks/design_results.h"
#include "haul/haul_sheet.h"
#include "haul/mass_haul_diagram.h"
#include "exchange/ifc_writer.h"
#include "exchange/landxml_writer.h"
#include "exchange/road_sheets.h"
#include "geometry/profile_file.h"
#include "io/csv.h"
#include "io/drawing_preview.h"
#include "io/mass_haul_page.h"
#include "io/section_plot.h"
#include "io/workbook_file.h"
#include "workbook/formula_eval.h"
#include "sections/dictionary_file.h"
#include "sections/draw_data.h"
#include "sections/drawing_dxf.h"
#include "sections/drawing_script.h"
#include "sections/drawing_shapes.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "sections/section_sheets.h"
#include "sections/initial_sort.h"
#include "util/number_format.h"
#include "util/text_file.h"
#include "volumes/volume_sheet.h"
#include "volumes/form_draw_v_sheet.h"
#include "volumes/volume_layout.h"
#include "workbook_state.h"

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
    {"coordinates.csv", "逐桩坐标表", "the centre line's station-coordinate table"},
};

// The folder with the sample survey: beside the program, where the package installs it
// (bin/../share/kestrel/samples), else the source tree's.
std::filesystem::path SamplesFolder(CliContext& context) {
  const std::filesystem::path program = PathFromUtf8(context.Shell().ModuleFolder());
  for (const std::filesystem::path& installed : {program / "samples", program.parent_path() / "share/kestrel/samples"}) {
    if (std::filesystem::exists(installed / kSampleSheets[0].file)) return installed;
  }
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

// Index of the sheet with that name in the sample workbook.
int SheetIndex(MemoryWorkbook& book, const char* name) {
  for (int i = 0; i < book.SheetCount(); ++i)
    if (book.Sheet(i).SheetName() == name) return i;
  throw CliError(std::string("the sample has no sheet ") + name);
}

int RunDemo(CliContext& context, const std::string& dir) {
  std::filesystem::path out = PathFromUtf8(dir);
  std::filesystem::create_directories(out);
  std::filesystem::path samples = SamplesFolder(context);
  std::ostream& say = context.Out();
  say << "Kestrel demo: sample survey from " << PathToUtf8(samples) << "\n";

  MemoryWorkbook& book = context.UseBook(SampleWorkbook(samples));
  for (int i = 0; i < book.SheetCount(); ++i) {
    std::optional<RangeRef> used = book.Sheet(i).UsedRange();
    say << "  sheet " << book.Sheet(i).SheetName() << ": " << (used ? used->Rows() : 0) << " rows ("
        << kSampleSheets[i].what << ")\n";
  }
  CommandContext command = context.Command();

  // 1. The station-location dictionary sheet saved as a .Dic file.
  book.Activate(SheetIndex(book, "断面字典"));
  const std::string dic = PathToUtf8(out / "stations.Dic");
  context.Ui().QueueSaveFile(dic);
  if (SaveDictionaryCommand(command, context.GetSession().Sections) != CommandOutcome::Completed) return kExitError;
  say << "1. saved the station-location dictionary: " << dic << " ("
      << context.GetSession().Sections.StationDictionary.size() << " sections)\n";

  // 2. The initial sort of the survey, snapping to 5 m and matching the dictionary within 1 m.
  MemoryWorksheet& survey = book.Sheet(SheetIndex(book, "实测横断面"));
  book.Activate(SheetIndex(book, "实测横断面"));
  const int points = survey.UsedRange()->Rows();
  if (!LoadDictionary(context, dic)) return kExitStopped;
  std::optional<SortRequest> sort = SortRequestFrom({"5", "1", true}, context.Ui());
  if (!sort || SortSurvey(command, *sort, context.GetSession().Sections) != CommandOutcome::Completed) return kExitStopped;
  const int rows = survey.UsedRange()->Rows();
  say << "2. sorted " << points << " surveyed points into " << rows - points + 1
      << " sections, separated by empty rows (stations in column F)\n";

  // 3. Draw data: sections with a frame in the dictionary are placed there, the others in a row.
  DrawEntries drawEntries;
  drawEntries.StationLabelDY = "300";  // station labels near the sample's levels
  drawEntries.UseDictionary = true;
  DrawingPlan plan;
  if (DrawSections(command, DrawRequestFrom(drawEntries), context.GetSession().Sections, plan) != CommandOutcome::Completed)
    return kExitStopped;
  int matched = 0;
  for (const SectionRecord& s : context.GetSession().Sections.SectionList) matched += s.Matched ? 1 : 0;
  say << "3. drew " << context.GetSession().Sections.SectionCount << " sections (" << matched
      << " placed in their dictionary frames), " << context.GetSession().Sections.LabelCommands.size()
      << " level labels: columns I to O of " << survey.SheetName() << "\n";
  const RenderedDrawing drawing = RenderDrawing(plan, *WorkbookDesignResults(book));
  if (!WriteFileAtomically(out / "sections.dxf", DrawingDxf(drawing.Shapes)) ||
      !WriteFileAtomically(out / "sections.scr", DrawingScript(drawing.Shapes)))
    throw CliError("cannot write the drawing files in " + PathToUtf8(out));
  PreviewOptions preview;
  preview.title = survey.SheetName() + ": the sample survey's sections";
  if (std::string error = WriteDrawingPreview(drawing.Shapes, PathToUtf8(out / "sections.png"), preview); !error.empty())
    throw CliError(error);
  say << "   the same drawing without the clipboard: sections.dxf, sections.scr, sections.png\n";
  const std::vector<SheetSection>& sheets = drawing.Sheets;
  const SheetLayout layout = LayOutSheets(sheets, {.paper = *PaperNamed("A3", true)});
  if (std::string error = WriteSectionSheets(sheets, layout, "sample-survey.xlsx  " + survey.SheetName(),
                                             PathToUtf8(out / "sections.pdf"), nullptr);
      !error.empty())
    throw CliError(error);
  say << "   the cross-section sheets to print: sections.pdf (" << layout.pages << " A3 pages at "
      << SheetScaleText(layout.options.scale, 1).substr(std::string("比例 ").size()) << ")\n";

  // 4 to 6. The profile and the cross slope as files, and the sections' design elevations from them.
  if (const int status = RunGeometryDemo(context, book, out, say, 4); status != kExitDone) return status;

  // 7. A cut and fill volume sheet (design and measured) with the drawn sections' stations.
  Session& session = context.GetSession();
  if (!CanFillStations(session.Sections, context.Ui())) return kExitStopped;
  const std::optional<VolumeSheetRequest> volume =
      VolumeSheetRequestFrom({1, true, std::to_string(session.Sections.SectionCount)});
  if (!volume || DrawVolumeSheet(command, *volume, session.Sections) != CommandOutcome::Completed) return kExitStopped;
  say << "7. built the volume sheet " << book.Active().SheetName() << " for " << context.GetSession().Sections.SectionCount
      << " sections (design and measured areas go in columns B to E)\n";

  // 8. Design sections from the profile, the cross slope and the sample's template; a second volume
  // sheet with their areas; the drawing again with the design lines and areas.
  book.Activate(SheetIndex(book, "实测横断面"));
  DesignRequest design;
  design.Files = {PathToUtf8(out / "profile.ZM"), PathToUtf8(out / "crossfall.hp"), "",
                  PathToUtf8(samples / "road.tpl")};
  design.Volume = true;
  design.Variant = kVariantDesign;
  std::vector<DesignSection> designed;
  if (RunDesign(command, design, &designed) != CommandOutcome::Completed) return kExitStopped;
  double cut = 0, fill = 0;
  for (const DesignSection& s : designed) {
    cut += s.Areas.Cut();
    fill += s.Areas.Fill();
  }
  const int extended = SectionsWithGroundExtended(designed);
  say << "8. designed " << designed.size() << " sections with road.tpl (" << FormatNumber(cut, "0.0")
      << " m2 of cut and " << FormatNumber(fill, "0.0") << " m2 of fill in all; " << extended
      << " with the ground line extended), results on a new sheet; the volume sheet " << book.Active().SheetName()
      << " has their design areas\n";
  const DrawingShapes designShapes = RenderDrawing(plan, *DesignResultsOf(designed)).Shapes;
  if (!WriteFileAtomically(out / "design.dxf", DrawingDxf(designShapes)))
    throw CliError("cannot write the drawing files in " + PathToUtf8(out));
  preview.title = survey.SheetName() + ": the sample survey's sections with their design lines";
  if (std::string error = WriteDrawingPreview(designShapes, PathToUtf8(out / "design.png"), preview); !error.empty())
    throw CliError(error);
  say << "   the drawing with the design lines and areas: design.dxf, design.png\n";

  // 9. The earthwork quantity and distribution table of the designed road, and its mass-haul diagram.
  HaulRequest haul;
  haul.Volumes.Prismoidal = true;
  const HaulTable table = ComputeHaulTable(HaulStationsOf(designed), haul);
  book.AddSheet();
  WriteHaulSheet(book.Active(), table);
  if (std::string error = WriteMassHaulPage(MassHaulDiagramOf(table), PathToUtf8(out / "haul.pdf")); !error.empty())
    throw CliError(error);
  say << "9. the earthwork distribution on sheet " << book.Active().SheetName() << ": " << table.Hauls.Hauls.size()
      << " hauls, cost " << FormatNumber(table.Hauls.TotalCost(), "0.00") << " 元 at the default prices; the mass-haul "
      << "diagram: haul.pdf\n";

  // 10. The road for other road design software: LandXML 1.2 and IFC 4.3, along the centre line of
  // the station-coordinate table.
  VerticalProfile profile;
  LoadProfileFile(PathToUtf8(out / "profile.ZM"), profile);
  const RoadExchange road = RoadFromSurvey(
      survey, AlignmentFromTable(TableFromSheet(book.Sheet(SheetIndex(book, "逐桩坐标表")))), &profile, designed);
  const ExchangeStamp stamp = CurrentStamp();
  if (!WriteFileAtomically(out / "road.xml", LandXmlText(road, stamp)) ||
      !WriteFileAtomically(out / "road.ifc", IfcText(road, "road.ifc", stamp)))
    throw CliError("cannot write the exchange files in " + PathToUtf8(out));
  say << "10. exported the road along 逐桩坐标表 (" << road.Alignment.Elements().size() << " lines, "
      << road.Sections.size() << " cross sections with design lines, areas and volumes): road.xml (LandXML 1.2), "
      << "road.ifc (IFC 4.3)\n";

  const std::string workbook = PathToUtf8(out / "sample-survey.xlsx");
  StoreSessionState(book, context.GetSession());
  RecalculateWorkbook(book);
  SaveWorkbook(book, workbook);
  say << "wrote " << workbook << "\n";
  return kExitDone;
}

}  // namespace

CliCommand AddDemoCommand(CLI::App& app, CliContext& context) {
  auto dir = std::make_shared<std::string>("kestrel-demo");
  CLI::App* command = app.add_subcommand("demo", "run the main job on the bundled sample survey");
  command->add_option("DIR", *dir, "folder for the workbook and every file the demo writes")->capture_default_str();
  return {command, [&context, dir] { return RunDemo(context, *dir); }};
}

const CommandRegistrar kDemoCommandRegistrar(900, AddDemoCommand);

}  // namespace kestrel
