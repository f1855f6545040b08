// The tool's checks of the files a command names, made before it reads or writes anything.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

// A file the command reads (a dictionary, a workbook): "road.Dic: no such file" as a CliError
// (exit 2) when it is missing or is a folder.
void RequireInputFile(const std::string& path);

// One file a command writes besides the workbook: the option that names it and the path.
struct SideOutput {
  std::string option;  // "--dxf", "FILE"
  std::string path;    // empty: not asked for
};

// Refuses (CliError, exit 2) an output that may not be written (RequireWritableOutput, -o
// included) and a side output that is the same file as the workbook, as the file
// the workbook is written to (`bookOutput`, empty for over BOOK), or as another side output.
// Existing files are compared by device and inode, so links and other spellings of a path are
// caught; files still to be made by their resolved paths.
//   CheckOutputs("B.xlsx", "", {{"--dxf", "B.xlsx"}});   // throws: --dxf B.xlsx is the workbook
void CheckOutputs(const std::string& book, const std::string& bookOutput, const std::vector<SideOutput>& outputs);

// Refuses (CliError, exit 2) an output that no write could fit: a device, a pipe or another
// special file, or a link to one. (A read-only file or a missing folder fails the write itself.)
//   RequireWritableOutput("FILE", "/tmp/fifo");   // throws: cannot write /tmp/fifo (FILE): is not a regular file ...
void RequireWritableOutput(const std::string& option, const std::string& path);

// Whether two paths name the same file, as CheckOutputs compares them.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kestrel
