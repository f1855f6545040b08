// BsDown on Win32: a WinINet download on a worker thread whose events come back to the
// user-interface thread through a message window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "cadplugin/form_cad.h"

namespace kestrel {

class ModalDialogs;

// DownLoadFile reads the URL into a new file of the temporary folder, bypassing WinINet's cache
// (INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, no-cache request headers). Progress,
// completion (status kAsyncReadDone, with the file) and errors (status 0: no connection, an HTTP
// status other than 200, a write that failed) are posted to a message window of the calling thread
// and raised there on the FormCad that asked, through its window's event path. The file is deleted
// once the completion event has run, and on error or cancellation. One read at a time: a new
// request cancels the one before. While a worker runs the module stays loaded.
class Win32Downloader final : public Downloader {
 public:
  explicit Win32Downloader(ModalDialogs& dialogs);
  ~Win32Downloader() override;
  Win32Downloader(const Win32Downloader&) = delete;
  Win32Downloader& operator=(const Win32Downloader&) = delete;

  void DownLoadFile(FormCad& requester, std::string_view target, std::string_view schedule) override;
  // Ends the running read: no event follows, its handles are closed (on Windows that aborts a
  // pending network call; Wine's WinINet finishes the call first, within the 30 s receive
  // timeout) and the worker deletes its file as it ends.
  void CancelDownload(std::string_view property) override;

  struct Job;  // shared by the worker thread and the window

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Arrived(UINT message, WPARAM wParam, LPARAM lParam);

  FormCad* requester_ = nullptr;
  ModalDialogs& dialogs_;
  HWND window_ = nullptr;
  std::shared_ptr<Job> job_;
  std::string property_;
};

}  // namespace kestrel
