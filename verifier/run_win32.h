// RunList: one verification run of g_verifier.ListPath.
#pragma once

#include <windows.h>

// The first line of every results file.
inline constexpr char kVersionLine[] = "Corvana v2.33";

enum class RunOutcome {
  Done,
  ListOpenFailed,    // "Could not open file: "%s"" (ListPath)
  OutputOpenFailed,  // "Could not open output file: "%s"" (OutputPath)
};

// Opens the list, detects its format, counts it, makes its folder current,
// creates the results file or window, hashes every entry not previously
// verified, stores the database, reports the summary and ends its hasher.
RunOutcome RunList(HINSTANCE instance);
