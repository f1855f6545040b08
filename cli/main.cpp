// kestrel: the add-in's commands on workbook files, from the command line.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

#include "demo.h"

int main(int argc, char** argv) {
  CLI::App app{"kestrel: road cross-section tools on spreadsheet workbooks"};
  app.set_version_flag("--version", std::string("kestrel ") + KESTREL_VERSION);
  app.require_subcommand(1);

  std::string demoDir = "kestrel-demo";
  auto* demo = app.add_subcommand("demo", "run the main job on the bundled sample survey");
  demo->add_option("DIR", demoDir, "folder for the demo's files")->capture_default_str();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  try {
    if (*demo) return kestrel::RunDemo(demoDir, std::cout);
  } catch (const std::exception& e) {
    std::cerr << "kestrel: " << e.what() << "\n";
    return 2;
  }
  return 0;
}
