#pragma once
// Reads back what Upload.dll delivered into an outbox (companions/upload/README.md),
// straight from the files, in the order of the sends.
#include <map>
#include <string>
#include <vector>

struct DeliveredReport {
  std::wstring folder;
  std::string type;
  std::map<std::string, std::string> params;  // name -> value, UTF-8
  std::vector<std::string> calls;             // "SetReportType", "SetParam HV_ErrorID", ...
  bool attached = false;
  std::string attachmentPath;                 // as given to AttachFile
  std::vector<uint8_t> attachment;            // the copy's bytes
  bool attachmentCopied = false;
  std::string sendMode;
};

std::vector<DeliveredReport> ReadOutbox(const std::wstring& outbox);

// The file names and contents of a zip archive of stored entries, read at the
// format's literal offsets (local headers); entries whose stored CRC-32 does not
// match their data are reported with the name prefixed by "BAD CRC ".
std::map<std::string, std::string> ReadStoredZip(const std::vector<uint8_t>& zip);
