#pragma once
// The MSXML DOM interfaces, with the identifiers that mingw's import libraries lack.
#include <windows.h>
#include <msxml2.h>

// DOMDocument, the version-independent class served by MSXML 3.0.
extern const CLSID kClsidDomDocument;
extern const IID kIidXmlDomDocument2;
