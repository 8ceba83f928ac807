#include "shellext/candidate_lists_win32.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "formats/digest_list.h"
#include "formats/list_detection.h"
#include "formats/par_list.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"

namespace {

// Opens a list for reading, sharing reads, trying again every
// kSharingRetryMs while another program holds it (see kSharingWaitMs).
// `cancelled` is set when the pause says the command has ended.
NativeFile OpenListWaiting(CandidateList* list, const CandidateOptions& options, bool* cancelled) {
  *cancelled = false;
  const uint32_t waitMs = options.SharingWaitMs;
  const uint32_t tries = list->StayedLocked ? 1 : waitMs / kSharingRetryMs + 1;
  for (uint32_t i = 0;; ++i) {
    OpenError error = OpenError::None;
    const NativeFile file = OpenFile(list->Path.c_str(), OpenMode::ReadShared, &error);
    if (file != kNoFile) {
      list->StayedLocked = false;
      return file;
    }
    if (error != OpenError::SharingViolation) return kNoFile;
    if (i + 1 >= tries) break;
    if (!options.Pause) {
      ::Sleep(kSharingRetryMs);
    } else if (!options.Pause(options.PauseContext, kSharingRetryMs)) {
      *cancelled = true;
      return kNoFile;
    }
  }
  list->StayedLocked = true;
  return kNoFile;
}

// A .par candidate is kept when it opens and its header is sound (or too
// short to tell).
bool KeepParList(CandidateList* list, const CandidateOptions& options) {
  bool cancelled = false;
  UniqueFile file(OpenListWaiting(list, options, &cancelled));
  if (!file) return false;
  return CheckParHeader(&list->Reader, file.Get()) != ParCheck::Invalid;
}

// Moves an open list to its first entry. A .crc list that has not turned out
// to be a JPEG Sheriff table is sampled again; a text list inside a clear
// signature is read as its signed text only (nothing added behind the
// signature is ever an entry).
bool PositionForSearch(CandidateList* list, NativeFile file) {
  if (list->Reader.Format == ListFormat::BinaryCrc) {
    DetectListFormat(&list->Reader, list->Path.c_str(), file);
  } else if (list->Reader.Format != ListFormat::Par && !list->Reader.Clearsigned.Signed) {
    FindClearsignedText(&list->Reader, file);
  }
  return PositionListForReading(&list->Reader, file);
}

void FreeList(CandidateList* list) {
  FreeListIndex(&list->Index);
  delete list;
}

}  // namespace

bool FindCandidateLists(const char* firstPath, uint32_t baseLength, const CandidateOptions& options,
                        CandidateLists* lists) {
  lists->Head = nullptr;
  lists->Options = options;
  const std::string folder(firstPath, baseLength);
  FoundFile found;
  UniqueFindHandle find(FindFirstUtf8((folder + "*.*").c_str(), &found));
  if (!find) return true;
  CandidateList** tail = &lists->Head;
  do {
    ListFormat format;
    if (!ClassifyListPath(ListHost::ShellExtension, found.Name.c_str(), &format)) continue;
    auto* list = new (std::nothrow) CandidateList;
    if (!list) {
      FreeCandidateLists(lists);
      return false;
    }
    list->Path = folder;
    list->Path += found.Name;
    InitListReader(&list->Reader, ListHost::ShellExtension, nullptr, nullptr);
    list->Reader.Format = format;
    // A digest list's name says its algorithm (a ".b3" list's digests are
    // as long as SHA-256's).
    if (format == ListFormat::DigestList || format == ListFormat::Md5)
      TakeDigestNaming(&list->Reader, found.Name.c_str());
    if (format == ListFormat::Par && !KeepParList(list, options)) {
      FreeList(list);
      continue;
    }
    *tail = list;
    tail = &list->Next;
  } while (FindNextUtf8(find.Get(), &found));
  return true;
}

LookupResult LookUpFile(CandidateLists* lists, const char* relativeName, ListMatch* match,
                        CouldNotOpenSink sink, void* context) {
  const char* name = relativeName;
  if (std::strlen(name) > kMaxEntryName) return LookupResult::NotFound;  // no entry is that long

  const bool useIndex = lists->Options.UseIndex;
  for (CandidateList* list = lists->Head; list; list = list->Next) {
    bool found = false;
    if (useIndex && list->Indexed) {
      found = FindInListIndex(list->Index, name, &match->Entry);
    } else {
      bool cancelled = false;
      UniqueFile file(OpenListWaiting(list, lists->Options, &cancelled));
      if (cancelled) return LookupResult::Cancelled;
      if (!file) {
        if (sink) {
          VerifyRow row;
          DescribeCouldNotOpen(list->Path.c_str(), &row);
          sink(context, row);
        }
        continue;
      }
      if (!PositionForSearch(list, file.Get())) continue;
      if (useIndex) {
        if (!BuildListIndex(&list->Reader, file.Get(), &list->Index))
          return LookupResult::OutOfMemory;
        list->Indexed = true;
        found = FindInListIndex(list->Index, name, &match->Entry);
      } else {
        found = FindInOpenList(&list->Reader, file.Get(), name, &match->Entry);
      }
    }
    if (found) {
      match->List = list;
      match->UseMd5 = UsesMd5(list->Reader.Format);
      return LookupResult::Found;
    }
  }
  return LookupResult::NotFound;
}

void FreeCandidateLists(CandidateLists* lists) {
  while (CandidateList* list = lists->Head) {
    lists->Head = list->Next;
    FreeList(list);
  }
}
