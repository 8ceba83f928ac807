#include "hashing/digest.h"

#include "hashing/crc32.h"

namespace {

// CRC-32 and MD5 take 32-bit lengths; larger updates go in pieces.
constexpr size_t kLargestPiece = size_t{1} << 30;

}  // namespace

void DigestInitWith(DigestContext* ctx, DigestAlgorithm algorithm, const DigestKernels& kernels) {
  ctx->algorithm = algorithm;
  switch (algorithm) {
    case DigestAlgorithm::Crc32:
      ctx->state.crc = 0xFFFFFFFFu;
      break;
    case DigestAlgorithm::Md5:
      MD5Init(&ctx->state.md5);
      break;
    case DigestAlgorithm::Sha1:
      Sha1InitWith(&ctx->state.sha1, kernels);
      break;
    case DigestAlgorithm::Sha256:
      Sha256InitWith(&ctx->state.sha256, kernels);
      break;
    case DigestAlgorithm::Sha512:
      Sha512InitWith(&ctx->state.sha512, kernels);
      break;
    case DigestAlgorithm::Blake3:
      Blake3InitWith(&ctx->state.blake3, kernels);
      break;
    case DigestAlgorithm::Xxh32:
    case DigestAlgorithm::Xxh64:
    case DigestAlgorithm::Xxh3:
    case DigestAlgorithm::Xxh128:
      XxhInitWith(&ctx->state.xxh, algorithm, kernels);
      break;
  }
}

void DigestInit(DigestContext* ctx, DigestAlgorithm algorithm) {
  DigestInitWith(ctx, algorithm, ActiveDigestKernels());
}

void DigestUpdate(DigestContext* ctx, const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  switch (ctx->algorithm) {
    case DigestAlgorithm::Crc32:
    case DigestAlgorithm::Md5:
      while (length != 0) {
        const uint32_t n = static_cast<uint32_t>(length < kLargestPiece ? length : kLargestPiece);
        if (ctx->algorithm == DigestAlgorithm::Crc32) {
          ctx->state.crc = UpdateCRC32(ctx->state.crc, p, n);
        } else {
          MD5Update(&ctx->state.md5, p, n);
        }
        p += n;
        length -= n;
      }
      break;
    case DigestAlgorithm::Sha1:
      Sha1Update(&ctx->state.sha1, p, length);
      break;
    case DigestAlgorithm::Sha256:
      Sha256Update(&ctx->state.sha256, p, length);
      break;
    case DigestAlgorithm::Sha512:
      Sha512Update(&ctx->state.sha512, p, length);
      break;
    case DigestAlgorithm::Blake3:
      Blake3Update(&ctx->state.blake3, p, length);
      break;
    case DigestAlgorithm::Xxh32:
    case DigestAlgorithm::Xxh64:
    case DigestAlgorithm::Xxh3:
    case DigestAlgorithm::Xxh128:
      XxhUpdate(&ctx->state.xxh, p, length);
      break;
  }
}

void DigestFinal(DigestContext* ctx, unsigned char out[kMaxDigestBytes]) {
  switch (ctx->algorithm) {
    case DigestAlgorithm::Crc32: {
      const uint32_t crc = ~ctx->state.crc;
      for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
      break;
    }
    case DigestAlgorithm::Md5:
      MD5Final(out, &ctx->state.md5);
      break;
    case DigestAlgorithm::Sha1:
      Sha1Final(&ctx->state.sha1, out);
      break;
    case DigestAlgorithm::Sha256:
      Sha256Final(&ctx->state.sha256, out);
      break;
    case DigestAlgorithm::Sha512:
      Sha512Final(&ctx->state.sha512, out);
      break;
    case DigestAlgorithm::Blake3:
      Blake3Final(&ctx->state.blake3, out);
      break;
    case DigestAlgorithm::Xxh32:
    case DigestAlgorithm::Xxh64:
    case DigestAlgorithm::Xxh3:
    case DigestAlgorithm::Xxh128:
      XxhFinal(&ctx->state.xxh, out);
      break;
  }
}
