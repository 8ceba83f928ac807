#include "verifier/command_words.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A path that does not fit is dropped rather than cut (a cut path could
// name another file); command-line words are never that long.
void CopyPath(char* out, size_t capacity, const char* text) {
  const size_t length = std::strlen(text);
  if (length >= capacity) {
    out[0] = '\0';
    return;
  }
  std::memcpy(out, text, length + 1);
}

// The checksum of a TYPE: word's keyword; false for a keyword that is no type.
bool CreateTypeOf(int keyword, DigestAlgorithm* type) {
  switch (keyword) {
    case kKeywordSfv:
      *type = DigestAlgorithm::Crc32;
      return true;
    case kKeywordMd5:
      *type = DigestAlgorithm::Md5;
      return true;
    case kKeywordSha1:
      *type = DigestAlgorithm::Sha1;
      return true;
    case kKeywordSha256:
      *type = DigestAlgorithm::Sha256;
      return true;
    case kKeywordSha512:
      *type = DigestAlgorithm::Sha512;
      return true;
    case kKeywordBlake3:
      *type = DigestAlgorithm::Blake3;
      return true;
    case kKeywordXxh32:
      *type = DigestAlgorithm::Xxh32;
      return true;
    case kKeywordXxh64:
      *type = DigestAlgorithm::Xxh64;
      return true;
    case kKeywordXxh3:
      *type = DigestAlgorithm::Xxh3;
      return true;
    case kKeywordXxh128:
      *type = DigestAlgorithm::Xxh128;
      return true;
    default:
      return false;
  }
}

}  // namespace

bool FillKeywordTree(KeywordTree* tree) {
  static const struct {
    const char* word;
    int id;
  } kWords[] = {
      {"md5", kKeywordMd5},       {"nodbupdate", kKeywordNoDbUpdate},
      {"output", kKeywordOutput}, {"sfv", kKeywordSfv},
      {"doall", kKeywordDoAll},   {"create", kKeywordCreate},
      {"type", kKeywordType},     {"sha1", kKeywordSha1},
      {"sha256", kKeywordSha256}, {"sha512", kKeywordSha512},
      {"blake3", kKeywordBlake3}, {"errorlevel", kKeywordErrorLevel},
      {"xxh32", kKeywordXxh32},   {"xxh64", kKeywordXxh64},
      {"xxh3", kKeywordXxh3},     {"xxh128", kKeywordXxh128},
  };
  for (const auto& w : kWords) {
    if (!KeywordInsert(tree, w.word, w.id)) return false;
  }
  return true;
}

const char* StartupErrorMessage(StartupError error) {
  switch (error) {
    case StartupError::InvalidType:
      return "Invalid type specified for creation";
    case StartupError::NoCreateName:
      return "No name specified for new .sfv file";
    case StartupError::None:
      break;
  }
  return "";
}

StartupError ApplyCommandWords(const CommandArg* first, const KeywordTree& tree,
                               ExistsExactlyFn existsExactly, VerifierState* state) {
  for (const CommandArg* arg = first; arg != nullptr; arg = arg->next) {
    int id = 0;
    if (KeywordLookup(&tree, arg->key, &id)) {
      switch (id) {
        case kKeywordOutput:
          if (arg->value != nullptr) {
            CopyPath(state->OutputPath, sizeof state->OutputPath, arg->value);
            state->OutputMode = true;
          }
          break;
        case kKeywordNoDbUpdate:
          state->Settings.UpdateDb = false;
          break;
        case kKeywordDoAll:
          state->VerifyAll = true;
          break;
        case kKeywordCreate:
          if (arg->value == nullptr) return StartupError::NoCreateName;
          state->CreateMode = true;
          CopyPath(state->ListPath, sizeof state->ListPath, arg->value);
          break;
        case kKeywordType:
          if (arg->value != nullptr) {
            int type = 0;
            if (!KeywordLookup(&tree, arg->value, &type) ||
                !CreateTypeOf(type, &state->CreateType)) {
              return StartupError::InvalidType;
            }
          }
          break;
        case kKeywordErrorLevel:
          state->ErrorLevel = true;
          break;
        default:  // the type words mean nothing as keys
          break;
      }
      continue;
    }
    std::string path = arg->key;
    if (arg->separator != 0) {
      path += arg->separator;
      if (arg->value) path += arg->value;
    }
    if (path.size() > static_cast<size_t>(kMaxCommandWord)) path.resize(kMaxCommandWord);
    if (existsExactly(path.c_str()) && !state->CreateMode) {
      CopyPath(state->ListPath, sizeof state->ListPath, path.c_str());
    }
  }
  return StartupError::None;
}

bool HasErrorLevelWord(const CommandArg* first, const KeywordTree& tree) {
  for (const CommandArg* arg = first; arg != nullptr; arg = arg->next) {
    int id = 0;
    if (KeywordLookup(&tree, arg->key, &id) && id == kKeywordErrorLevel) return true;
  }
  return false;
}

const char* OutputWordPath(const CommandArg* first, const KeywordTree& tree) {
  for (const CommandArg* arg = first; arg != nullptr; arg = arg->next) {
    int id = 0;
    if (KeywordLookup(&tree, arg->key, &id) && id == kKeywordOutput && arg->value)
      return arg->value;
  }
  return nullptr;
}

bool AppendSfvWhenNoExtension(char* path, unsigned capacity) {
  const char* name = std::strrchr(path, '\\');
  name = name ? name + 1 : path;
  if (std::strchr(name, '.') != nullptr) return true;
  size_t length = std::strlen(path);
  if (length + 4 + 1 > capacity) return false;
  std::memcpy(path + length, ".sfv", 5);
  return true;
}
