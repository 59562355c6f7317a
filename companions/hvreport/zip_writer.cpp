#include "zip_writer.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// MS-DOS date and time as zip stores them (local time, two-second steps).
void DosDateTime(const FILETIME& modified, uint16_t* date, uint16_t* time) {
  FILETIME local = {};
  SYSTEMTIME t = {};
  if (!FileTimeToLocalFileTime(&modified, &local) || !FileTimeToSystemTime(&local, &t) || t.wYear < 1980) {
    *date = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
    *time = 0;
    return;
  }
  *date = static_cast<uint16_t>(((t.wYear - 1980) << 9) | (t.wMonth << 5) | t.wDay);
  *time = static_cast<uint16_t>((t.wHour << 11) | (t.wMinute << 5) | (t.wSecond / 2));
}

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> BuildZip(const std::vector<ZipEntry>& entries) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> central;
  for (const ZipEntry& entry : entries) {
    uint16_t date = 0, time = 0;
    DosDateTime(entry.modified, &date, &time);
    uint32_t crc = Crc32(entry.data.data(), entry.data.size());
    uint32_t size = static_cast<uint32_t>(entry.data.size());
    uint32_t name = static_cast<uint32_t>(entry.name.size());
    uint16_t flags = IsAscii(entry.name) ? 0 : 0x0800;  // bit 11: the name is UTF-8
    uint32_t localOffset = static_cast<uint32_t>(out.size());

    Put32(out, 0x04034B50);
    Put16(out, 20);  // version needed: 2.0
    Put16(out, flags);
    Put16(out, 0);  // stored
    Put16(out, time);
    Put16(out, date);
    Put32(out, crc);
    Put32(out, size);
    Put32(out, size);
    Put16(out, name);
    Put16(out, 0);  // no extra field
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.insert(out.end(), entry.data.begin(), entry.data.end());

    Put32(central, 0x02014B50);
    Put16(central, 20);  // made by: MS-DOS, 2.0
    Put16(central, 20);
    Put16(central, flags);
    Put16(central, 0);
    Put16(central, time);
    Put16(central, date);
    Put32(central, crc);
    Put32(central, size);
    Put32(central, size);
    Put16(central, name);
    Put16(central, 0);  // extra
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, 0);  // external attributes
    Put32(central, localOffset);
    central.insert(central.end(), entry.name.begin(), entry.name.end());
  }
  uint32_t centralOffset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  Put32(out, 0x06054B50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(central.size()));
  Put32(out, centralOffset);
  Put16(out, 0);  // no comment
  return out;
}
