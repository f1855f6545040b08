// kestrel draw: the draw-data columns of a sorted sheet, with the drawing settings dialog's entries;
// the same drawing as a DXF file, an AutoCAD script and a preview picture on request (the first
// cross-section sheet, one section in detail, or the whole drawing).
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "dictionary_option.h"
#include "file_checks.h"
#include "earthworks/design_results.h"
#include "io/drawing_preview.h"
#include "io/section_plot.h"
#include "sections/draw_data.h"
#include "sections/drawing_dxf.h"
#include "sections/drawing_script.h"
#include "sections/drawing_shapes.h"
#include "sections/form_set.h"
#include "sections/section_sheets.h"
#include "sheet_options.h"
#include "util/number_text.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

struct DrawOptions {
  BookOptions book;
  std::string columnSpacing = "200";
  std::string rowSpacing = "0";
  std::string stationDx = "0";
  std::string stationDy = "20";
  std::string stationHeight = "1";
  int labelMode = 1;
  std::string digits = "3";
  std::string levelHeight = "0.7";
  bool labelOffsets = false;
  std::string dic;
  std::string dxf;
  std::string script;
  std::string preview;
  std::string previewSize;  // "WIDTHxHEIGHT" in pixels; empty: from the drawing
  std::string section;      // the preview shows this section in detail
  bool previewOverview = false;  // the preview shows the whole drawing
};

PreviewOptions PreviewOptionsOf(const DrawOptions& options, const std::string& title) {
  PreviewOptions preview;
  preview.title = title;
  if (!options.previewSize.empty()) {
    char end = 0;
    if (std::sscanf(options.previewSize.c_str(), "%dx%d%c", &preview.width, &preview.height, &end) != 2 ||
        preview.width < 16 || preview.height < 16 || preview.width > 20000 || preview.height > 20000) {
      throw CliError("--preview-size: WIDTHxHEIGHT in pixels, 16 to 20000 each, e.g. 1600x900");
    }
  }
  return preview;
}

// "实测横断面: 2 sections, K0+100.000 to K0+120.000"
std::string PreviewTitle(const std::string& sheet, const DrawingPlan& plan) {
  std::string title =
      sheet + ": " + std::to_string(plan.sections.size()) + (plan.sections.size() == 1 ? " section" : " sections");
  if (!plan.sections.empty()) {
    title += ", " + plan.sections.front().Surveyed.StationText;
    if (plan.sections.size() > 1) title += " to " + plan.sections.back().Surveyed.StationText;
  }
  return title;
}

// Scales a section is shown at in detail, the largest that fits the page taken.
constexpr int kDetailScales[] = {20, 50, 100, 200, 500, 1000, 2000, 5000};

bool IsSectionAt(const std::string& station, double value, const std::string& typed) {
  return station == typed || std::fabs(value - TypedStation(typed).value_or(-1e300)) < 0.0005;
}

// The first sheet of the plot's layout, or the chosen section alone at the largest scale that
// fits the page.
std::string WriteSheetPreview(const DrawOptions& options, std::vector<SheetSection> sections, const std::string& title) {
  SheetOptions sheet;
  if (!options.section.empty()) {
    std::erase_if(sections, [&](const SheetSection& s) { return !IsSectionAt(s.stationText, s.station, options.section); });
    if (sections.empty()) return "--section: no section at " + options.section;
    sections.resize(1);
    sheet.columns = 1;
    for (int scale : kDetailScales) {
      sheet.scale = scale;
      if (!LayOutSheets(sections, sheet).placed.front().scaledDown) break;
    }
  }
  const PreviewOptions size = PreviewOptionsOf(options, "");
  return WriteSheetPagePicture(sections, LayOutSheets(sections, sheet), 0, title, options.preview, size.width,
                               size.height);
}

// The files asked for, each rendered from the plan that the columns were written from (with the
// design lines and areas of a design run when the workbook holds its results). They are
// written before the workbook; when one (or the workbook) cannot be written, the command's output
// journal puts those written before it back as they were, so that either every file asked for
// is written or none is.
void WriteDrawingFiles(CliContext& context, const DrawOptions& options, const DrawingPlan& plan) {
  if (options.dxf.empty() && options.script.empty() && options.preview.empty()) return;
  RenderedDrawing rendered = RenderDrawing(plan, *WorkbookDesignResults(context.Book()));
  std::vector<std::string> written;
  auto fail = [&](const std::string& message) { throw CliError(message); };
  auto write = [&](const std::string& path, const std::string& bytes) {
    if (std::string why; !WriteFileAtomically(PathFromUtf8(path), bytes, &why))
      fail("cannot write " + path + ": " + why);
    written.push_back(path);
  };
  if (!options.dxf.empty()) write(options.dxf, DrawingDxf(rendered.Shapes));
  if (!options.script.empty()) write(options.script, DrawingScript(rendered.Shapes));
  if (!options.preview.empty()) {
    const std::string sheet = context.Book().Active().Name();
    const std::string error =
        options.previewOverview
            ? WriteDrawingPreview(rendered.Shapes, options.preview, PreviewOptionsOf(options, PreviewTitle(sheet, plan)))
            : plan.sections.empty() ? std::string("--preview: the sheet has no sections to show")
                                    : WriteSheetPreview(options, std::move(rendered.Sheets), sheet);
    if (!error.empty()) fail(error);
    written.push_back(options.preview);
  }
  for (const std::string& path : written) context.Err() << "wrote " << path << "\n";
}

int Draw(CliContext& context, const DrawOptions& options) {
  if (!options.dic.empty()) RequireInputFile(options.dic);
  CheckOutputs(options.book.book, options.book.output,
               {{"--dxf", options.dxf}, {"--script", options.script}, {"--preview", options.preview}});
  context.OpenBook(options.book);
  // A preview that cannot be made stops the command before it changes anything.
  if (!options.preview.empty()) {
    if (!IsPreviewFileName(options.preview)) throw CliError("--preview: a .png or an .svg file: " + options.preview);
    PreviewOptionsOf(options, "");
  }
  if (!options.section.empty()) {
    if (options.preview.empty()) throw CliError("--section: shown in the --preview picture, which is not asked for");
    bool found = false;
    for (const SurveyedSection& s : ReadSurveyedSections(context.Book().Active()))
      found = found || IsSectionAt(s.StationText, s.Station, options.section);
    if (!found) throw CliError("--section: no section at " + options.section);
  }
  if (!options.dic.empty() && !LoadDictionary(context, options.dic))
    return context.Finish(CommandOutcome::Cancelled, options.book);
  const DrawRequest request = DrawRequestFrom({options.columnSpacing, options.rowSpacing, options.stationDx,
                                               options.stationDy, options.stationHeight, options.digits,
                                               options.levelHeight, options.labelMode, options.labelOffsets,
                                               !options.dic.empty()});
  CommandContext command = context.Command();
  DrawingPlan plan;
  const CommandOutcome outcome = DrawSections(command, request, context.GetSession().Sections, plan);
  if (outcome == CommandOutcome::Completed) {
    context.Err() << "drew " << context.GetSession().Sections.SectionCount << " sections, "
                  << context.GetSession().Sections.LabelCommands.size() << " level labels\n";
  }
  if (outcome == CommandOutcome::Completed) WriteDrawingFiles(context, options, plan);
  plan = {};  // the drawing is in the sheet and the files: its room goes back before the save
  return context.Finish(outcome, options.book);
}

}  // namespace

CliCommand AddDrawCommand(CLI::App& app, CliContext& context) {
  auto options = std::make_shared<DrawOptions>();
  CLI::App* command = app.add_subcommand("draw", "write the CAD command columns that draw every section (draw data)");
  CliContext::AddBookOptions(*command, options->book, true, false);
  command->add_option("--column-spacing", options->columnSpacing, "horizontal distance between sections")
      ->capture_default_str();
  command->add_option("--row-spacing", options->rowSpacing, "vertical distance between sections")
      ->capture_default_str();
  command->add_option("--station-dx", options->stationDx, "station label, x from the section's zero point")
      ->capture_default_str();
  command->add_option("--station-dy", options->stationDy, "station label, y from the section's zero point")
      ->capture_default_str();
  command->add_option("--station-height", options->stationHeight, "station text height")->capture_default_str();
  command->add_option("--label-mode", options->labelMode, "level labels: 0 centre, 1 ends and centre, 2 every point")
      ->check(CLI::Range(0, 2))
      ->capture_default_str();
  command->add_option("--digits", options->digits, "decimals of the level labels")->capture_default_str();
  command->add_option("--level-height", options->levelHeight, "level text height")->capture_default_str();
  command->add_flag("--label-offsets", options->labelOffsets, "label the offsets as well");
  command->add_option("--dic", options->dic, "place sections found in this station-location dictionary (.Dic)");
  command->add_option("--dxf", options->dxf, "also write the drawing as a DXF file (AutoCAD 2007, UTF-8)");
  command->add_option("--script", options->script,
                      "also write the drawing as an AutoCAD script (.scr, run with SCRIPT)");
  command->add_option("--preview", options->preview,
                      "also write a preview picture (.png or .svg): the first page of the plotted sheets");
  command->add_option("--preview-size", options->previewSize,
                      "the preview's size in pixels, WIDTHxHEIGHT (default: from the page or the drawing)");
  auto* section =
      command->add_option("--section", options->section, "the preview shows this section alone (K12+235.5 or 12235.5)");
  command->add_flag("--preview-overview", options->previewOverview,
                    "the preview shows the whole drawing true to scale instead")
      ->excludes(section);
  return {command, [&context, options] { return Draw(context, *options); }};
}

const CommandRegistrar kDrawCommandRegistrar(70, AddDrawCommand);

}  // namespace kestrel
