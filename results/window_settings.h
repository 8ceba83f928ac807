// The stored forms of the results window's placement ("WindowInfo") and
// column widths ("LVWindowInfo"): Base64 of little-endian 32-bit values.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dpi.h"

// The platform's window placement record as eleven 32-bit values: length
// (44), flags, show command, minimized x, y, maximized x, y, and the normal
// rectangle left, top, right, bottom.
struct StoredPlacement {
  int32_t Values[11];
};
constexpr int kPlacementLength = 44;
enum PlacementField : int {
  kLength = 0,
  kFlags,
  kShow,
  kMinX,
  kMinY,
  kMaxX,
  kMaxY,
  kLeft,
  kTop,
  kRight,
  kBottom
};

// 60 characters and the zero; false when `capacity` is too small.
bool EncodePlacement(const StoredPlacement& p, char* out, size_t capacity);
// False unless the text holds a whole 44-byte record whose length is 44.
bool DecodePlacement(const char* text, StoredPlacement* p);

// A screen area: origin and size.
struct FitArea {
  int32_t X, Y, Width, Height;
};
// Moves (and if need be shrinks) the normal rectangle so that it lies inside
// the area; a rectangle with no width or height becomes the default one
// (10, 10 from the area's corner, 400 x 250, at `dpi`).
void FitPlacementToArea(StoredPlacement* p, const FitArea& area, int dpi = 96);

// The stored placement holds 96-DPI values, whatever the monitor: the
// positions (normal rectangle's corner, minimized and maximized positions)
// at the system DPI, which maps the whole desktop, and the normal
// rectangle's width and height at the DPI of the monitor the window is on.
// Earlier versions, unaware of DPI, wrote what the system showed them:
// 96-DPI values as well. PlacementFrom96 turns the stored values into
// pixels, PlacementTo96 pixels into the stored values.
void PlacementFrom96(StoredPlacement* p, int positionDpi, int sizeDpi);
void PlacementTo96(StoredPlacement* p, int positionDpi, int sizeDpi);

// Column widths are stored, and given here, at 96 DPI.
constexpr int kDefaultColumnWidths[3] = {114, 114, 165};

// The count followed by each width; false when `capacity` is too small.
bool EncodeColumnWidths(const int* widths, int count, char* out, size_t capacity);
// Widths for `count` columns (at most 9) from the stored text: the defaults
// when the text is empty; otherwise the decoded values (after the count when
// more than 12 bytes were decoded), 0 or a missing value giving 50.
void DecodeColumnWidths(const char* text, int* widths, int count);
