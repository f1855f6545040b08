// Checks shared by the dialog tests: the caption band on the screen against the core's rendering,
// Kestrel.dll's Connect object, and the path of the DLL under test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "kestrel_h.h"
#include "ui_driver.h"
#include "util/caption_band.h"

namespace kestrel::testing {

// The Windows path of the Kestrel.dll under test, set by the program's wmain.
inline std::wstring& DllPath() {
  static std::wstring path;
  return path;
}

// Kestrel.dll's Connect object, made through its class factory.
template <class T>
HRESULT CreateConnect(HMODULE dll, REFIID iid, T** object) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  if (get == nullptr) return E_NOINTERFACE;
  IClassFactory* factory = nullptr;
  HRESULT hr = get(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object));
  factory->Release();
  return hr;
}

// Kestrel.dll's add-in as a host holds it: Connect makes the Connect object and hands it the
// host's Application (call it in ASSERT_NO_FATAL_FAILURE); Disconnect ends the connection as
// the host does at shutdown and releases the object.
//   ConnectedAddIn addIn;
//   ASSERT_NO_FATAL_FAILURE(addIn.Connect(dll, excel.Application()));
//   RibbonCall(addIn.connect, L"FunHdmOrder");
struct ConnectedAddIn {
  _Connect* connect = nullptr;
  IDTExtensibility2* extensibility = nullptr;

  ConnectedAddIn() = default;
  ConnectedAddIn(const ConnectedAddIn&) = delete;
  ConnectedAddIn& operator=(const ConnectedAddIn&) = delete;
  ~ConnectedAddIn() { Release(); }

  void Connect(HMODULE dll, IDispatch* application) {
    ASSERT_EQ(CreateConnect(dll, IID__Connect, &connect), S_OK);
    ASSERT_EQ(connect->QueryInterface(IID_IDTExtensibility2, reinterpret_cast<void**>(&extensibility)), S_OK);
    ASSERT_EQ(extensibility->OnConnection(application, ext_cm_Startup, nullptr, nullptr), S_OK);
  }
  void Disconnect() {
    if (extensibility != nullptr) EXPECT_EQ(extensibility->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    Release();
  }

 private:
  void Release() {
    if (extensibility != nullptr) extensibility->Release();
    if (connect != nullptr) connect->Release();
    extensibility = nullptr;
    connect = nullptr;
  }
};

// The caption band as painted on the screen against the core's rendering: band pixels away from
// the text exactly, and dark caption pixels inside the text rectangle. expectedHeight -1: any
// band taller than 10 pixels (bands whose height the template sets).
inline void CheckCaptionBand(UiDriver& driver, HWND band, int expectedHeight = 24) {
  RECT r = {};
  GetClientRect(band, &r);
  const int width = r.right, height = r.bottom;
  driver.Check(width > 100 && (expectedHeight < 0 ? height > 10 : height == expectedHeight),
               "the band is " + std::to_string(width) + " x " + std::to_string(height));
  if (width <= 100 || height <= 0) return;
  HDC screen = GetDC(band);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  auto pixel = [&](int x, int y) {
    DWORD p = static_cast<const DWORD*>(bits)[static_cast<size_t>(y) * width + x];
    return Rgb{static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
  };
  PixelBuffer expected = RenderCaptionBand(width, height);
  for (auto [x, y] : {std::pair{width - 2, 1}, {width - 2, 10}, {width - 2, 19}, {width - 2, 21}, {0, 12},
                      {width / 2, height - 1}, {width - 1, 5}, {4, 8}}) {
    if (y >= height) continue;
    Rgb got = pixel(x, y), want = expected.At(x, y);
    driver.Check(got == want, "band pixel " + std::to_string(x) + "," + std::to_string(y) + " is " +
                                  std::to_string(got.r) + "," + std::to_string(got.g) + "," + std::to_string(got.b) +
                                  ", rendered " + std::to_string(want.r) + "," + std::to_string(want.g) + "," +
                                  std::to_string(want.b));
  }
  TextRect text = CaptionTextRect(width);
  int dark = 0;
  for (int y = text.top; y < text.bottom; ++y) {
    for (int x = text.left; x < text.right; ++x) dark += pixel(x, y).r < 110 ? 1 : 0;
  }
  driver.Check(dark > 40, "the caption drew " + std::to_string(dark) + " dark pixels");
  SelectObject(memory, previous);
  DeleteObject(shot);
  DeleteDC(memory);
  ReleaseDC(band, screen);
}

}  // namespace kestrel::testing
