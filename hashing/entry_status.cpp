#include "hashing/entry_status.h"

const char* EntryStatusMessage(uint32_t status) {
  switch (status) {
    case FileMissing:
      return "File does not exist";
    case ReadError:
      return "Error reading file";
    case Unresolved:
      return "Could not resolve filename";
    case LengthMismatch:
      return "File length mismatch";
    case NotOpened:
      return "Network or device path not opened";
    default:
      return "Internal allocation error";
  }
}
