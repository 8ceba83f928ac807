// The console program's command line: `crvn COMMAND [OPTION]... ARGUMENT...`,
// taken apart into one record. Portable, so that every rule is tested
// natively.
//
//   crvn check [--quiet] [--status] [--strict] [--threads N] LIST...
//   crvn hash [-a ALGORITHM]... [--tag] [-r] [--threads N] PATH...
//   crvn hash [-a ALGORITHM]... --expect DIGEST FILE
//   crvn create -t TYPE -o LIST [--force] [--threads N] PATH...
//   crvn --help | --version
//
// `--no-progress` may stand anywhere; an option's value may follow it as the
// next argument or behind "=" ("--threads=4", "-a=md5") and a one-letter
// option's also joined to it ("-amd5"); "--" ends the options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hashing/digest_algorithm.h"

enum class CrvnCommand { Help, Version, Check, Hash, Create };

struct CrvnOptions {
  CrvnCommand Command = CrvnCommand::Help;
  bool NoProgress = false;
  // check
  bool Quiet = false;
  bool Status = false;
  bool Strict = false;
  uint32_t Threads = 0;  // as the "Threads" setting: 0 decides, 1..16
  // hash
  std::vector<DigestAlgorithm> Algorithms;  // in the order given; SHA-256 when none
  bool Tag = false;
  bool Recursive = false;
  bool HasExpect = false;
  std::string Expect;
  // create
  std::string Type;  // the word given: sfv, md5, sha1, sha256, sha512, blake3
  std::string Output;
  bool Force = false;
  // The lists, paths or the one file.
  std::vector<std::string> Arguments;
};

// Parses `args` (UTF-8, without the program's name). False for a wrong
// command line, with `*error` naming the fault in one line
// ("unknown option '--x'"); the caller prints it and the usage.
bool ParseCrvnCommandLine(const std::vector<std::string>& args, CrvnOptions* options,
                          std::string* error);

// The usage text, lines ended by "\n".
const char* CrvnUsage();
