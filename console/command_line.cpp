#include "console/command_line.h"

#include "hashing/digest_names.h"

namespace {

// An option and how its value (if any) was found.
struct Taken {
  std::string name;   // "--threads", "-a"
  std::string value;  // behind "=", or joined to a one-letter option
  bool hasValue = false;
};

Taken Split(const std::string& arg) {
  Taken t;
  const size_t equals = arg.find('=');
  if (arg.size() > 2 && arg[1] != '-') {
    // "-amd5", "-a=md5"
    t.name = arg.substr(0, 2);
    t.value = arg.substr(arg[2] == '=' ? 3 : 2);
    t.hasValue = true;
  } else if (equals != std::string::npos) {
    t.name = arg.substr(0, equals);
    t.value = arg.substr(equals + 1);
    t.hasValue = true;
  } else {
    t.name = arg;
  }
  return t;
}

bool ParseThreads(const std::string& text, uint32_t* threads) {
  if (text.empty() || text.size() > 3) return false;
  uint32_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  if (n > 16) return false;
  *threads = n;
  return true;
}

}  // namespace

bool ParseCrvnCommandLine(const std::vector<std::string>& args, CrvnOptions* options,
                          std::string* error) {
  *options = CrvnOptions{};
  size_t i = 0;
  bool haveCommand = false;
  bool optionsEnded = false;
  // Global options before the command.
  for (; i < args.size() && !haveCommand; ++i) {
    const std::string& a = args[i];
    if (a == "--no-progress") {
      options->NoProgress = true;
    } else if (a == "--help" || a == "-h" || a == "/?") {
      options->Command = CrvnCommand::Help;
      return true;
    } else if (a == "--version") {
      options->Command = CrvnCommand::Version;
      return true;
    } else if (a == "check") {
      options->Command = CrvnCommand::Check;
      haveCommand = true;
    } else if (a == "hash") {
      options->Command = CrvnCommand::Hash;
      haveCommand = true;
    } else if (a == "create") {
      options->Command = CrvnCommand::Create;
      haveCommand = true;
    } else {
      *error = a[0] == '-' ? "unknown option '" + a + "'" : "unknown command '" + a + "'";
      return false;
    }
  }
  if (!haveCommand) {
    *error = "no command given";
    return false;
  }
  const CrvnCommand command = options->Command;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      options->Arguments.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    Taken t = Split(a);
    // The value of an option that takes one: joined, or the next argument.
    auto value = [&](std::string* out) {
      if (t.hasValue) {
        *out = t.value;
        return true;
      }
      if (i + 1 >= args.size()) {
        *error = "option '" + t.name + "' needs a value";
        return false;
      }
      *out = args[++i];
      return true;
    };
    auto flag = [&](bool* out) {
      if (t.hasValue) {
        *error = "option '" + t.name + "' takes no value";
        return false;
      }
      *out = true;
      return true;
    };
    std::string v;
    bool ok = true;
    if (t.name == "--no-progress") {
      ok = flag(&options->NoProgress);
    } else if (t.name == "--help" || t.name == "-h") {
      options->Command = CrvnCommand::Help;
      return true;
    } else if (t.name == "--threads" && command != CrvnCommand::Help) {
      if (!value(&v)) return false;
      if (!ParseThreads(v, &options->Threads)) {
        *error = "invalid number of threads '" + v + "' (0 to 16)";
        return false;
      }
    } else if (command == CrvnCommand::Check && t.name == "--quiet") {
      ok = flag(&options->Quiet);
    } else if (command == CrvnCommand::Check && t.name == "--status") {
      ok = flag(&options->Status);
    } else if (command == CrvnCommand::Check && t.name == "--strict") {
      ok = flag(&options->Strict);
    } else if (command == CrvnCommand::Hash && (t.name == "-a" || t.name == "--algorithm")) {
      if (!value(&v)) return false;
      DigestAlgorithm algorithm;
      if (!DigestFromWord(v, &algorithm)) {
        *error = "unknown algorithm '" + v + "'";
        return false;
      }
      options->Algorithms.push_back(algorithm);
    } else if (command == CrvnCommand::Hash && t.name == "--tag") {
      ok = flag(&options->Tag);
    } else if (command == CrvnCommand::Hash && (t.name == "-r" || t.name == "--recursive")) {
      ok = flag(&options->Recursive);
    } else if (command == CrvnCommand::Hash && t.name == "--expect") {
      if (!value(&options->Expect)) return false;
      options->HasExpect = true;
    } else if (command == CrvnCommand::Create && (t.name == "-t" || t.name == "--type")) {
      if (!value(&options->Type)) return false;
    } else if (command == CrvnCommand::Create && (t.name == "-o" || t.name == "--output")) {
      if (!value(&options->Output)) return false;
    } else if (command == CrvnCommand::Create && t.name == "--force") {
      ok = flag(&options->Force);
    } else {
      *error = "unknown option '" + a + "'";
      return false;
    }
    if (!ok) return false;
  }

  if (command == CrvnCommand::Hash && options->Algorithms.empty())
    options->Algorithms.push_back(DigestAlgorithm::Sha256);
  if (options->Arguments.empty()) {
    *error = command == CrvnCommand::Check ? "no list given" : "no file given";
    return false;
  }
  if (command == CrvnCommand::Hash && options->HasExpect) {
    if (options->Arguments.size() != 1 || options->Recursive || options->Tag) {
      *error = "--expect checks exactly one file";
      return false;
    }
  }
  if (command == CrvnCommand::Create) {
    if (options->Type.empty() || options->Output.empty()) {
      *error = "create needs -t TYPE and -o LIST";
      return false;
    }
  }
  return true;
}

const char* CrvnUsage() {
  return "Usage: crvn check [--quiet] [--status] [--strict] [--threads N] LIST...\n"
         "       crvn hash [-a ALGORITHM]... [--tag] [-r] PATH...\n"
         "       crvn hash [-a ALGORITHM]... --expect DIGEST FILE\n"
         "       crvn create -t TYPE -o LIST [--force] PATH...\n"
         "       crvn --help | --version\n"
         "\n"
         "  check    verify checksum lists of every type Corvana reads\n"
         "  hash     print the checksums of files (-r walks folders)\n"
         "  create   write a list: TYPE sfv, md5, sha1, sha256, sha512, blake3, xxh3 or xxh128\n"
         "\n"
         "  ALGORITHM  crc32, md5, sha1, sha256 (the default), sha512, blake3, xxh32, xxh64,\n"
         "             xxh3, xxh128\n"
         "  --quiet    print only the failures     --status  print nothing\n"
         "  --strict   fail on improperly formatted lines\n"
         "  --tag      print tagged lines: SHA256 (name) = ...\n"
         "  --expect   check FILE against a published checksum in any usual form\n"
         "  --force    replace an existing LIST once the new one is complete\n"
         "  --threads  files at once: 0 decides (the default), 1 to 16\n"
         "  --no-progress  no progress line on the console\n"
         "\n"
         "Exit codes: 0 all verified, 1 a file failed, was missing or could not be read,\n"
         "2 a list could not be read or the command line was wrong, 3 stopped by Ctrl+C.\n";
}
