#include "results/window_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

}  // namespace
