// The objects of a server work through the context their class object handed them: a host that
// connects through one context's Connect object is that context's alone, from connection to
// disconnection, and a ClsFunction answers from its own context's host.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "com/automation_objects.h"
#include "com/connect_object.h"
#include "com/server_context.h"
#include "fake_excel/fake_excel.h"
#include "kestrel_h.h"
#include "platform/wide_text.h"
#include "workbook/memory_workbook.h"

namespace kestrel {
namespace {

template <class T>
struct Held {
  ~Held() {
    if (p != nullptr) p->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&p); }
  T* p = nullptr;
};

// RangeAddress of a new ClsFunction of `context`: the calling cell's address, or the failure.
std::string CallerAddress(ServerContext& context) {
  Held<_ClsFunction> functions;
  if (FAILED(CreateFunctionObject(context, IID__ClsFunction, functions.Out()))) return "no object";
  BSTR text = nullptr;
  HRESULT hr = functions.p->RangeAddress(&text);
  std::string address = SUCCEEDED(hr) ? FromBstr(text) : "failed";
  SysFreeString(text);
  return address;
}

TEST(ServerContext, AConnectedHostIsThatOfTheContextOfItsConnectObjectAlone) {
  MemoryWorkbook book;
  book.SetCaller(CallerCell{"Sheet1", {4, 7}});
  testing::FakeExcel excel(book);
  ServerContext mine, other;
  Held<IDTExtensibility2> addIn;
  ASSERT_EQ(ConnectObject::Create(mine, IID_IDTExtensibility2, addIn.Out()), S_OK);

  ASSERT_EQ(addIn.p->OnConnection(excel.Application(), ext_cm_Startup, nullptr, nullptr), S_OK);
  ASSERT_NE(mine.Host(), nullptr);
  EXPECT_EQ(mine.session.HostApplication, mine.Host());
  EXPECT_EQ(CallerAddress(mine), "G4");
  EXPECT_EQ(other.Host(), nullptr);
  EXPECT_EQ(other.session.HostApplication, nullptr);
  EXPECT_EQ(CallerAddress(other), "failed");
  EXPECT_EQ(LibraryContext().Host(), nullptr);

  ASSERT_EQ(addIn.p->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
  EXPECT_EQ(mine.Host(), nullptr);
  EXPECT_EQ(mine.session.HostApplication, nullptr);
  EXPECT_EQ(CallerAddress(mine), "failed");
}

}  // namespace
}  // namespace kestrel
