// Lists wrapped in an OpenPGP clear signature (RFC 4880, section 7), as
// distributions publish their checksum files:
//
//   -----BEGIN PGP SIGNED MESSAGE-----
//   Hash: SHA256
//   (a blank line)
//   the signed text: the list in its own format, each line that starts
//   with "-" written as "- -..." (dash-escaped)
//   -----BEGIN PGP SIGNATURE-----
//   ...
//   -----END PGP SIGNATURE-----
//
// The signature itself is not checked here. Only the signed text is read
// as the list; a line anywhere after it (behind the signature, where anyone
// may have added it) is never an entry: the verifier reports it as
// "Line outside the signed text: <line>" (a line of more than 960 bytes by
// its start and "..."), which fails the run.
#pragma once

#include <cstdint>

#include "platform/file.h"

struct ListReader;

// Where the parts of a clearsigned list lie, as file positions.
struct ClearsignedText {
  bool Signed;
  uint64_t TextStart;  // the first line of the signed text
  // Behind the signed text's last line, so before any blank lines and the
  // "-----BEGIN PGP SIGNATURE-----" line; the end of the file without one.
  uint64_t SignatureStart;
  uint64_t SignatureEnd;  // behind "-----END PGP SIGNATURE-----"; the end without one
};

// Looks at the list from its text's start (behind any byte-order mark; the
// reader's encoding is decided and its Clearsigned part clear): when its
// first line is "-----BEGIN PGP SIGNED MESSAGE-----", fills `reader`'s
// Clearsigned part (the "Hash:" lines after that line are passed over) and
// returns true. The file position is left anywhere.
bool FindClearsignedText(ListReader* reader, NativeFile file);

// The next line of a clearsigned list with the contract of ReadListTextLine
// (which calls this for a signed list): lines of the signed text come
// dash-unescaped; at the signature the signed text ends, and every line
// behind the signature is reported (verifier) and skipped, so the list
// ends there.
int32_t ReadClearsignedLine(const ListReader& reader, NativeFile file, char* buffer,
                            int32_t bufferSize, bool* cut);
