/* Quorvel: in-process crash reporter for 32-bit Windows programs.
 *
 * Call one initialization function early, on a thread on which COM is initialized;
 * the library reads "QuorvelConfig.xml" beside the program (or in the folder given
 * to Quorvel_InitializeNoCrash). Results are HRESULTs: 0 success, 1 nothing done,
 * negative failure; 0x80040007 means "not initialized". A filed report ends the
 * process, so a report function that succeeds does not return in practice. */
#ifndef QUORVEL_H
#define QUORVEL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef QUORVEL_BUILDING_DLL
#define QUORVEL_API
#else
#define QUORVEL_API __declspec(dllimport)
#endif

/* Initialization. initFlag: only its low byte counts; non-zero selects the limited
 * mode (stack overflows only, deadlock-request event, no parent watch). */
QUORVEL_API HRESULT __stdcall Quorvel_Initialize(DWORD initFlag);
QUORVEL_API HRESULT __stdcall Quorvel_InitializeWithOptions(DWORD initFlag, DWORD optionValue,
                                                            const wchar_t* optionText);
QUORVEL_API HRESULT __stdcall Quorvel_InitializeNoCrash(DWORD initFlag, const wchar_t* folder);
QUORVEL_API void __stdcall Quorvel_Shutdown(void);

/* Material for a future report: message log and supplementary files. */
QUORVEL_API HRESULT __cdecl Quorvel_AddText(const wchar_t* format, ...);
QUORVEL_API HRESULT __stdcall Quorvel_AddFile(const wchar_t* path, DWORD value1, DWORD value2);
QUORVEL_API HRESULT __stdcall Quorvel_RemoveFile(const wchar_t* path);

/* Reports filed by the host. */
QUORVEL_API HRESULT __stdcall Quorvel_UnmanagedException(EXCEPTION_POINTERS* pointers);
/* For __except(Quorvel_CommonExceptionFilter(GetExceptionInformation())): always 1. */
QUORVEL_API LONG __stdcall Quorvel_CommonExceptionFilter(EXCEPTION_POINTERS* pointers);
QUORVEL_API HRESULT __stdcall Quorvel_ManagedException(const wchar_t* text1, const wchar_t* text2,
                                                       const wchar_t* text3, const wchar_t* text4);
QUORVEL_API HRESULT __cdecl Quorvel_UserAbort(const wchar_t* format, ...);
QUORVEL_API HRESULT __cdecl Quorvel_InstallFail(const wchar_t* format, ...);

/* Trap bypass of the calling thread, around code that raises exceptions on purpose. */
QUORVEL_API void __stdcall Quorvel_StartTrapBypass(void);
QUORVEL_API void __stdcall Quorvel_EndTrapBypass(void);

/* Watched processes: the end of one files a report. */
QUORVEL_API HRESULT __stdcall Quorvel_StartMonitoringProcess(DWORD processId);
QUORVEL_API HRESULT __stdcall Quorvel_StopMonitoringProcess(DWORD processId);

#ifdef __cplusplus
}
#endif

#endif /* QUORVEL_H */
