// Names in the shell extension: the case-insensitive comparison of paths and
// extensions, and the rules by which the creation dialog gives the list's
// name the extension of its type.
#pragma once

#include <cstddef>
#include <cstdint>

// Names and paths (UTF-8) compared without regard to case, <0, 0 or >0 like
// strcmp: while both texts are ASCII, A to Z folded to lower case and the
// bytes compared as unsigned values (so "_" sorts before the letters); from
// the first character that is not ASCII on, the system's Unicode rules
// (name_case.h), so that "Ÿ" equals "ÿ" and "É" equals "é".
int CompareNoCase(const char* a, const char* b);
int CompareNoCase(const char* a, size_t aLength, const char* b, size_t bLength);

// A hash of a name that names equal under CompareNoCase share: FNV-1a over
// the upper-case form (ASCII letters folded here, the rest by the system's
// Unicode rules).
uint32_t HashNameNoCase(const char* name, size_t length);

// The extension of a path: its last '.' after the last '\', or null.
const char* FindExtension(const char* path);

#include "hashing/digest_algorithm.h"

// The types a list is created as, in the order of the dialog's drop-down.
enum class ListType {
  Sfv = 0,
  Md5 = 1,
  Sha1 = 2,
  Sha256 = 3,
  Sha512 = 4,
  Blake3 = 5,
  Xxh3 = 6,
  Xxh128 = 7,
};
constexpr int kCreatedListTypes = 8;

// ".sfv", ".md5", ".sha1", ".sha256", ".sha512", ".b3", ".xxh3", ".xxh128";
// upper case with `upper`.
const char* ListExtension(ListType type, bool upper);

// The type whose extension `extension` is (any case; ".blake3" too), for the
// "DefaultExtension" setting. False for any other text.
bool ListTypeFromExtension(const char* extension, ListType* type);

// The checksum a list of the type carries (CRC-32 for SFV).
DigestAlgorithm ListTypeAlgorithm(ListType type);

// SFV and MD5 lists are written as they always were: a header, a comment
// line per file, CR LF line ends. The digest lists are written as their
// tools write them: checksum lines only (FormatDigestLine), each ended by LF.
bool ListTypeHasComments(ListType type);
// The tag of the type's lines when its tool writes them tagged ("XXH3", as
// xxhsum does), else null.
const char* ListTypeTag(ListType type);
const char* ListTypeLineEnd(ListType type);

// The list path the dialog first proposes: the first file's folder part up to
// `baseLength`, then `defaultFilename` or, when that is empty, the first
// file's own name; its extension (any) replaced by the type's, or the type's
// appended. False when it does not fit into `capacity` bytes.
bool ProposeListPath(char* out, size_t capacity, const char* firstPath, size_t baseLength,
                     const char* defaultFilename, ListType type, bool upper);

// The type was switched: a name without extension gets the new type's
// extension (in the dialog's case), the extension of any list type (".sfv",
// ".md5", ".sha256"..., in any case) becomes the new type's in lower case,
// any other extension stays. False when the result
// does not fit (then `text` is unchanged).
bool SwitchListExtension(char* text, size_t capacity, ListType type, bool upper);

// OK was pressed: a name without extension gets the type's (in the dialog's
// case). False when it does not fit (then `text` is unchanged).
bool CompleteListPath(char* text, size_t capacity, ListType type, bool upper);
