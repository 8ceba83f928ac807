// Runs CRVNINST or CRVNUNST as a separate process and answers its dialogs
// and message boxes from a watcher thread, the way a user would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SetupAnswers {
  std::string folder;  // typed into the folder box (UTF-8); empty keeps the proposal
  // Typed first, one after another, each once the box that refuses the one
  // before has been answered; then `folder`.
  std::vector<std::string> refusedFolders;
  bool shellExtension = true;
  bool updateDb = true;
  bool usePath = true;
  // Clicks on the SFV, CRC, CKZ, CSV, PAR and MD5 boxes and the digest
  // tools' lists' box.
  int typeClicks[7] = {};
  int keepNewer = IDYES;  // answer to "Keep newer version?"
  int sure = IDYES;       // answer to "Are you sure?"
};

struct SeenMessage {
  std::string caption, text;
  bool icon = false;  // shown with an icon (the system's icons are not
                      // comparable across processes under Wine)
};

struct SetupRun {
  DWORD exitCode = 0xDEADBEEF;                       // when it did not start or end
  std::string proposal;                              // the folder box's text when it opened (UTF-8)
  int typeStates[7] = {-1, -1, -1, -1, -1, -1, -1};  // the type boxes when they opened
  std::vector<std::string> dialogs;                  // captions of the dialogs, in order
  // Question dialogs not centred on the screen, with where they were.
  std::vector<std::string> misplaced;
  std::vector<SeenMessage> messages;
};

// Runs `commandLine` (UTF-8, the program path as it appears there) to its
// end, answering messages sent to the calling thread's windows meanwhile.
SetupRun RunSetupProgram(const std::string& commandLine, const SetupAnswers& answers,
                         DWORD timeoutMs = 120000);
