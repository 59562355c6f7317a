// Upload.dll: report objects whose Send delivers into the outbox (README.md).
#include <windows.h>

#include <new>

#include "outbox.h"
#include "send/upload_report.h"

namespace {

HMODULE thisModule = nullptr;

class OutboxReport final : public IUploadReport {
 public:
  long __stdcall Release() override {
    delete this;
    return 0;
  }
  long __stdcall SetReportType(const wchar_t* type) override {
    report_.type = Text(type);
    report_.calls.push_back(L"SetReportType");
    return S_OK;
  }
  long __stdcall Reserved2() override { return E_NOTIMPL; }
  long __stdcall SetParam(const wchar_t* name, const wchar_t* value) override {
    std::wstring key = Text(name);
    report_.calls.push_back(L"SetParam " + key);
    for (auto& param : report_.params) {
      if (param.first == key) {
        param.second = Text(value);
        return S_OK;
      }
    }
    report_.params.emplace_back(key, Text(value));
    return S_OK;
  }
  long __stdcall Reserved4() override { return E_NOTIMPL; }
  long __stdcall AttachFile(const wchar_t* path) override {
    report_.hasAttachment = true;
    report_.attachmentPath = Text(path);
    report_.calls.push_back(L"AttachFile");
    return S_OK;
  }
  long __stdcall Send(int mode) override {
    report_.sendMode = mode;
    report_.calls.push_back(L"Send " + std::to_wstring(mode));
    return WriteToOutbox(OutboxFolder(thisModule), report_) ? S_OK : E_FAIL;
  }

 private:
  static std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }
  SentReport report_;
};

}  // namespace

extern "C" IUploadReport* __stdcall CreateUploadReport() { return new (std::nothrow) OutboxReport(); }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    thisModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
