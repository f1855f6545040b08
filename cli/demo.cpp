// The demo: what the tool can do today, on sample stations, written into one folder.
#include "demo.h"

#include <filesystem>

#include "addin/connect.h"
#include "util/number_text.h"
#include "util/text_file.h"

namespace kestrel {

int RunDemo(const std::string& dir, std::ostream& out) {
  std::filesystem::create_directories(PathFromUtf8(dir));
  out << "Kestrel demo in " << dir << "\n";

  // Station texts and level labels of a few surveyed stations.
  const double stations[] = {12235.689, 12240, 12999.9996, 235.689};
  out << "station        text             level label (3 decimals)\n";
  for (double s : stations) {
    out << GeneralText(s) << std::string(15 - GeneralText(s).size(), ' ') << StationText(s)
        << std::string(17 - StationText(s).size(), ' ') << FormatDecimal(s / 100.0, 3) << "\n";
  }

  // A station list as the add-in's data files store it: UTF-16 with FF FE, CR LF lines.
  std::string text = "KestrelFile2.0\r\n";
  for (double s : stations) text += GeneralText(s) + ",0,0,0\r\n";
  std::string file = PathToUtf8(PathFromUtf8(dir) / "stations.Dic");
  if (WriteTextFile(file, text, true) != 1) {
    out << "could not write " << file << "\n";
    return 2;
  }
  out << "wrote " << file << " (" << std::filesystem::file_size(PathFromUtf8(file)) << " bytes, UTF-16)\n";
  return 0;
}

}  // namespace kestrel
