// Connect: host connection, ribbon description and pictures, callback routing.
#include "addin/connect.h"

#include <utility>

#include "addin/commands.h"
#include "addin/session.h"

namespace kestrel {

extern const char kRibbonXml[];  // resources/ribbon.xml, embedded at build time

void Connect::OnConnection(Application* host) { session_.HostApplication = host; }

void Connect::OnDisconnection() { session_.HostApplication = nullptr; }

std::string Connect::GetCustomUI(std::string_view /*ribbonId*/) const { return GetRibbonXML(); }

std::string Connect::GetRibbonXML() const { return kRibbonXml; }

std::string_view Connect::ImageFor(std::string_view controlId) {
  static constexpr std::pair<std::string_view, std::string_view> kImages[] = {
      {"hdmStor", "STOR"}, {"hdmDraw", "DRAW"},           {"SaveDicFile1", "SAVE"},
      {"CADtool", "CAD"},  {"hdmDrawSheet", "DRWTABEL"}, {"AboatHelp", "HELP"},
  };
  for (const auto& [id, picture] : kImages) {
    if (id == controlId) return picture;
  }
  return "";
}

bool Connect::RunCallback(std::string_view callbackName) {
  const RibbonCommand* command = FindRibbonCommand(callbackName);
  if (command == nullptr) return false;
  RunRibbonCommand(*command, platform_, session_.HostApplication, session_);
  return true;
}

}  // namespace kestrel
