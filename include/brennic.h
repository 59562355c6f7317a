/* Brennic: records error events and virus detections of the product's programs and
 * sends them through the product's upload module.
 *
 * Load the library (link against it or LoadLibrary "Brennic.dll"); loading prepares
 * everything, there is no initialization call. Every function returns 1, whatever
 * happened: failures are silent. Texts are UTF-16 and are copied before the call
 * returns. The products's installation module "VrelInstall.dll" must be loadable by
 * its bare name for the library to find the product's folders. */
#ifndef BRENNIC_H
#define BRENNIC_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An error event. sendNow non-zero: sent at once on this thread (with the report
 * archive; may take up to a minute). Zero: queued and appended to this program's
 * error list by a background writer within about ten seconds. Null texts are "". */
int __stdcall VrelQuorvel(const wchar_t* id, const wchar_t* info, int sendNow, int reserved);

/* A virus detection: name and infected file, optionally the file's MD5 digest. */
int __stdcall VrelReportVirusInfo(const wchar_t* name, const wchar_t* path);
int __stdcall VrelReportVirusInfoWithMD5(const wchar_t* name, const wchar_t* path, const wchar_t* md5);

/* Only the low 8 bits of flags count.
 *   bit 0 with arg non-zero: send this program's error list now and delete it;
 *   otherwise bit 1: flush the virus counts to the virus list, and upload it when
 *   arg is non-zero. */
int __stdcall DealWithList(int flags, int arg);

/* For the system's rundll32 host:
 *   rundll32.exe <path>\Brennic.dll,Run32Send errortime   sends the error lists of
 *       every program of the product, packed into one archive;
 *   rundll32.exe <path>\Brennic.dll,Run32Send virustime   merges and sends the stored
 *       virus counts of every program. */
int __stdcall Run32Send(HWND window, HINSTANCE instance, char* commandLine, int show);

/* The same functions for LoadLibrary/GetProcAddress callers. */
typedef int(__stdcall* VrelQuorvelFunction)(const wchar_t*, const wchar_t*, int, int);
typedef int(__stdcall* VrelReportVirusInfoFunction)(const wchar_t*, const wchar_t*);
typedef int(__stdcall* VrelReportVirusInfoWithMD5Function)(const wchar_t*, const wchar_t*, const wchar_t*);
typedef int(__stdcall* DealWithListFunction)(int, int);
typedef int(__stdcall* Run32SendFunction)(HWND, HINSTANCE, char*, int);

#ifdef __cplusplus
}
#endif

#endif
