#include "send/error_send.h"

#include "core/scoped_handle.h"
#include "send/install_module.h"
#include "send/report_archive.h"
#include "send/staging_folder.h"
#include "send/upload_frame.h"

namespace {

const wchar_t kReportType[] = L"RunState";

void StopWriter(CErrorList& list) {
  if (list.writerRunning != 0 && list.stopEvent != nullptr) SetEvent(list.stopEvent);
}

}  // namespace

int SendErrorRecord(ErrorRecord record) {
  WithUploadReport([&](IUploadReport* report) {
    report->SetReportType(kReportType);
    report->SetParam(L"HV_ErrorID", record.id.c_str());
    report->SetParam(L"HV_Info", record.info.c_str());
    if (MakeReportArchive(60000)) report->AttachFile(ReportArchivePath().c_str());
    report->Send(1);
    report->Release();
  });
  return 1;
}

int SendErrorList(CErrorList& list, int archive) {
  StopWriter(list);
  WithUploadReport([&](IUploadReport* report) {
    report->SetReportType(kReportType);
    report->SetParam(L"HV_ErrorID", L"0");
    if (archive != 0) {
      if (MakeReportArchive(INFINITE)) {
        std::wstring archivePath = ReportArchivePath();
        report->SetParam(L"HV_Info", archivePath.c_str());
        report->AttachFile(archivePath.c_str());
      }
    } else {
      report->SetParam(L"HV_Info", list.listPath.c_str());
      report->AttachFile(list.listPath.c_str());
    }
    report->Send(1);
    report->Release();
    DeleteFileW(list.listPath.c_str());
  });
  return 1;
}

int SendStoredErrorLists(CErrorList& list) {
  StopWriter(list);
  std::wstring folder = LookupInstallFolder() + L"Data\\VrelReport\\";
  std::wstring staging = PrepareStagingFolder();

  {
    WIN32_FIND_DATAW found;
    ScopedFind find((folder + L"*.xml").c_str(), &found);
    if (!find) return 1;
    do {
      std::wstring source = folder + found.cFileName;
      if (CopyFileW(source.c_str(), (staging + found.cFileName).c_str(), TRUE)) DeleteFileW(source.c_str());
    } while (find.Next(&found));
  }
  SendErrorList(list, 1);
  return 1;
}
