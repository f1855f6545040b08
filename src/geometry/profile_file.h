// The vertical-profile file (.ZM): its name rules, text, loading, and the command that saves it.
#pragma once

#include <string>
#include <string_view>

#include "host/command_context.h"
#include "geometry/vertical_curve.h"

namespace kestrel {

inline constexpr std::string_view kProfileMagic = "QuillbeckFile2.0-ZM";

// How absolute paths look: with a drive ("C:\road.ZM"; Windows), or from the root ("/road.ZM").
enum class PathStyle { Drive, Root };
PathStyle NativePathStyle();

// The file a profile name given to GetH stands for: ".ZM" appended unless the name ends with it
// in any case; then, with drives, a name without ":\" is taken inside the module folder; from
// the root, a name not starting with "/" is.
//   ("road", "C:\Kestrel", Drive) -> "C:\Kestrel\road.ZM";  ("/data/a.zm", "/opt/k", Root) -> "/data/a.zm"
std::string ProfileFilePath(std::string_view name, std::string_view moduleFolder,
                            PathStyle style = NativePathStyle());

// The file's text: the magic line, then per record "StartStation,StartElevation,PviStation,
// PviElevation,EndStation,EndElevation,Radius" in the general form ("." whatever the locale),
// every line ending with CR LF.
std::string ProfileFileText(const VerticalProfile& records);

// Replaces the profile by the file's records, elements computed: 1. A blank line between
// records gives a record of zeros at its place; a file with the magic line only gives an empty
// profile. 0 for a missing or unreadable file, another first line (case counts), a line with
// fewer than seven fields or a field that is not a number: the profile is then one all-zero
// record.
int LoadProfileFile(std::string_view path, VerticalProfile& profile);

// The ribbon's "保存竖曲线文件": the profile table in columns A to C of the active sheet (rows
// from 1 while A is filled, no header) saved as a .ZM file under a name the user gives. A sheet
// with fewer than three points gives the magic line only. Completed when written, Cancelled
// when no name was given, Stopped on a failure (said in a message).
CommandOutcome SaveProfileFile(CommandContext& context);

}  // namespace kestrel
