#pragma once
// A zip archive of stored (uncompressed) entries with their CRC-32: every unzip tool
// reads it, and packing small text lists needs nothing more.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntry {
  std::string name;  // UTF-8, "/" between folder levels
  std::vector<uint8_t> data;
  FILETIME modified = {};
};

uint32_t Crc32(const uint8_t* data, size_t size);

// The whole archive, ready to be written to a file.
std::vector<uint8_t> BuildZip(const std::vector<ZipEntry>& entries);
