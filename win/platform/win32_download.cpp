// Win32Downloader: WinINet on a worker thread, events posted back to the user-interface thread.
#include "win32_download.h"

#include <wininet.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "message_window.h"
#include "dialogs/modal_dialogs.h"
#include "com/module.h"
#include "wide_text.h"

namespace kestrel {

struct Win32Downloader::Job {
  std::wstring url, file;
  HWND window = nullptr;
  LPARAM id = 0;
  std::atomic<bool> cancelled{false};
  std::mutex handles;  // the canceller closes the worker's handles to abort a pending call
  HINTERNET internet = nullptr, request = nullptr;

  void CloseHandles() {
    std::lock_guard<std::mutex> lock(handles);
    if (request != nullptr) InternetCloseHandle(request);
    if (internet != nullptr) InternetCloseHandle(internet);
    request = internet = nullptr;
  }
};

namespace {

constexpr UINT kProgress = WM_APP + 1;  // wParam: bytes so far
constexpr UINT kDone = WM_APP + 2;      // wParam: status
constexpr int kDownloadingData = 5;    // the progress events' status
constexpr DWORD kLargestInstaller = 64u << 20;
constexpr DWORD kSilenceMs = 30000;
std::atomic<LPARAM> lastJobId{0};

using Job = Win32Downloader::Job;

// Runs the transfer; true when every byte is in the file.
bool Transfer(Job& job) {
  HINTERNET internet = InternetOpenW(L"Kestrel", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  // A silent server ends the read after this long, so that no worker waits for ever.
  DWORD timeout = kSilenceMs;
  if (internet != nullptr) {
    InternetSetOptionW(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  }
  {
    std::lock_guard<std::mutex> lock(job.handles);
    job.internet = internet;
    if (internet == nullptr || job.cancelled) return false;
  }
  static const wchar_t kHeaders[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  HINTERNET request = InternetOpenUrlW(internet, job.url.c_str(), kHeaders, static_cast<DWORD>(-1), flags, 0);
  {
    std::lock_guard<std::mutex> lock(job.handles);
    if (job.cancelled) {
      if (request != nullptr) InternetCloseHandle(request);
      return false;
    }
    job.request = request;
  }
  if (request == nullptr) return false;
  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
      status != 200) {
    return false;
  }
  HANDLE file = CreateFileW(job.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  DWORD total = 0;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (job.cancelled || !InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
      ok = false;
      break;
    }
    if (read == 0) break;  // the end of the data
    DWORD written = 0;
    total += read;
    if (total > kLargestInstaller || !WriteFile(file, buffer.data(), read, &written, nullptr) || written != read) {
      ok = false;
      break;
    }
    PostMessageW(job.window, kProgress, total, job.id);
  }
  return CloseHandle(file) && ok && !job.cancelled;
}

// What a worker is handed: its job, and a reference on this module that it gives back as it exits,
// so that the code it runs stays loaded even when a cancelled read outlives the downloader's use.
struct WorkerStart {
  std::shared_ptr<Job> job;
  HMODULE module = nullptr;
};

DWORD WINAPI Worker(void* parameter) {
  HMODULE module = nullptr;
  {
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    module = start->module;
    Job& job = *start->job;
    const bool ok = Transfer(job);
    job.CloseHandles();
    if (!ok) DeleteFileW(job.file.c_str());
    if (!job.cancelled) PostMessageW(job.window, kDone, ok ? kAsyncReadDone : 0, job.id);
  }
  UnlockModule();
  if (module != nullptr) FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

Win32Downloader::Win32Downloader(ModalDialogs& dialogs) : dialogs_(dialogs) {}

Win32Downloader::~Win32Downloader() {
  // At unload the worker may still run; it only touches its own Job, which it co-owns.
  if (job_) job_->cancelled = true;
  DestroyMessageWindow(window_);
}

void Win32Downloader::DownLoadFile(FormCad& requester, std::string_view target, std::string_view schedule) {
  CancelDownload(property_);
  requester_ = &requester;
  if (window_ == nullptr || !IsWindow(window_)) {
    window_ = CreateMessageWindow(L"KestrelDownloadWindow", &Procedure, this);
  }
  auto job = std::make_shared<Job>();
  job->url = ToWide(target);
  job->window = window_;
  job->id = ++lastJobId;
  wchar_t folder[MAX_PATH + 1] = {}, file[MAX_PATH + 1] = {};
  const bool named = GetTempPathW(MAX_PATH + 1, folder) != 0 && GetTempFileNameW(folder, L"ksd", 0, file) != 0;
  job->file = file;
  property_ = schedule;
  auto* handed = new WorkerStart{job, nullptr};
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Worker), &handed->module);
  LockModule();
  HANDLE thread = named ? CreateThread(nullptr, 0, &Worker, handed, 0, nullptr) : nullptr;
  if (thread == nullptr) {
    if (handed->module != nullptr) FreeLibrary(handed->module);
    delete handed;
    UnlockModule();
    if (named) DeleteFileW(file);
    PostMessageW(window_, kDone, 0, job->id);  // the error event, as for any other failed read
  } else {
    CloseHandle(thread);
  }
  job_ = job;
}

void Win32Downloader::CancelDownload(std::string_view property) {
  if (!job_ || property != property_) return;
  job_->cancelled = true;
  job_->CloseHandles();
  job_.reset();
}

void Win32Downloader::Arrived(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!job_ || job_->id != lParam) return;  // a read that was cancelled or replaced
  FormCad* form = requester_;
  if (message == kProgress) {
    if (form != nullptr) dialogs_.Raise(*form, [&] { form->OnAsyncReadProgress({kDownloadingData, ""}); });
    return;
  }
  const std::shared_ptr<Job> job = std::move(job_);
  const std::string file = FromWide(job->file);
  if (form != nullptr && wParam == kAsyncReadDone) {
    dialogs_.Raise(*form, [&] { form->OnAsyncReadComplete({kAsyncReadDone, file}); });
  } else if (form != nullptr) {
    dialogs_.Raise(*form, [&] { form->OnAsyncReadError({static_cast<int>(wParam), ""}); });
  }
  DeleteFileW(job->file.c_str());
}

LRESULT CALLBACK Win32Downloader::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProgress || message == kDone) {
    if (auto* self = MessageWindowOwner<Win32Downloader>(window)) self->Arrived(message, wParam, lParam);
    return 0;
  }
  return MessageWindowDefault(window, message, wParam, lParam);
}

}  // namespace kestrel
