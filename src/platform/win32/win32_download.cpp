// Downloads: the URL is fetched on a worker thread while this thread keeps
// delivering window messages, so clicks, timers and boxes go on meanwhile.
#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <thread>

#include "platform/win32/ansi.hpp"
#include "platform/win32/win32_platform.hpp"

namespace velmora::win32 {

namespace {

// Watches the transfer for the server's HTTP status: the download service
// reports success for an error page too, and saves it as the file.
class StatusWatcher final : public IBindStatusCallback, public IHttpNegotiate {
public:
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

  // IBindStatusCallback: nothing to do but let the transfer run.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate: the status line of the response.
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additionalHeaders) override {
    if (additionalHeaders != nullptr) {
      *additionalHeaders = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                       LPWSTR* additionalHeaders) override {
    httpStatus_ = responseCode;
    if (additionalHeaders != nullptr) {
      *additionalHeaders = nullptr;
    }
    return S_OK;
  }

private:
  std::atomic<DWORD> httpStatus_{0};
};

struct DownloadJob {
  std::string url;
  std::string path;
  HRESULT result = E_FAIL;
  DWORD httpStatus = 0;
};

void RunDownload(DownloadJob& job) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  StatusWatcher watcher;
  job.result = URLDownloadToFileA(nullptr, job.url.c_str(), job.path.c_str(), 0, &watcher);
  job.httpStatus = watcher.httpStatus();
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
}

} // namespace

bool Win32Platform::DownloadUrlToFile(const std::wstring& url, const std::wstring& path) {
  DownloadJob job{ToAnsi(url), ToAnsi(path)};
  const UniqueHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) {
    return false;
  }
  std::thread worker([&job, event = done.get()] {
    RunDownload(job);
    SetEvent(event);
  });
  // Keep the program responsive until the worker is done. A quit request
  // that arrives meanwhile is put back once the download has ended.
  bool quitting = false;
  WPARAM quitCode = 0;
  HANDLE event = done.get();
  while (!quitting &&
         MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitting = true;
        quitCode = message.wParam;
        break;
      }
      DispatchOne(message);
    }
  }
  worker.join();
  if (quitting) {
    PostQuitMessage(static_cast<int>(quitCode));
  }
  if (FAILED(job.result)) {
    return false;
  }
  // An HTTP error is a failed download: its error page is not kept as the file.
  if (job.httpStatus >= 400) {
    DeleteFileA(job.path.c_str());
    return false;
  }
  return true;
}

bool Win32Platform::ForgetUrlCacheEntry(const std::wstring& url) {
  return DeleteUrlCacheEntryA(ToAnsi(url).c_str()) != FALSE;
}

} // namespace velmora::win32
