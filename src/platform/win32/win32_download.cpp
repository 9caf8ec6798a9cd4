// Downloads: the URL is fetched on a worker thread while this thread keeps
// delivering window messages, so clicks, timers and boxes go on meanwhile.
#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <optional>

#include "platform/win32/late_library.hpp"
#include "platform/win32/win32_platform.hpp"

namespace velmora::win32 {

namespace {

// Watches the transfer for the server's HTTP status: the download service
// reports success for an error page too, and saves it as the file. It also
// ends the transfer at its next progress report once asked to.
class StatusWatcher final : public IBindStatusCallback, public IHttpNegotiate {
public:
  explicit StatusWatcher(const std::atomic<bool>& abandoned) : abandoned_(abandoned) {}

  DWORD httpStatus() const { return httpStatus_; }

  // IUnknown: the object lives on the worker's stack for the whole call.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IBindStatusCallback: let the transfer run until it is abandoned.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
    return abandoned_ ? E_ABORT : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return abandoned_ ? E_ABORT : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate: the status line of the response.
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) {
      *additionalHeaders = nullptr;
    }
    return abandoned_ ? E_ABORT : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                       LPWSTR* additionalHeaders) override {
    httpStatus_ = responseCode;
    if (additionalHeaders != nullptr) {
      *additionalHeaders = nullptr;
    }
    return abandoned_ ? E_ABORT : S_OK;
  }

private:
  const std::atomic<bool>& abandoned_;
  std::atomic<DWORD> httpStatus_{0};
};

// One transfer, shared by the worker and the thread that waits for it, so
// that a worker left behind at quitting never outlives what it uses.
struct DownloadJob {
  std::wstring url;
  std::wstring path;
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> abandoned{false};
  HRESULT result = E_FAIL;
  DWORD httpStatus = 0;
};

// How long quitting waits for the transfer to notice that it is abandoned;
// a server that has gone silent is not waited for any longer.
constexpr DWORD kAbandonWaitMs = 500;

void RunDownload(DownloadJob& job) {
  auto* const initialize = LateFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
  auto* const uninitialize = LateFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize");
  auto* const download =
      LateFunction<decltype(URLDownloadToFileW)>(L"urlmon.dll", "URLDownloadToFileW");
  if (initialize == nullptr || uninitialize == nullptr || download == nullptr) {
    return;
  }
  const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
  StatusWatcher watcher(job.abandoned);
  job.result = download(nullptr, job.url.c_str(), job.path.c_str(), 0, &watcher);
  job.httpStatus = watcher.httpStatus();
  if (SUCCEEDED(com)) {
    uninitialize();
  }
}

// The worker: it holds its own share of the job, handed over by the thread
// that started it, and lets go of it when the transfer has ended.
DWORD WINAPI DownloadThread(LPVOID parameter) {
  const std::unique_ptr<std::shared_ptr<DownloadJob>> job(
      static_cast<std::shared_ptr<DownloadJob>*>(parameter));
  RunDownload(**job);
  SetEvent((*job)->done.get());
  return 0;
}

// Delivers the program's messages until the transfer ends or a quit request
// arrives; gives the quit code when one did.
std::optional<WPARAM> PumpUntilDone(Win32Platform& platform, HANDLE done) {
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        return message.wParam;
      }
      platform.DispatchOne(message);
    }
  }
  return std::nullopt;
}

} // namespace

bool Win32Platform::DownloadUrlToFile(const std::wstring& url, const std::wstring& path) {
  const auto job = std::make_shared<DownloadJob>();
  job->url = url;
  job->path = path;
  if (!job->done) {
    return false;
  }
  // A thread of Windows' own, not the C++ runtime's: the program then needs
  // no thread library of its own.
  auto* share = new std::shared_ptr<DownloadJob>(job);
  const UniqueHandle worker(CreateThread(nullptr, 0, DownloadThread, share, 0, nullptr));
  if (!worker) {
    delete share;
    return false;
  }
  // Keep the program responsive until the worker is done.
  const std::optional<WPARAM> quitCode = PumpUntilDone(*this, job->done.get());
  if (quitCode) {
    // The program is closing: the transfer is abandoned, and the quit
    // request goes back to the queue for the message loop to end on. A
    // worker still stuck on a silent server is left to end with the process,
    // which then exits at once instead of waiting for the server.
    job->abandoned = true;
    PostQuitMessage(static_cast<int>(*quitCode));
    if (WaitForSingleObject(job->done.get(), kAbandonWaitMs) != WAIT_OBJECT_0) {
      return false;
    }
  }
  WaitForSingleObject(worker.get(), INFINITE);
  // A failed, abandoned or refused transfer leaves nothing behind: not an
  // error page, not a part of the file.
  if (quitCode || FAILED(job->result) || job->httpStatus >= 400) {
    DeleteFileW(job->path.c_str());
    return false;
  }
  return true;
}

bool Win32Platform::ForgetUrlCacheEntry(const std::wstring& url) {
  auto* const forget =
      LateFunction<decltype(DeleteUrlCacheEntryW)>(L"wininet.dll", "DeleteUrlCacheEntryW");
  return forget != nullptr && forget(url.c_str()) != FALSE;
}

p256::Verdict Win32Platform::VerifySignature(std::string_view publicKey, std::string_view data,
                                             std::string_view signature) {
  return p256::Verify(publicKey, data, signature);
}

} // namespace velmora::win32
