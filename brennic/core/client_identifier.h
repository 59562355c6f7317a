#pragma once
// The client identifier marks every error list and virus list of this machine: a
// GUID in upper-case 8-4-4-4-12 form without braces, 36 characters, kept in
// HKEY_LOCAL_MACHINE\SOFTWARE\Holvane, value "reportcid" (REG_SZ).
#include <string>

// Reads the stored identifier, or makes a new one and stores it when the value is
// missing, not a string, or longer than 36 characters. Not cached: each new list
// file asks again, so a value changed by the product takes effect at once.
std::wstring GetClientIdentifier();
