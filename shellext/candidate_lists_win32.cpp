#include "shellext/candidate_lists_win32.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "formats/list_detection.h"
#include "formats/par_list.h"
#include "platform/handles_win32.h"

namespace {

void FoldAnsiUpper(char* text, uint32_t length) {
  if (length > 0) ::CharUpperBuffA(text, length);
}

// Opens a list for reading, sharing reads, trying again every
// kSharingRetryMs while another program holds it (see kSharingWaitMs).
NativeFile OpenListWaiting(CandidateList* list, const CandidateOptions& options) {
  const uint32_t waitMs = options.SharingWaitMs;
  const uint32_t tries = list->StayedLocked ? 1 : waitMs / kSharingRetryMs + 1;
  for (uint32_t i = 0;; ++i) {
    OpenError error = OpenError::None;
    const NativeFile file = OpenFile(list->Path, OpenMode::ReadShared, &error);
    if (file != kNoFile) {
      list->StayedLocked = false;
      return file;
    }
    if (error != OpenError::SharingViolation) return kNoFile;
    if (i + 1 >= tries) break;
    if (options.Pause)
      options.Pause(kSharingRetryMs);
    else
      ::Sleep(kSharingRetryMs);
  }
  list->StayedLocked = true;
  return kNoFile;
}

// A .par candidate is kept when it opens and its header is sound (or too
// short to tell).
bool KeepParList(CandidateList* list, const CandidateOptions& options) {
  UniqueFile file(OpenListWaiting(list, options));
  if (!file) return false;
  return CheckParHeader(&list->Reader, file.Get()) != ParCheck::Invalid;
}

// Moves an open list to its first entry. A .crc list that has not turned out
// to be a JPEG Sheriff table is sampled again.
bool PositionForSearch(CandidateList* list, NativeFile file) {
  if (list->Reader.Format == ListFormat::BinaryCrc)
    DetectListFormat(&list->Reader, list->Path, file);
  return PositionListForReading(&list->Reader, file);
}

void FreeList(CandidateList* list) {
  FreeListIndex(&list->Index);
  std::free(list);
}

}  // namespace

bool FindCandidateLists(const char* firstPath, uint32_t baseLength, const CandidateOptions& options,
                        CandidateLists* lists) {
  lists->Head = nullptr;
  lists->Options = options;
  char pattern[kCandidatePathSize];
  if (baseLength + sizeof "*.*" > sizeof pattern) return true;  // no such folder
  std::memcpy(pattern, firstPath, baseLength);
  std::memcpy(pattern + baseLength, "*.*", sizeof "*.*");
  WIN32_FIND_DATAA found;
  UniqueFindHandle find(::FindFirstFileA(pattern, &found));
  if (!find) return true;
  CandidateList** tail = &lists->Head;
  do {
    const size_t nameLength = std::strlen(found.cFileName);
    ListFormat format;
    if (!ClassifyListPath(ListHost::ShellExtension, found.cFileName, &format)) continue;
    if (baseLength + nameLength >= sizeof CandidateList::Path) continue;
    auto* list = static_cast<CandidateList*>(std::calloc(1, sizeof(CandidateList)));
    if (!list) {
      FreeCandidateLists(lists);
      return false;
    }
    std::memcpy(list->Path, firstPath, baseLength);
    std::memcpy(list->Path + baseLength, found.cFileName, nameLength + 1);
    InitListReader(&list->Reader, ListHost::ShellExtension, nullptr, nullptr);
    list->Reader.Format = format;
    if (format == ListFormat::Par && !KeepParList(list, options)) {
      FreeList(list);
      continue;
    }
    *tail = list;
    tail = &list->Next;
  } while (::FindNextFileA(find.Get(), &found));
  return true;
}

LookupResult LookUpFile(CandidateLists* lists, const char* relativeName, ListMatch* match,
                        CouldNotOpenSink sink, void* context) {
  char name[kMaxEntryName + 1];
  const size_t length = std::strlen(relativeName);
  if (length > kMaxEntryName) return LookupResult::NotFound;  // no entry is that long
  std::memcpy(name, relativeName, length + 1);
  FoldAnsiUpper(name, static_cast<uint32_t>(length));

  const bool useIndex = lists->Options.UseIndex;
  for (CandidateList* list = lists->Head; list; list = list->Next) {
    bool found = false;
    if (useIndex && list->Indexed) {
      found = FindInListIndex(list->Index, name, &match->Entry);
    } else {
      UniqueFile file(OpenListWaiting(list, lists->Options));
      if (!file) {
        if (sink) {
          VerifyRow row;
          DescribeCouldNotOpen(list->Path, &row);
          sink(context, row);
        }
        continue;
      }
      if (!PositionForSearch(list, file.Get())) continue;
      if (useIndex) {
        if (!BuildListIndex(&list->Reader, file.Get(), FoldAnsiUpper, &list->Index))
          return LookupResult::OutOfMemory;
        list->Indexed = true;
        found = FindInListIndex(list->Index, name, &match->Entry);
      } else {
        found = FindInOpenList(&list->Reader, file.Get(), name, FoldAnsiUpper, &match->Entry);
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
