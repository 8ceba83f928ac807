#include "formats/list_reader.h"

#include <cstdio>
#include <cstring>

void InitListReader(ListReader* reader, ListHost host, InvalidLineSink report, void* context) {
  std::memset(reader, 0, sizeof *reader);
  reader->Host = host;
  reader->Report = report;
  reader->ReportContext = context;
  reader->Format = ListFormat::Sfv;
}

uint64_t ReadLe64(const unsigned char* bytes) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[i];
  return v;
}

uint32_t ReadLe32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
         (uint32_t{bytes[3]} << 24);
}

bool ReadExactly(NativeFile file, void* buffer, uint32_t size) {
  uint32_t got = 0;
  return ReadFromFile(file, buffer, size, &got) && got == size;
}

void ReportInvalidLine(const ListReader& reader, const char* kind, const char* line) {
  if (reader.Host != ListHost::Verifier || !reader.Report) return;
  char text[1024];
  std::snprintf(text, sizeof text, "Invalid line in %s file: \"%s\"", kind, line);
  reader.Report(reader.ReportContext, text);
}
