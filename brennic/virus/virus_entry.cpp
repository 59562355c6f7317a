#include "virus/virus_entry.h"

#include <cstring>

bool SameVirus(const char* nameA, const char* md5A, const char* nameB, const char* md5B) {
  return std::strncmp(nameA, nameB, kVirusTextBytes) == 0 && std::strncmp(md5A, md5B, kVirusTextBytes) == 0;
}
