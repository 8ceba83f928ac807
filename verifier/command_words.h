// The meaning of the verifier's command-line words: the keyword table, the
// keyword effects and the path words.
#pragma once

#include "verifier/command_line.h"
#include "verifier/keyword_tree.h"
#include "verifier/run_state.h"

enum KeywordId : int {
  kKeywordOutput = 1,
  kKeywordNoDbUpdate = 2,
  kKeywordDoAll = 3,
  kKeywordCreate = 4,
  kKeywordType = 5,
  kKeywordSfv = 6,
  kKeywordMd5 = 7,
  kKeywordSha1 = 8,
  kKeywordSha256 = 9,
  kKeywordSha512 = 10,
  kKeywordBlake3 = 11,
  kKeywordErrorLevel = 12,
  kKeywordXxh32 = 13,
  kKeywordXxh64 = 14,
  kKeywordXxh3 = 15,
  kKeywordXxh128 = 16,
};

// Fills the tree with md5, nodbupdate, output, sfv, doall, create, type,
// sha1, sha256, sha512, blake3, errorlevel, xxh32, xxh64, xxh3 and xxh128.
bool FillKeywordTree(KeywordTree* tree);

enum class StartupError {
  None,
  InvalidType,   // "Invalid type specified for creation"
  NoCreateName,  // "No name specified for new .sfv file"
};

// The message box text of a start-up error ("" for None).
const char* StartupErrorMessage(StartupError error);

// Tells whether a path word names an existing file by its exact name.
using ExistsExactlyFn = bool (*)(const char* path);

// Applies the words in order to `state`: keywords act on the flags, on
// OutputPath, ListPath and CreateType (TYPE: takes sfv, md5, sha1, sha256,
// sha512, blake3, xxh32, xxh64, xxh3 or xxh128); any other word is a path (rejoined when it was
// split, so an unquoted C:\dir\list.sfv survives) and becomes ListPath when it
// names an existing file (accepted and ignored in create mode). Stops at the
// first invalid word.
StartupError ApplyCommandWords(const CommandArg* first, const KeywordTree& tree,
                               ExistsExactlyFn existsExactly, VerifierState* state);

// Whether any word is ERRORLEVEL, wherever it stands: a command line that
// ApplyCommandWords rejects before reaching it still ends with
// kErrorLevelListFailed (error_level.h) instead of the start-up failure code.
bool HasErrorLevelWord(const CommandArg* first, const KeywordTree& tree);

// The value of the first OUTPUT: word, wherever it stands, or null when there
// is none: a run with a results file is unattended from its start, so even a
// command line that ApplyCommandWords rejects before reaching the word shows
// no message box.
const char* OutputWordPath(const CommandArg* first, const KeywordTree& tree);

// The dialog rule: when the file-name part (after the last '\') has no '.',
// ".sfv" is appended. False (path unchanged) when that would not fit in
// `capacity` bytes with the terminator.
bool AppendSfvWhenNoExtension(char* path, unsigned capacity);
