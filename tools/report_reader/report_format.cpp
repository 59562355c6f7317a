#include "report_format.h"

#include <cstdarg>
#include <cstdio>

namespace report_reader {
namespace {

// msvcrt's own formatter: "%s" takes a wide string.
std::wstring Printf(const wchar_t* format, ...) {
  wchar_t buffer[512];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, 511, format, args);
  va_end(args);
  buffer[n < 0 ? 511 : n] = L'\0';
  return buffer;
}

std::wstring Hex32(uint32_t value) { return Printf(L"0x%08lX", static_cast<unsigned long>(value)); }
std::wstring Hex64(uint64_t value) {
  return Printf(L"0x%08lX%08lX", static_cast<unsigned long>(value >> 32), static_cast<unsigned long>(value));
}

std::wstring UtcTime(uint64_t fileTime, bool iso) {
  FILETIME time = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  SYSTEMTIME utc = {};
  if (!FileTimeToSystemTime(&time, &utc)) return L"(bad time)";
  return Printf(iso ? L"%04u-%02u-%02uT%02u:%02u:%02u.%03uZ" : L"%04u-%02u-%02u %02u:%02u:%02u.%03u UTC", utc.wYear,
                utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, utc.wMilliseconds);
}

struct Register {
  const wchar_t* name;
  uint64_t value;
};

std::vector<Register> Registers(const CrashRecord& crash) {
  return {{L"eip", crash.Eip}, {L"eax", crash.Eax}, {L"ebx", crash.Ebx}, {L"ecx", crash.Ecx}, {L"edx", crash.Edx},
          {L"esi", crash.Esi}, {L"edi", crash.Edi}, {L"ebp", crash.Ebp}, {L"esp", crash.Esp}};
}

std::wstring WatchedIds(const ReportFile& head, const wchar_t* separator) {
  std::wstring ids;
  for (uint32_t id : head.watchedProcessIds) {
    if (id == 0) continue;
    if (!ids.empty()) ids += separator;
    ids += std::to_wstring(id);
  }
  return ids;
}

// ---- JSON ----

std::wstring JsonString(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20) {
      out += Printf(L"\\u%04x", static_cast<unsigned>(c));
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

// Builds one JSON object member by member; nested objects are closed by the caller.
class JsonObject {
 public:
  explicit JsonObject(int depth) : depth_(depth) {}
  void Raw(const wchar_t* name, const std::wstring& value) {
    out_ += first_ ? L"{\n" : L",\n";
    first_ = false;
    out_ += std::wstring(2 * (depth_ + 1), L' ') + JsonString(name) + L": " + value;
  }
  void String(const wchar_t* name, const std::wstring& value) { Raw(name, JsonString(value)); }
  void Number(const wchar_t* name, uint64_t value) { Raw(name, std::to_wstring(value)); }
  void Bool(const wchar_t* name, bool value) { Raw(name, value ? L"true" : L"false"); }
  std::wstring Close() const { return first_ ? L"{}" : out_ + L"\n" + std::wstring(2 * depth_, L' ') + L"}"; }

 private:
  int depth_;
  bool first_ = true;
  std::wstring out_;
};

// ---- the kind area, shared by both outputs ----

struct KindField {
  const wchar_t* label;  // in the text
  const wchar_t* key;    // in the JSON
  std::wstring text;
  std::wstring json;     // the member's value, already JSON
};

KindField Text(const wchar_t* label, const wchar_t* key, const std::wstring& value) {
  return {label, key, value, JsonString(value)};
}
KindField Number(const wchar_t* label, const wchar_t* key, uint64_t value) {
  return {label, key, std::to_wstring(value), std::to_wstring(value)};
}

std::vector<KindField> CrashFields(const CrashRecord& crash) {
  std::wstring information = L"[";
  std::wstring informationText = std::to_wstring(crash.numberParameters) + L":";
  for (int i = 0; i < 3; ++i) {
    information += (i ? L", " : L"") + JsonString(Hex64(crash.exceptionInformation[i]));
    informationText += L" " + Hex64(crash.exceptionInformation[i]);
  }
  std::wstring registersText;
  JsonObject registers(2);
  for (const Register& r : Registers(crash)) {
    registersText += std::wstring(r.name) + L"=" + Hex32(static_cast<uint32_t>(r.value)) + L" ";
    registers.String(r.name, Hex64(r.value));
  }
  registers.String(L"eflags", Hex32(crash.EFlags));
  return {Text(L"exception code", L"exceptionCode", Hex32(crash.exceptionCode)),
          Text(L"exception address", L"exceptionAddress", Hex64(static_cast<uint64_t>(crash.exceptionAddress))),
          Number(L"parameter count", L"numberParameters", crash.numberParameters),
          {L"parameters", L"exceptionInformation", informationText, information + L"]"},
          {L"registers", L"registers", registersText + L"eflags=" + Hex32(crash.EFlags), registers.Close()},
          Text(L"exception pointers", L"exceptionPointers", Hex64(static_cast<uint64_t>(crash.exceptionPointers))),
          Number(L"thread", L"threadId", crash.threadId),
          Text(L"fault module", L"faultModulePath", FieldText(crash.faultModulePath, 260)),
          Text(L"fault module base", L"faultModuleBase", Hex64(crash.faultModuleBase))};
}

std::vector<KindField> KindFields(const ReportFile& head) {
  switch (head.reportKind) {
    case ReportKindCrash:
      return CrashFields(head.crash);
    case ReportKindManaged:
      return {Text(L"text 1", L"text1", FieldText(head.managed.managedText1, 256)),
              Text(L"text 2", L"text2", FieldText(head.managed.managedText2, 1024)),
              Text(L"text 3", L"text3", FieldText(head.managed.managedText3, 256)),
              Text(L"text 4", L"text4", FieldText(head.managed.managedText4, 1024))};
    case ReportKindProcessEnded:
      return {Number(L"process id", L"endedProcessId", head.ended.endedProcessId),
              Text(L"image path", L"endedImagePath", FieldText(head.ended.endedImagePath, 260)),
              Number(L"exit code", L"endedExitCode", head.ended.endedExitCode)};
    case ReportKindUserAbort:
      return {Text(L"text", L"text", FieldText(head.abortText, 3072))};
    case ReportKindInstallFail:
      return {Text(L"text", L"text", FieldText(head.installFailText, 1001))};
    default:
      return {};
  }
}

// ---- text ----

class TextOut {
 public:
  void Line(const std::wstring& text) { out_ += text + L"\n"; }
  void Field(const wchar_t* name, const std::wstring& value) { out_ += Printf(L"  %-20s ", name) + value + L"\n"; }
  std::wstring out_;
};

void KindText(const ReportFile& head, TextOut& out) {
  out.Line(Printf(L"Report kind %lu: %s", static_cast<unsigned long>(head.reportKind), KindName(head.reportKind)));
  if (head.reportKind == ReportKindDeadlock) {
    out.Line(L"  (kind 0 is also what a process shows before it files any report)");
  }
  for (const KindField& field : KindFields(head)) out.Field(field.label, field.text);
}

std::wstring JsonKind(const ReportFile& head) {
  JsonObject kind(1);
  kind.Number(L"kind", head.reportKind);
  kind.String(L"kindName", KindName(head.reportKind));
  for (const KindField& field : KindFields(head)) kind.Raw(field.key, field.json);
  return kind.Close();
}

}  // namespace

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string FormatText(const DecodedReport& report, const std::wstring& source, const MinidumpNote& dump) {
  const ReportFile& head = report.head;
  TextOut out;
  out.Line(L"Quorvel report from " + source);
  out.Field(L"total size", std::to_wstring(head.totalSize) + L" bytes");
  out.Field(L"format version", Hex32(head.formatVersion));
  out.Field(L"limited mode", head.initFlag != 0 ? Printf(L"yes (flag %u)", head.initFlag) : L"no");
  out.Field(L"process id", std::to_wstring(head.processId));
  out.Field(L"parent process id", std::to_wstring(head.parentProcessId));
  out.Field(L"watched processes", WatchedIds(head, L", "));
  out.Field(L"file description", FieldText(head.fileDescription, 40));
  out.Field(L"file version", FieldText(head.fileVersion, 40));
  out.Field(L"company", FieldText(head.companyName, 64));
  out.Field(L"program", FieldText(head.modulePath, 260));
  out.Field(L"report file", FieldText(head.reportPath, 260));
  KindText(head, out);
  if (dump.attempted) {
    out.Field(L"minidump", dump.written ? dump.path : Printf(L"failed, error 0x%08lX", static_cast<unsigned long>(dump.error)));
  } else if (!dump.reason.empty()) {
    out.Field(L"minidump", dump.reason);
  }
  out.Line(Printf(L"Message log: %u entries", static_cast<unsigned>(report.log.size())));
  for (const LogLine& line : report.log) out.Line(L"  " + UtcTime(line.time, false) + L"  " + line.text);
  out.Line(Printf(L"Supplementary files: %u", static_cast<unsigned>(report.files.size())));
  for (const ListedFile& file : report.files) {
    out.Line(Printf(L"  [%lu, %lu] ", static_cast<unsigned long>(file.value1), static_cast<unsigned long>(file.value2)) +
             file.path);
  }
  for (const std::wstring& problem : report.problems) out.Line(L"Problem: " + problem);
  return Utf8(out.out_);
}

std::string FormatJson(const DecodedReport& report, const std::wstring& source, const MinidumpNote& dump) {
  const ReportFile& head = report.head;
  JsonObject header(1);
  header.Number(L"totalSize", head.totalSize);
  header.String(L"formatVersion", Hex32(head.formatVersion));
  header.Number(L"initFlag", head.initFlag);
  header.Number(L"processId", head.processId);
  header.Number(L"parentProcessId", head.parentProcessId);
  header.Raw(L"watchedProcessIds", L"[" + WatchedIds(head, L", ") + L"]");
  header.String(L"fileDescription", FieldText(head.fileDescription, 40));
  header.String(L"fileVersion", FieldText(head.fileVersion, 40));
  header.String(L"companyName", FieldText(head.companyName, 64));
  header.String(L"modulePath", FieldText(head.modulePath, 260));
  header.String(L"reportPath", FieldText(head.reportPath, 260));

  std::wstring log = L"[";
  for (size_t i = 0; i < report.log.size(); ++i) {
    JsonObject entry(2);
    entry.Number(L"offset", report.log[i].offset);
    entry.String(L"time", UtcTime(report.log[i].time, true));
    entry.String(L"text", report.log[i].text);
    log += (i ? L", " : L"") + entry.Close();
  }
  std::wstring files = L"[";
  for (size_t i = 0; i < report.files.size(); ++i) {
    JsonObject entry(2);
    entry.Number(L"value1", report.files[i].value1);
    entry.Number(L"value2", report.files[i].value2);
    entry.String(L"path", report.files[i].path);
    files += (i ? L", " : L"") + entry.Close();
  }
  std::wstring problems = L"[";
  for (size_t i = 0; i < report.problems.size(); ++i) problems += (i ? L", " : L"") + JsonString(report.problems[i]);

  JsonObject root(0);
  root.String(L"source", source);
  root.Raw(L"header", header.Close());
  root.Raw(L"report", JsonKind(head));
  if (dump.attempted || !dump.reason.empty()) {
    JsonObject minidump(1);
    minidump.Bool(L"written", dump.written);
    if (dump.written) minidump.String(L"path", dump.path);
    if (dump.attempted && !dump.written) minidump.String(L"error", Hex32(dump.error));
    if (!dump.reason.empty()) minidump.String(L"reason", dump.reason);
    root.Raw(L"minidump", minidump.Close());
  }
  root.Raw(L"messageLog", log + L"]");
  root.Raw(L"files", files + L"]");
  root.Raw(L"problems", problems + L"]");
  return Utf8(root.Close() + L"\n");
}

}  // namespace report_reader
