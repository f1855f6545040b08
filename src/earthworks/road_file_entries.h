// The entries of a dialog that names the road's files: profile, cross slopes, widening, template.
#pragma once

#include "host/dialogs.h"
#include "earthworks/design_inputs.h"

namespace kestrel {

enum class RoadFile { Profile, Slopes, Widening, Template };

// Opens the chooser of that kind of file, with its filter and title, into the box.
void ChooseRoadFile(Ui& ui, Control& box, RoadFile file);

// The files the four entries name, trimmed.
DesignFiles RoadFilesOf(const Control& profile, const Control& slopes, const Control& widening, const Control& tpl);

}  // namespace kestrel
