// The portable rules of the "Checksums" page: which algorithms it shows, how
// a digest is written in its rows, which row a published digest matches,
// and which line of the clipboard's text fills its "Check against:" box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "formats/published_digest.h"
#include "hashing/digest_names.h"
#include "hashing/file_digest.h"

// The algorithms `ChecksumAlgorithms=` names (words of DigestFromWord,
// separated by commas, blanks around them ignored), written to `out` in the
// order of kDigestAlgorithmsInOrder, each once; returns how many. A missing
// or empty value, or one with no word known, shows every algorithm; unknown
// words are passed over.
int ParseChecksumAlgorithms(std::string_view value, DigestAlgorithm out[kDigestAlgorithmCount]);

// Room for the text of the longest digest and its terminating zero.
constexpr size_t kRowDigestChars = 2 * kMaxDigestBytes + 1;
// A row's checksum as the peers print it: lower-case hexadecimal, CRC-32 as
// the eight upper-case digits SFV lists carry.
void FormatRowDigest(const DigestValue& value, char out[kRowDigestChars]);

// Whether `value` is the published digest: its algorithm is one the digest
// may be, and the bytes are the same.
bool MatchesPublished(const PublishedDigest& published, const DigestValue& value);

// The first of `count` rows (null entries are rows not hashed) that the
// published digest matches, or -1.
int FindMatchingRow(const PublishedDigest& published, const DigestValue* const* rows, size_t count);

// The line of `text` (blanks around it trimmed) in which a digest is found
// first, or an empty view when there is none: what fills the box from the
// clipboard.
std::string_view LineWithDigest(std::string_view text);

// "HEX  name": a copied row, as the digest tools write their lines.
void AppendCopyLine(std::string* out, const char* hex, const char* name);
