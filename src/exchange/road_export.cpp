// The export of a workbook's road: alignment sources, the road with its design, the files written.
#include "exchange/road_export.h"

#include <cctype>
#include <fstream>
#include <optional>

#include "earthworks/design_command.h"
#include "earthworks/design_results.h"
#include "exchange/ifc_writer.h"
#include "exchange/landxml_reader.h"
#include "exchange/road_sheets.h"
#include "geometry/profile_file.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
  return true;
}

std::vector<DesignSection> DesignOfBook(Application& book, const DesignFiles& files) {
  if (files.Template.empty()) return ReadWorkbookDesignResults(book);
  if (files.Profile.empty()) throw ExportError("a design template needs a profile");
  try {
    const DesignInputs inputs = LoadDesignInputs(files);
    return DesignSections(MeasuredSections(book.ActiveSheet()), inputs);
  } catch (const DesignError& e) {
    throw ExportError(e.what());
  }
}

}  // namespace

bool IsLandXmlFileName(const std::string& name) { return EndsWith(name, ".xml") || EndsWith(name, ".landxml"); }
bool IsCsvFileName(const std::string& name) { return EndsWith(name, ".csv"); }

RoadExchange ReadLandXmlPath(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) throw ExportError(path + ": cannot be read");
  try {
    return ReadLandXml(in);
  } catch (const ExchangeError& e) {
    throw ExportError(path + ": " + e.what());
  }
}

PlanAlignment WorkbookAlignment(Application& book, const std::string& entry, const std::string& source,
                                const StationTableReader& readCsv) {
  try {
    if (!source.empty() && IsLandXmlFileName(source)) {
      PlanAlignment alignment = ReadLandXmlPath(source).Alignment;
      if (alignment.Empty()) throw ExportError(source + ": the alignment has no geometry");
      return alignment;
    }
    if (!source.empty() && IsCsvFileName(source)) {
      if (!readCsv) throw ExportError(source + ": open the table in the workbook and name its sheet instead");
      return AlignmentFromTable(readCsv(source));
    }
    const std::string name = source.empty() ? kStationSheetName : source;
    Worksheet* sheet = FindWorksheet(book, name);
    if (!sheet) {
      if (!source.empty()) throw ExportError(entry + " " + source + ": no such file type or sheet (.csv, .xml or a sheet's name)");
      return {};
    }
    return AlignmentFromTable(TableFromSheet(*sheet));
  } catch (const ExchangeError& e) {
    throw ExportError((source.empty() ? std::string(kStationSheetName) : source) + ": " + e.what());
  }
}

RoadExchange WorkbookRoad(Application& book, PlanAlignment alignment, const DesignFiles& files) {
  if (alignment.Empty()) throw ExportError("no plan geometry; nothing written");
  std::optional<VerticalProfile> profile;
  if (!files.Profile.empty()) {
    profile.emplace();
    if (!LoadProfileFile(files.Profile, *profile)) throw ExportError(files.Profile + ": not a profile file");
  }
  const std::vector<DesignSection> design = DesignOfBook(book, files);
  return RoadFromSurvey(book.ActiveSheet(), std::move(alignment), profile ? &*profile : nullptr, design);
}

void WriteLandXmlFile(const RoadExchange& road, const std::string& path, const ExchangeStamp& stamp) {
  if (!WriteFileAtomically(PathFromUtf8(path), LandXmlText(road, stamp))) throw ExportError("cannot write " + path);
}

void WriteIfcFile(const RoadExchange& road, const std::string& path, const ExchangeStamp& stamp) {
  std::string text;
  try {
    text = IfcText(road, PathToUtf8(PathFromUtf8(path).filename()), stamp);
  } catch (const ExchangeError& e) {
    throw ExportError(path + ": " + e.what());
  }
  if (!WriteFileAtomically(PathFromUtf8(path), text)) throw ExportError("cannot write " + path);
}

}  // namespace kestrel
