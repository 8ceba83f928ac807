#include "results/window_settings.h"

#include <initializer_list>

#include "formats/base64.h"

namespace {

void PutLe32(unsigned char* to, uint32_t v) {
  for (int i = 0; i < 4; ++i) to[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint32_t GetLe32(const unsigned char* from) {
  return uint32_t{from[0]} | uint32_t{from[1]} << 8 | uint32_t{from[2]} << 16 |
         uint32_t{from[3]} << 24;
}

}  // namespace

bool EncodePlacement(const StoredPlacement& p, char* out, size_t capacity) {
  unsigned char bytes[kPlacementLength];
  for (int i = 0; i < 11; ++i) PutLe32(bytes + 4 * i, static_cast<uint32_t>(p.Values[i]));
  return Base64Encode(bytes, sizeof bytes, out, capacity) != 0;
}

bool DecodePlacement(const char* text, StoredPlacement* p) {
  unsigned char bytes[kPlacementLength];
  if (Base64Decode(text, bytes, sizeof bytes) != sizeof bytes) return false;
  for (int i = 0; i < 11; ++i) p->Values[i] = static_cast<int32_t>(GetLe32(bytes + 4 * i));
  return p->Values[kLength] == kPlacementLength;
}

void FitPlacementToArea(StoredPlacement* p, const FitArea& area, int dpi) {
  int32_t* v = p->Values;
  int64_t width = int64_t{v[kRight]} - v[kLeft];
  int64_t height = int64_t{v[kBottom]} - v[kTop];
  int64_t left = v[kLeft], top = v[kTop];
  if (width <= 0 || height <= 0) {
    left = area.X + ScaleForDpi(10, dpi);
    top = area.Y + ScaleForDpi(10, dpi);
    width = ScaleForDpi(400, dpi);
    height = ScaleForDpi(250, dpi);
  }
  if (width > area.Width) width = area.Width;
  if (height > area.Height) height = area.Height;
  if (left + width > int64_t{area.X} + area.Width) left = int64_t{area.X} + area.Width - width;
  if (top + height > int64_t{area.Y} + area.Height) top = int64_t{area.Y} + area.Height - height;
  if (left < area.X) left = area.X;
  if (top < area.Y) top = area.Y;
  v[kLeft] = static_cast<int32_t>(left);
  v[kTop] = static_cast<int32_t>(top);
  v[kRight] = static_cast<int32_t>(left + width);
  v[kBottom] = static_cast<int32_t>(top + height);
}

namespace {

using Scale = int (*)(int value, int dpi);

void ScalePlacement(StoredPlacement* p, Scale scale, int positionDpi, int sizeDpi) {
  int32_t* v = p->Values;
  const int width = v[kRight] - v[kLeft];
  const int height = v[kBottom] - v[kTop];
  for (int i : {kMinX, kMinY, kMaxX, kMaxY, kLeft, kTop}) v[i] = scale(v[i], positionDpi);
  v[kRight] = v[kLeft] + scale(width, sizeDpi);
  v[kBottom] = v[kTop] + scale(height, sizeDpi);
}

}  // namespace

void PlacementFrom96(StoredPlacement* p, int positionDpi, int sizeDpi) {
  ScalePlacement(p, ScaleForDpi, positionDpi, sizeDpi);
}

void PlacementTo96(StoredPlacement* p, int positionDpi, int sizeDpi) {
  ScalePlacement(p, ScaleTo96, positionDpi, sizeDpi);
}

bool EncodeColumnWidths(const int* widths, int count, char* out, size_t capacity) {
  unsigned char bytes[4 * 10];
  if (count < 0 || count > 9) return false;
  PutLe32(bytes, static_cast<uint32_t>(count));
  for (int i = 0; i < count; ++i) PutLe32(bytes + 4 * (i + 1), static_cast<uint32_t>(widths[i]));
  return Base64Encode(bytes, 4 * (static_cast<size_t>(count) + 1), out, capacity) != 0;
}

void DecodeColumnWidths(const char* text, int* widths, int count) {
  for (int i = 0; i < count; ++i) widths[i] = i < 3 ? kDefaultColumnWidths[i] : 50;
  if (!text || !text[0]) return;
  unsigned char bytes[4 * 10];
  size_t got = Base64Decode(text, bytes, sizeof bytes);
  size_t values = got / 4;
  size_t first = got > 12 ? 1 : 0;
  for (int i = 0; i < count; ++i) {
    size_t at = first + static_cast<size_t>(i);
    uint32_t w = at < values ? GetLe32(bytes + 4 * at) : 0;
    // Widths beyond what a screen could show are damage, not a choice.
    widths[i] = (w == 0 || w > 32767) ? 50 : static_cast<int>(w);
  }
}
