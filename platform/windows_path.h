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
// `kPlainPathLimit` UTF-16 units or more, a name in it ends in a dot or a
// blank ("." and ".." are no names), or its last name is a reserved device
// name (IsReservedDeviceName), which the plain form takes for the device.
bool NeedsExtendedForm(const std::string& path);

// True for the names the plain form of a path takes for a device when they
// are its last name: CON, PRN, AUX, NUL, COM0..COM9, LPT0..LPT9 (also with a
// superscript 1, 2 or 3), CONIN$ and CONOUT$, in any case, also followed by
// blanks, an extension or a colon ("nul", "con.txt", "COM1 .bin").
bool IsReservedDeviceName(const std::string& name);

// What a list's name says about where its file lies.
enum class ListNameKind : uint8_t {
  Relative,       // "x", "sub\x": in the list's folder
  Rooted,         // "\x": from the root of the list's drive or share
  DriveRelative,  // "C:x": from drive C's current folder
  Absolute,       // "C:\x"
  Network,        // "\\server\share\x", "//server/share/x", either separator
  Device,         // "\\.\x", "\\?\x", "//./x", "//?/x", "\??\x"
};
ListNameKind ClassifyListName(const std::string& name);

// The path a list's name is opened by, for the verifier, the list
// operations and every check made on the name first, so that a name is
// checked and hashed at one path. `listFolder` is the absolute folder the
// names are taken in (the list's own, or a base folder chosen for the run),
// plain or in the extended form.
//
// A network or device name is never opened (false): opening it would make
// the system connect to a machine the list chose, offering the user's
// credentials. The one exception is a network name on the server and share
// the list itself lies on. Otherwise `*path` receives:
//   Relative: the name joined to the folder;
//   Rooted: the name behind the folder's drive ("C:") or share;
//   DriveRelative, Absolute, Network: the name itself (drive C's current
//     folder is the system's to know: SystemPath completes it);
// then, when the folder is in the extended form, the joined path normalized
// as ToExtendedForm does (the system does not normalize that form). A last
// name that is a reserved device name ("nul", "con.txt") names a file: the
// file calls hand such a path over in the extended form (NeedsExtendedForm).
// `*nameStart` receives the bytes of
// `*path` that are the folder a relative name was joined to (0 for the
// others): a missing name is resolved behind them.
bool ListNamePath(const std::string& listFolder, const std::string& name, std::string* path,
                  uint32_t* nameStart);

// The extended form of an absolute path: "/" becomes "\", repeated separators
// fold, "." goes and ".." takes the name before it (never the drive or the
// share). False for a path that is not absolute.
bool ToExtendedForm(const std::string& absolute, std::string* out);

// `folder` and `name` with one separator between them; an absolute `name`
// stands alone.
std::string JoinPath(const std::string& folder, const std::string& name);
