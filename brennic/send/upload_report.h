#pragma once
// The report object of the product's upload module (Upload.dll, ordinal 20 creates
// one). The layout is a contract between separately built modules: a table of
// virtual operations in exactly this slot order, each taking the object as its first
// stack argument (__stdcall, as COM objects do), so that modules built by other
// compilers agree on it. No virtual destructor: Release ends the object.
//
// Calling order on one object, all from the thread that created it: SetReportType,
// any SetParam, at most one AttachFile, Send(1), Release. The module must be done
// with the attached file when Release returns; callers may delete it right after.
// No result is examined by the library.

struct IUploadReport {
  virtual long __stdcall Release() = 0;                                                // slot 0
  virtual long __stdcall SetReportType(const wchar_t* type) = 0;                       // slot 1
  virtual long __stdcall Reserved2() = 0;                                              // slot 2, never called
  virtual long __stdcall SetParam(const wchar_t* name, const wchar_t* value) = 0;      // slot 3
  virtual long __stdcall Reserved4() = 0;                                              // slot 4, never called
  virtual long __stdcall AttachFile(const wchar_t* path) = 0;                          // slot 5
  virtual long __stdcall Send(int mode) = 0;                                           // slot 6
};

// Ordinal 20 of Upload.dll.
typedef IUploadReport*(__stdcall* CreateUploadReportFunction)();
