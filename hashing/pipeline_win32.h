// The read-and-hash pipeline: a reader thread maps or reads one file block by
// block into a ring of eight slots, a hashing thread feeds them in order to
// the CRC-32 or MD5 and publishes the outcome in the HashJob.
#pragma once

#include "hashing/hash_job_win32.h"

// Creates the semaphores, the job's StartSemaphore and DoneEvent and the quit
// event, then starts the reader and the hashing thread. Called once before the
// first file. Returns 1.
int StartHashing(HashJob* job);

// Signals the quit event, waits for the reader and then the hashing thread to
// end and closes every handle StartHashing created. A file in flight ends with
// ReadError within one block. Returns 1.
int StopHashing(HashJob* job);
