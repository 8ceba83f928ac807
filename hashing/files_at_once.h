// How many files are hashed at the same time. Interleaved reads make a
// spinning disk many times slower, so files go side by side only where the
// storage has no seek penalty (solid-state and memory-backed drives) or the
// user asks for it with the "Threads" setting.
#pragma once

#include <cstdint>

// What the storage under a file says of itself.
enum class SeekPenalty : uint8_t {
  None,     // no seek penalty: solid-state, memory-backed
  Present,  // a spinning disk
  Unknown,  // the question could not be asked or was not answered
};

// The most files ever hashed at once, whatever the setting says: each one
// holds a ring of blocks, so this bounds the memory in flight.
constexpr uint32_t kMaxFilesAtOnce = 16;

// `threadsSetting` is the "Threads" setting: 0 decides from the seek penalty
// (every processor without one, else one file at a time), 1 is one file at a
// time, N at most N files at once whatever the storage. Always 1 to
// kMaxFilesAtOnce; a processor count of 0 counts as 1.
uint32_t FilesAtOnce(SeekPenalty penalty, uint32_t threadsSetting, uint32_t processors);
