// The road-file entries' choosers and the files they name.
#include "earthworks/road_file_entries.h"

#include "util/unicode.h"

namespace kestrel {

void ChooseRoadFile(Ui& ui, Control& box, RoadFile file) {
  switch (file) {
    case RoadFile::Profile:
      return ChooseFileToOpen(ui, box, "Quillbeck项目纵断面文件(*.ZM),*.ZM", "选择纵断面文件");
    case RoadFile::Slopes:
      return ChooseFileToOpen(ui, box, "横坡文件(*.hp),*.hp", "选择横坡文件");
    case RoadFile::Widening:
      return ChooseFileToOpen(ui, box, "横坡文件(*.hp),*.hp", "选择加宽文件");
    case RoadFile::Template:
      return ChooseFileToOpen(ui, box, "路基模板文件(*.tpl),*.tpl", "选择路基模板文件");
  }
}

DesignFiles RoadFilesOf(const Control& profile, const Control& slopes, const Control& widening, const Control& tpl) {
  return {Trimmed(profile.text), Trimmed(slopes.text), Trimmed(widening.text), Trimmed(tpl.text)};
}

}  // namespace kestrel
