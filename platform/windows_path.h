// The text rules of Windows paths that decide how a path is handed to the
// system. Portable, so that the rules are tested natively.
//
// The plain form of a path is limited to 260 characters and loses a trailing
// dot or blank of each name; the extended form ("\\?\C:\..." or
// "\\?\UNC\server\share\...") has neither fault but turns the system's own
// normalization off, so a path is made absolute and normalized here first.
#pragma once

#include <string>

// The plain form's limit, terminator included.
constexpr size_t kPlainPathLimit = 260;

// True for "\\?\..." and "\\.\..." paths, which go to the system unchanged.
bool IsExtendedOrDevicePath(const std::string& path);

// True for "C:\..." (either separator) and "\\server\share..." paths.
bool IsAbsolutePath(const std::string& path);

// True when the plain form would not reach the file the path names: it has
// `kPlainPathLimit` UTF-16 units or more, or a name in it ends in a dot or a
// blank ("." and ".." are no names).
bool NeedsExtendedForm(const std::string& path);

// The extended form of an absolute path: "/" becomes "\", repeated separators
// fold, "." goes and ".." takes the name before it (never the drive or the
// share). False for a path that is not absolute.
bool ToExtendedForm(const std::string& absolute, std::string* out);

// `folder` and `name` with one separator between them; an absolute `name`
// stands alone.
std::string JoinPath(const std::string& folder, const std::string& name);
