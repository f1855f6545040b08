// Loads a bitmap resource as a DIB section (keeping its alpha) and wraps it with OleCreatePictureIndirect.
#include "ribbon_picture.h"

#include <olectl.h>

#include <string>

#include "com_error.h"
#include "module.h"
#include "platform/wide_text.h"

namespace kestrel {

IPictureDisp* LoadRibbonPicture(std::string_view name) {
  std::wstring resourceName = ToWide(name);
  auto bitmap = static_cast<HBITMAP>(
      LoadImageW(ThisModule(), resourceName.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) {
    throw ComError(HRESULT_FROM_WIN32(GetLastError()), "The picture " + std::string(name) + " is missing");
  }
  PICTDESC description = {};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = bitmap;
  IPictureDisp* picture = nullptr;
  HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture));
  if (FAILED(hr)) {
    DeleteObject(bitmap);
    CheckHresult(hr, "OleCreatePictureIndirect");
  }
  return picture;
}

}  // namespace kestrel
