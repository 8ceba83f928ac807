// The machine's Path (kEnvironmentKey's kPathValue), which carries the
// installation folder so that crvn runs from any command line.
#pragma once

#include <string>

// The Path as stored, its references such as %SystemRoot% unexpanded;
// false when there is none.
bool ReadMachinePath(std::string* path);

// Takes `entry` (an installation's PathEntry) out of the Path, leaving every
// other entry byte for byte and the value an expandable string; true when
// the Path no longer holds it.
bool RemoveMachinePathEntry(const std::string& entry);

// Tells the running programs (Explorer first) that the environment
// changed, so that new command lines get the new Path.
void AnnounceEnvironmentChange();
