// Sizes for a display's dots per inch. Every size the programs set in pixels
// is written for 96 DPI (100 %) and scaled by the DPI of the window it is
// for; what is stored in the settings file is kept at 96 DPI, so that it
// means the same on every monitor.
#pragma once

constexpr int kBaseDpi = 96;

// `value` at 96 DPI for a display of `dpi`: value × dpi ÷ 96, rounded to the
// nearest pixel, halves away from zero (as the platform's MulDiv). A `dpi`
// of 0 or less is taken as 96.
int ScaleForDpi(int value, int dpi);
// The inverse: a size measured at `dpi` as its 96-DPI value.
int ScaleTo96(int value, int dpi);

// The sizes the row images, the menu bitmap and the icons are drawn at.
constexpr int kImageSizes[] = {16, 20, 24, 32};
// The drawn size nearest to `base` scaled for `dpi` (a tie takes the larger);
// pictures are chosen by it, never stretched.
int NearestImageSize(int base, int dpi);
