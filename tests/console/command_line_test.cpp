// The console program's command line: each command with its options, the
// forms of an option's value, and the wrong command lines that exit 2.
#include "console/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "hashing/digest_names.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The parse as one line: the command and every field that was set.
std::string Parse(const std::string& line) {
  CrvnOptions o;
  std::string error;
  if (!ParseCrvnCommandLine(Words(line), &o, &error)) return "error: " + error;
  static const char* const kCommands[] = {"help", "version", "check", "hash", "create"};
  std::string out = kCommands[static_cast<int>(o.Command)];
  if (o.NoProgress) out += " no-progress";
  if (o.Quiet) out += " quiet";
  if (o.Status) out += " status";
  if (o.Strict) out += " strict";
  if (o.Threads) out += " threads=" + std::to_string(o.Threads);
  for (DigestAlgorithm a : o.Algorithms) out += std::string(" -a ") + DigestWord(a);
  if (o.Tag) out += " tag";
  if (o.Recursive) out += " r";
  if (o.HasExpect) out += " expect=" + o.Expect;
  if (!o.Type.empty()) out += " type=" + o.Type;
  if (!o.Output.empty()) out += " out=" + o.Output;
  if (o.Force) out += " force";
  for (const std::string& a : o.Arguments) out += " [" + a + "]";
  return out;
}

TEST(CrvnCommandLine, EveryCommandAndOption) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "error: no command given"},
      {"--help", "help"},
      {"/?", "help"},
      {"--version", "version"},
      {"check --help", "help"},
      {"check a.sfv", "check [a.sfv]"},
      {"check --quiet --status --strict --threads 4 a b", "check quiet status strict threads=4 [a] [b]"},
      {"--no-progress check --threads=16 a", "check no-progress threads=16 [a]"},
      {"check a --no-progress", "check no-progress [a]"},
      {"check -- --quiet", "check [--quiet]"},
      {"check -", "check [-]"},
      {"hash f", "hash -a sha256 [f]"},
      {"hash -a md5 -a BLAKE3 -acrc32 -a=sha1 --algorithm sha512 f",
       "hash -a md5 -a blake3 -a crc32 -a sha1 -a sha512 [f]"},
      {"hash --tag -r d", "hash -a sha256 tag r [d]"},
      {"hash --expect sha256:ab f", "hash -a sha256 expect=sha256:ab [f]"},
      {"create -t sfv -o l.sfv --force a b", "create type=sfv out=l.sfv force [a] [b]"},
      {"create --type=blake3 --output=x.b3 d", "create type=blake3 out=x.b3 [d]"},
      // Wrong command lines.
      {"verify a", "error: unknown command 'verify'"},
      {"--quiet check a", "error: unknown option '--quiet'"},
      {"check", "error: no list given"},
      {"hash", "error: no file given"},
      {"check --tag a", "error: unknown option '--tag'"},
      {"hash --quiet f", "error: unknown option '--quiet'"},
      {"check --threads 17 a", "error: invalid number of threads '17' (0 to 16)"},
      {"check --threads x a", "error: invalid number of threads 'x' (0 to 16)"},
      {"check a --threads", "error: option '--threads' needs a value"},
      {"check --quiet=1 a", "error: option '--quiet' takes no value"},
      {"hash -a md4 f", "error: unknown algorithm 'md4'"},
      {"hash --expect x a b", "error: --expect checks exactly one file"},
      {"hash --expect x -r d", "error: --expect checks exactly one file"},
      {"create -t sfv a", "error: create needs -t TYPE and -o LIST"},
      {"create -o l a", "error: create needs -t TYPE and -o LIST"},
  };
  for (const auto& [line, parsed] : cases) EXPECT_EQ(Parse(line), parsed) << line;
}

}  // namespace
