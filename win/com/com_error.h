// The barrier of every COM method: an exception becomes an HRESULT plus the thread's error info.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrel {

// A failed system or COM call inside the Windows shell.
class ComError : public std::runtime_error {
 public:
  ComError(HRESULT code, const std::string& what) : std::runtime_error(what), code_(code) {}
  HRESULT Code() const { return code_; }

 private:
  HRESULT code_;
};

// Throws ComError (with the HRESULT in its text) when hr is a failure.
void CheckHresult(HRESULT hr, std::string_view what);

// Sets the thread's error info for interface iid (source "Kestrel") and returns hr.
HRESULT SetComError(REFIID iid, HRESULT hr, std::string_view description) noexcept;

// Maps the exception being handled to an HRESULT with error info; call only inside a catch block.
HRESULT CurrentExceptionToHresult(REFIID iid) noexcept;

// Runs body (which returns an HRESULT) so that no exception leaves it: every COM entry point of the
// library goes through here, since an exception must never unwind into a caller's frames.
//   return ComBarrier(IID__Connect, [&] { ...; return S_OK; });
template <class Body>
HRESULT ComBarrier(REFIID iid, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return CurrentExceptionToHresult(iid);
  }
}

// "0x80004005"
std::string HresultText(HRESULT hr);

}  // namespace kestrel
