// The checksum lists beside a selection, and the search that finds the list
// entry of a selected file: "&Verify Individual Files" looks each selected
// file up here before it hashes it.
//
// Calling order for one command: FindCandidateLists once, LookUpFile once
// per selected file (in selection order), FreeCandidateLists once, also when
// the command is cancelled or a call has failed. All calls run on the
// command's thread; nothing here pumps messages.
#pragma once

#include <cstdint>
#include <string>

#include "formats/list_entry.h"
#include "formats/list_reader.h"
#include "shellext/list_index.h"
#include "shellext/verify_lines.h"

// A list open fails with a sharing violation while another program holds the
// list without sharing reads: it is tried again every kSharingRetryMs. Once a
// list has stayed locked for the whole wait, later searches of the same
// command try it once only, so a list that is never released costs one wait
// per command rather than one per selected file.
constexpr uint32_t kSharingRetryMs = 5;
constexpr uint32_t kSharingWaitMs = 3000;

struct CandidateList {
  CandidateList* Next = nullptr;  // directory order
  std::string Path;               // full path, UTF-8
  ListReader Reader{};            // format, JPEG Sheriff layout, PAR header
  bool Indexed = false;           // Index holds the whole list
  bool StayedLocked = false;      // a sharing violation outlasted the wait
  ListIndex Index{};
};

struct CandidateOptions {
  // Read each list once, the first time a search reaches it, and answer
  // every later search from memory. Off: every search reads the list again
  // up to the entry. Both give the same answers and the same rows as long as
  // no list changes during the command (a list read into memory is not read
  // again).
  bool UseIndex = true;
  uint32_t SharingWaitMs = kSharingWaitMs;
  // How the retries wait kSharingRetryMs: null sleeps. The command passes a
  // wait that dispatches its thread's messages, so that its windows stay live
  // while a locked list is waited for, and that returns false once the
  // command is cancelled (its window closed): the wait then ends at once.
  bool (*Pause)(void* context, uint32_t ms) = nullptr;
  void* PauseContext = nullptr;
};

struct CandidateLists {
  CandidateList* Head;  // null: the folder holds no list
  CandidateOptions Options;
};

// Finds the candidate lists in the folder made of the first `baseLength`
// characters of `firstPath` (the selection's folder, ending with '\'), in the
// order the folder enumerates them: every name longer than four characters
// that ends in .sfv, .crc, .ckz, .csv, .par or .md5 (any case), folders
// included. A .par file is kept only when it can be opened (sharing
// violations retried as above) and its header is sound: "PAR" and five zero
// bytes, and a control hash equal to the MD5 of the file from byte 32; one
// too short to hold a header is kept and names no file. A folder that cannot
// be listed holds no list. `lists` receives the result (Head null when
// there is none). Returns false when memory runs out; nothing is then held.
bool FindCandidateLists(const char* firstPath, uint32_t baseLength, const CandidateOptions& options,
                        CandidateLists* lists);

// Receives the Bad row "Couldn't open %s" of a list that a search reached and
// could not open (other failures than a sharing violation at once, a sharing
// violation after the wait).
using CouldNotOpenSink = void (*)(void* context, const VerifyRow& row);

struct ListMatch {
  const CandidateList* List;  // the list that names the file
  ListEntry Entry;            // its entry: FileName (folded), ExpectedSize
                              // (UnknownSize when the list gives none),
                              // ExpectedCrc or ExpectedMd5
  bool UseMd5;                // PAR and MD5 lists
};

enum class LookupResult { Found, NotFound, OutOfMemory, Cancelled };

// Searches the lists in order for `relativeName` (the selected file's path
// relative to the selection's folder, UTF-8), comparing names without regard
// to case (CompareNoCase: the system's Unicode rules). The first list
// that names the file decides, and in it the first entry of that name. Each
// list the search reaches and cannot open sends one row to `sink` (which may
// be null) and the search goes on with the next; a list that opens and does
// not name the file is passed over. A .crc list is sampled (512 bytes) for a
// JPEG Sheriff table until it is found to be one; a binary one is read from
// byte 128; a PAR list from its file list.
// Found fills `match`; OutOfMemory means a list could not be held in memory
// (the command ends; FreeCandidateLists still frees everything); Cancelled
// that the command was cancelled while a locked list was waited for.
LookupResult LookUpFile(CandidateLists* lists, const char* relativeName, ListMatch* match,
                        CouldNotOpenSink sink, void* context);

// Frees every list and its index; `lists` is empty afterwards.
void FreeCandidateLists(CandidateLists* lists);
