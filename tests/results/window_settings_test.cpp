#include "results/window_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/dpi.h"
#include "results/status_band.h"

namespace {

std::string Widths(const char* stored) {
  int w[3];
  DecodeColumnWidths(stored, w, 3);
  return std::to_string(w[0]) + "," + std::to_string(w[1]) + "," + std::to_string(w[2]);
}

TEST(ColumnWidths, StoredFormsAndDefaults) {
  char text[64];
  ASSERT_TRUE(EncodeColumnWidths(kDefaultColumnWidths, 3, text, sizeof text));
  EXPECT_STREQ(text, "AwAAAHIAAAByAAAApQAAAA==");
  EXPECT_EQ(Widths(text), "114,114,165");
  EXPECT_EQ(Widths(""), "114,114,165");
  // The legacy form: only the widths, no count.
  EXPECT_EQ(Widths("cgAAAHIAAAClAAAA"), "114,114,165");
  // A width of 0 and a value the data does not reach become 50.
  int stored[3] = {0, 200, 7};
  ASSERT_TRUE(EncodeColumnWidths(stored, 3, text, sizeof text));
  EXPECT_EQ(Widths(text), "50,200,7");
  int two[2] = {80, 90};
  ASSERT_TRUE(EncodeColumnWidths(two, 2, text, sizeof text));  // 12 bytes: read as widths
  EXPECT_EQ(Widths(text), "2,80,90");
  EXPECT_EQ(Widths("AwAAAHIAAAA="), "3,114,50");
  EXPECT_EQ(Widths("!!!"), "50,50,50");  // present but unusable
  // A negative or absurd width (damage) does not reach the list view.
  int bad[3] = {-1, 100000, 60};
  ASSERT_TRUE(EncodeColumnWidths(bad, 3, text, sizeof text));
  EXPECT_EQ(Widths(text), "50,50,60");
  EXPECT_FALSE(EncodeColumnWidths(kDefaultColumnWidths, 3, text, 10));
}

TEST(Placement, RoundTripAndFitting) {
  StoredPlacement p{{44, 0, 1, -1, -1, -1, -1, 100, 120, 600, 500}};
  char text[80];
  ASSERT_TRUE(EncodePlacement(p, text, sizeof text));
  EXPECT_EQ(std::strlen(text), 60u);
  EXPECT_EQ(text[59], '=');
  EXPECT_NE(text[58], '=');
  StoredPlacement back{};
  ASSERT_TRUE(DecodePlacement(text, &back));
  EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);
  // A record that is short, or whose length is not 44, is not used.
  EXPECT_FALSE(DecodePlacement("LAAAAAAAAAA=", &back));
  StoredPlacement wrong = p;
  wrong.Values[kLength] = 40;
  ASSERT_TRUE(EncodePlacement(wrong, text, sizeof text));
  EXPECT_FALSE(DecodePlacement(text, &back));

  FitArea screen{0, 0, 1024, 768};
  StoredPlacement inside = p;
  FitPlacementToArea(&inside, screen);
  EXPECT_EQ(std::memcmp(&inside, &p, sizeof p), 0);
  StoredPlacement off = p;  // left on a monitor that is gone
  off.Values[kLeft] = 3000;
  off.Values[kRight] = 3500;
  off.Values[kTop] = -900;
  off.Values[kBottom] = -500;
  FitPlacementToArea(&off, screen);
  EXPECT_EQ(off.Values[kLeft], 524);
  EXPECT_EQ(off.Values[kRight], 1024);
  EXPECT_EQ(off.Values[kTop], 0);
  EXPECT_EQ(off.Values[kBottom], 400);
  StoredPlacement huge = p;  // larger than the screen: shrunk to it
  huge.Values[kLeft] = -50;
  huge.Values[kRight] = 5000;
  FitPlacementToArea(&huge, {-1280, 0, 2560, 1024});
  EXPECT_EQ(huge.Values[kLeft], -1280);
  EXPECT_EQ(huge.Values[kRight], 1280);
  StoredPlacement empty = p;
  empty.Values[kRight] = empty.Values[kLeft];
  FitPlacementToArea(&empty, screen);
  EXPECT_EQ(empty.Values[kRight] - empty.Values[kLeft], 400);
  EXPECT_EQ(empty.Values[kBottom] - empty.Values[kTop], 250);
}

TEST(StatusBand, Counts) {
  RunCounters c;
  c.CheckedCount = 5;
  StatusBandText t = FormatStatusBand(c, 0);
  EXPECT_STREQ(t.Completed, "Completed Files: 5/??");
  c.TotalEntries = 40;
  c.CheckedCount = 12;
  c.BadCount = 2;
  c.MissingCount = 3;
  c.UnresolvedCount = 1;
  c.ShowFileProgress = true;
  t = FormatStatusBand(c, 37);
  EXPECT_STREQ(t.Completed, "Completed Files: 12/40 (File:37%)");
  EXPECT_STREQ(t.Ok, "Ok: 6");
  EXPECT_STREQ(t.Bad, "Bad: 3");  // unresolved names count as bad
  EXPECT_STREQ(t.Missing, "Missing: 3");
}

TEST(Dpi, ScalingRoundsLikeMulDivAndComesBack) {
  const struct {
    int Value, Dpi, Scaled;
  } cases[] = {
      {400, 96, 400},
      {400, 120, 500},
      {400, 144, 600},
      {400, 192, 800},
      {114, 144, 171},
      {165, 144, 248},  // 247.5: halves away from zero
      {1, 144, 2},
      {-14, 144, -21},
      {-8, 120, -10},
      {-7, 144, -11},
      {16, 168, 28},
      {32, 0, 32},
      {32, -5, 32},                   // unknown DPI: 96
      {2000000000, 192, 2147483647},  // held at the largest int
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleForDpi(c.Value, c.Dpi), c.Scaled) << c.Value << " at " << c.Dpi;
  }
  // Scaled up and back, every 96-DPI value is what it was.
  for (int dpi : {96, 120, 144, 168, 192, 240, 288}) {
    for (int v = -300; v <= 3000; ++v) ASSERT_EQ(ScaleTo96(ScaleForDpi(v, dpi), dpi), v) << dpi;
  }
  EXPECT_EQ(ScaleTo96(171, 144), 114);
}

TEST(Dpi, PicturesOfTheNearestDrawnSize) {
  const struct {
    int Base, Dpi, Size;
  } cases[] = {
      {16, 96, 16},  {16, 108, 20}, {16, 120, 20}, {16, 144, 24}, {16, 168, 32},  // 28: a tie
      {16, 192, 32}, {16, 288, 32}, {16, 72, 16},  {13, 96, 16},  {15, 144, 24},
      {21, 96, 20},  {22, 96, 24},  {17, 96, 16},  // 18 and 22: ties
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NearestImageSize(c.Base, c.Dpi), c.Size) << c.Base << " at " << c.Dpi;
  }
}

TEST(Placement, StoredAt96DpiWhateverTheMonitor) {
  // As earlier versions wrote it: 96-DPI values.
  const StoredPlacement stored{{44, 0, 1, -1, -1, 20, 30, 40, 50, 460, 350}};
  StoredPlacement p = stored;
  PlacementFrom96(&p, 96, 96);
  EXPECT_EQ(std::memcmp(&p, &stored, sizeof p), 0);
  // System at 150 %, window on a 200 % monitor: corner at the system's
  // scale, size at the monitor's.
  PlacementFrom96(&p, 144, 192);
  EXPECT_EQ(p.Values[kLeft], 60);
  EXPECT_EQ(p.Values[kTop], 75);
  EXPECT_EQ(p.Values[kRight] - p.Values[kLeft], 840);
  EXPECT_EQ(p.Values[kBottom] - p.Values[kTop], 600);
  EXPECT_EQ(p.Values[kMaxX], 30);
  EXPECT_EQ(p.Values[kMaxY], 45);
  EXPECT_EQ(p.Values[kMinX], -2);  // -1.5, away from zero
  EXPECT_EQ(p.Values[kShow], 1);
  PlacementTo96(&p, 144, 192);
  EXPECT_EQ(p.Values[kLeft], 40);
  EXPECT_EQ(p.Values[kRight], 460);
  EXPECT_EQ(p.Values[kBottom], 350);
  EXPECT_EQ(p.Values[kMaxY], 30);
  // No width: the default rectangle, at the monitor's scale.
  StoredPlacement empty = stored;
  empty.Values[kRight] = empty.Values[kLeft];
  FitPlacementToArea(&empty, {0, 0, 2560, 1440}, 144);
  EXPECT_EQ(empty.Values[kLeft], 15);
  EXPECT_EQ(empty.Values[kRight] - empty.Values[kLeft], 600);
  EXPECT_EQ(empty.Values[kBottom] - empty.Values[kTop], 375);
}

TEST(StatusBand, LinesNeverOverlapAtAnyScale) {
  // At 96 DPI: 32 pixels, lines at 0 and 16, or 1 and 17 under the
  // separator.
  StatusBandLayout l = LayOutStatusBand(96, 13, false);
  EXPECT_EQ(l.Separator, 0);
  EXPECT_EQ(l.FirstLine, 0);
  EXPECT_EQ(l.SecondLine, 16);
  EXPECT_EQ(l.Height, 32);
  l = LayOutStatusBand(96, 13, true);
  EXPECT_EQ(l.Separator, 1);
  EXPECT_EQ(l.FirstLine, 1);
  EXPECT_EQ(l.SecondLine, 17);
  EXPECT_EQ(l.Height, 32);
  l = LayOutStatusBand(144, 20, true);
  EXPECT_EQ(l.Separator, 2);
  EXPECT_EQ(l.SecondLine, 26);
  EXPECT_EQ(l.Height, 48);
  // A font taller than the scaled step (a large text setting) pushes the
  // second line and the band's end down.
  for (int dpi : {96, 120, 144, 192, 288}) {
    for (int font = 8; font <= 80; ++font) {
      for (bool separator : {false, true}) {
        l = LayOutStatusBand(dpi, font, separator);
        EXPECT_GE(l.SecondLine - l.FirstLine, font);
        EXPECT_GE(l.Height - l.SecondLine, font);
        EXPECT_GE(l.Height, ScaleForDpi(32, dpi));
        EXPECT_GE(l.FirstLine, l.Separator);
      }
    }
  }
}

}  // namespace
