// The type library's source against the tables it must agree with: the class table, the ribbon's
// command table and the worksheet-function catalogue.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "addin/commands.h"
#include "registration/registration.h"
#include "geometry/function_catalogue.h"

namespace kestrel {
namespace {

std::string Idl(const std::string& path = "/win/kestrel.idl") {
  std::ifstream file(std::string(KESTREL_SOURCE_DIR) + path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The text of the block that starts with `head` ("coclass FunCad", "interface _Ini : IDispatch"),
// up to its closing "};", with the attribute block before it.
std::string Block(const std::string& idl, const std::string& head) {
  size_t at = idl.find(head);
  if (at == std::string::npos) return "";
  size_t attributes = idl.rfind('[', idl.rfind(']', at));
  size_t end = idl.find("};", at);
  return idl.substr(attributes, end - attributes);
}

std::string Unbraced(std::string_view guid) { return std::string(guid.substr(1, guid.size() - 2)); }

// Each row in the type library of its program: Kestrel.dll's or Hollin.exe's.
TEST(TypeLibrarySource, EveryRowOfTheClassTableHasItsCoclassAndDefaultInterface) {
  const std::string idl = Idl();
  const std::string hollinIdl = Idl("/hollin/hollin.idl");
  ASSERT_FALSE(idl.empty());
  ASSERT_FALSE(hollinIdl.empty());
  EXPECT_FALSE(LocalServerClasses().empty());
  for (const ComClass& c : ComClasses()) {
    const std::string& source = c.server == ServerKind::InProcess ? idl : hollinIdl;
    const std::string coclass = Block(source, "coclass " + std::string(c.name) + "\n");
    EXPECT_NE(coclass.find("uuid(" + Unbraced(c.clsid) + ")"), std::string::npos) << c.name;
    EXPECT_NE(coclass.find("[default] interface " + std::string(c.interfaceName) + ";"), std::string::npos) << c.name;
    const std::string interface = Block(source, "interface " + std::string(c.interfaceName) + " : IDispatch");
    EXPECT_NE(interface.find("uuid(" + Unbraced(c.interfaceId) + ")"), std::string::npos) << c.name;
  }
  EXPECT_EQ(idl.find("uuid(" + Unbraced(kTypeLibId) + ")") != std::string::npos, true);
  EXPECT_EQ(hollinIdl.find("uuid(" + Unbraced(kHollinTypeLibId) + ")") != std::string::npos, true);
}

// The host calls the ribbon's callbacks by name; the type library lists them for early-bound
// callers with the ids Connect's IDispatch gives them: the command table's order from 0x100.
TEST(TypeLibrarySource, RibbonCallbacksAreTheCommandTableInOrder) {
  const std::string commands = Block(Idl(), "dispinterface ConnectCommands");
  std::regex method(R"(\[id\(0x([0-9A-Fa-f]+)\)\] void (\w+)\(\[in\] IDispatch\* control\);)");
  std::vector<std::string> listed, expected;
  int index = 0;
  for (auto it = std::sregex_iterator(commands.begin(), commands.end(), method); it != std::sregex_iterator(); ++it) {
    EXPECT_EQ(std::stoi((*it)[1], nullptr, 16), 0x100 + index++) << (*it)[2];
    listed.push_back((*it)[2]);
  }
  for (const RibbonCommand& c : RibbonCommands()) expected.emplace_back(c.callback);
  EXPECT_EQ(listed, expected);
}

TEST(TypeLibrarySource, ClsFunctionListsTheCatalogueInSlotOrder) {
  const std::string functions = Block(Idl(), "interface _ClsFunction : IDispatch");
  std::regex method(R"(\[id\((\d+)\)\] HRESULT (\w+)\()");
  std::vector<std::string> listed, expected;
  for (auto it = std::sregex_iterator(functions.begin(), functions.end(), method); it != std::sregex_iterator(); ++it) {
    EXPECT_EQ(std::stoi((*it)[1]), static_cast<int>(listed.size()) + 1) << (*it)[2];
    listed.push_back((*it)[2]);
  }
  for (const WorksheetFunction& f : WorksheetFunctions()) expected.emplace_back(f.name);
  EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace kestrel
