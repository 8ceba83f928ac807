// The digests against the published examples of their standards (FIPS 180-4
// for SHA, the BLAKE3 input pattern with digests from b3sum and xxhsum), on every kernel
// set this processor runs, in one call and in random pieces; the BLAKE3
// subtrees that threads hash apart, and the hex text of any digest length.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "hashing/blake3.h"
#include "hashing/digest.h"
#include "hashing/digest_names.h"
#include "hashing/digest_text.h"
#include "tests/hashing/digest_levels.h"

namespace {

std::string Hex(const unsigned char* digest, int bytes) {
  std::vector<char> text(2 * bytes + 1);
  FormatDigestHexN(digest, bytes, text.data(), false);
  return text.data();
}

// The digest of `data` fed in pieces of random sizes (one piece when
// `seed` is 0), some small and some of many chunks.
std::string DigestOf(DigestAlgorithm algorithm, const DigestKernels& k,
                     const std::vector<unsigned char>& data, unsigned seed) {
  DigestContext ctx;
  DigestInitWith(&ctx, algorithm, k);
  std::mt19937 rng(seed);
  size_t at = 0;
  while (at < data.size()) {
    size_t n = data.size() - at;
    if (seed != 0) {
      const size_t limit = rng() % 4 == 0 ? 70000 : 300;
      n = std::min(n, static_cast<size_t>(rng() % limit));
    }
    DigestUpdate(&ctx, data.data() + at, n);
    at += n;
  }
  unsigned char out[kMaxDigestBytes];
  DigestFinal(&ctx, out);
  return Hex(out, DigestBytes(algorithm));
}

std::vector<unsigned char> Bytes(const std::string& s) {
  return std::vector<unsigned char>(s.begin(), s.end());
}

// BLAKE3's test input: byte i is i % 251.
std::vector<unsigned char> Pattern(size_t n) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i % 251);
  return v;
}

struct KnownAnswer {
  DigestAlgorithm algorithm;
  std::vector<unsigned char> message;
  const char* hex;
};

std::vector<KnownAnswer> KnownAnswers() {
  const std::string m448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const std::string m896 =
      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmno"
      "pqrsmnopqrstnopqrstu";
  const std::vector<unsigned char> million(1000000, 'a');
  using A = DigestAlgorithm;
  std::vector<KnownAnswer> t = {
      {A::Sha1, {}, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {A::Sha1, Bytes("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {A::Sha1, Bytes(m448), "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {A::Sha1, Bytes(m896), "a49b2446a02c645bf419f995b67091253a04a259"},
      {A::Sha1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
      {A::Sha256, {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {A::Sha256, Bytes("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {A::Sha256, Bytes(m448), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {A::Sha256, Bytes(m896), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {A::Sha256, million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {A::Sha512,
       {},
       "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
       "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e"},
      {A::Sha512, Bytes("abc"),
       "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
       "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
      {A::Sha512, Bytes(m448),
       "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c335"
       "96fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445"},
      {A::Sha512, Bytes(m896),
       "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
       "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909"},
      {A::Sha512, million,
       "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
       "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
      // The other two through the same interface: CRC-32 as its four bytes
      // big-endian, MD5 as RFC 1321 prints it.
      {A::Crc32, Bytes("123456789"), "cbf43926"},
      {A::Crc32, {}, "00000000"},
      {A::Md5, Bytes("abc"), "900150983cd24fb0d6963f7d28e17f72"},
  };
  const struct {
    size_t length;
    const char* hex;
  } blake3[] = {
      {0, "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
      {1, "2d3adedff11b61f14c886e35afa036736dcd87a74d27b5c1510225d0f592e213"},
      {1023, "10108970eeda3eb932baac1428c7a2163b0e924c9a9e25b35bba72b28f70bd11"},
      {1024, "42214739f095a406f3fc83deb889744ac00df831c10daa55189b5d121c855af7"},
      {1025, "d00278ae47eb27b34faecf67b4fe263f82d5412916c1ffd97c8cb7fb814b8444"},
      {2048, "e776b6028c7cd22a4d0ba182a8bf62205d2ef576467e838ed6f2529b85fba24a"},
      {2049, "5f4d72f40d7a5f82b15ca2b2e44b1de3c2ef86c426c95c1af0b6879522563030"},
      {3072, "b98cb0ff3623be03326b373de6b9095218513e64f1ee2edd2525c7ad1e5cffd2"},
      {3073, "7124b49501012f81cc7f11ca069ec9226cecb8a2c850cfe644e327d22d3e1cd3"},
      {4096, "015094013f57a5277b59d8475c0501042c0b642e531b0a1c8f58d2163229e969"},
      {4097, "9b4052b38f1c5fc8b1f9ff7ac7b27cd242487b3d890d15c96a1c25b8aa0fb995"},
      {5120, "9cadc15fed8b5d854562b26a9536d9707cadeda9b143978f319ab34230535833"},
      {5121, "628bd2cb2004694adaab7bbd778a25df25c47b9d4155a55f8fbd79f2fe154cff"},
      {6144, "3e2e5b74e048f3add6d21faab3f83aa44d3b2278afb83b80b3c35164ebeca205"},
      {6145, "f1323a8631446cc50536a9f705ee5cb619424d46887f3c376c695b70e0f0507f"},
      {7168, "61da957ec2499a95d6b8023e2b0e604ec7f6b50e80a9678b89d2628e99ada77a"},
      {7169, "a003fc7a51754a9b3c7fae0367ab3d782dccf28855a03d435f8cfe74605e7817"},
      {8192, "aae792484c8efe4f19e2ca7d371d8c467ffb10748d8a5a1ae579948f718a2a63"},
      {8193, "bab6c09cb8ce8cf459261398d2e7aef35700bf488116ceb94a36d0f5f1b7bc3b"},
      {16384, "f875d6646de28985646f34ee13be9a576fd515f76b5b0a26bb324735041ddde4"},
      {31744, "62b6960e1a44bcc1eb1a611a8d6235b6b4b78f32e7abc4fb4c6cdcce94895c47"},
      {102400, "bc3e3d41a1146b069abffad3c0d44860cf664390afce4d9661f7902e7943e085"},
  };
  for (const auto& b : blake3) t.push_back({A::Blake3, Pattern(b.length), b.hex});
  // The XXH family as xxhsum 0.8.1 prints it (-H0, -H1, -H2, -H3) for the
  // same pattern: lengths around XXH32's 16-byte and XXH64's 32-byte
  // stripes, XXH3's short-input bounds (16, 128, 240), its 64-byte stripe,
  // 256-byte buffer and 1024-byte block, and random lengths.
  const struct {
    size_t length;
    const char *xxh32, *xxh64, *xxh128, *xxh3;
  } xxh[] = {
      {0, "02cc5d05", "ef46db3751d8e999", "99aa06d3014798d86001c324468d497f", "2d06800538d394c2"},
      {1, "cf65b03e", "e934a84adb052768", "a6cd5e9392000f6ac44bdff4074eecdb", "c44bdff4074eecdb"},
      {3, "663e9a55", "e5c7bb4533bc65dd", "e3b55f57945a17cf5f4299fc161c9cbb", "5f4299fc161c9cbb"},
      {4, "80691e66", "ffced8604453cc1e", "eb70bf5fc779e9e6a6111d53e80a3db5", "60dab036a58211f2"},
      {8, "a3ad90b9", "884a173614b81b8d", "e1e4432a62217fe4cfd50c61c8bb98c1", "3a1c2d7c85af88f8"},
      {9, "3f5eb53f", "67d85784a7c78c5b", "16c769d83e4aebce907931979dca3746", "e9612598145bb9dc"},
      {15, "57c01ece", "a948f5f0f6abac2d", "301a9f754e8f569a0017ea4be19bc787", "55ecedc2b87bb042"},
      {16, "b72837f4", "44b6ef2fb84169f7", "72950631827607e2842812cc870dcae2", "8355e3a6f61770db"},
      {17, "7c77adc2", "5603e60c527599b6", "685bc458b37d057fc06e233df7729217", "9ef341a99de37328"},
      {31, "ef24f709", "c346d2b59b4d8ee1", "4ed3946d393b687bb54de3993874ed20", "4f36db8e4df378fd"},
      {32, "830741c1", "cbf59c5116ff32b4", "25e7c9b3424ceed2457d9566b6fcd697", "3523581fe96e4c05"},
      {33, "f1e6a545", "0c535d1acafb8ead", "02175c3aabb00637e08d84951339de86", "e68c56ba88991e58"},
      {63, "4c80747b", "e26aa9e2a95f8e4f", "bb8d4c458fac1f120302a39b74a9cf52", "aaa5f0fb98a36ae8"},
      {64, "31120435", "f7c67301db6713f0", "9c6e140a465545e590c1971ddb04ce74", "6187eb9089b0ed55"},
      {65, "a4da78a4", "c31eb63b2ae4465b", "ebedf05eeadc28f11aee64a1615de88f", "6928c76ce90422d0"},
      {127, "f07a1b8b", "464d085810ce0199", "d5add870c9c9e00f060c2e3ddf0f2fb9", "120b9787f8425f2f"},
      {128, "6d6194b7", "7a7fe14647b9ab92", "14792fc3af88dc6c05321a0b64d67b41", "85c6174c7ff4c46b"},
      {129, "6572cb97", "0ba25dfd6e891fcf", "dd5e74ac6b45f54ebc30b63382b09a3b", "ec7642b431ba3e5a"},
      {239, "6e3f2d0d", "a08803b2cdf37175", "9843ab31a06be0dffe21374628fcc539", "972b14e3c46f214b"},
      {240, "1fd0fbb0", "012947f0da6a27b1", "65b5be86da5540e7c92b68e16f83bbb6", "375a384d957fe865"},
      {241, "5b9a61e5", "8d643f23bf2808e1", "1da1cb61bcb8a2a102e8cd95421c6d02", "02e8cd95421c6d02"},
      {255, "c2a4a4f1", "566d96b832b967c1", "65652759c081c563074191baf9c49567", "074191baf9c49567"},
      {256, "e5334a50", "f33944343ee85824", "96c36c85d00e5bc544f5d90dacde463a", "44f5d90dacde463a"},
      {257, "ccbfa774", "9dd5394c26b3c4d8", "8c650dc0594ae28188fc3f7934a6c9be", "88fc3f7934a6c9be"},
      {1023, "cc664d02", "d66738f081c25cf4", "4325711b0ed4d742d3d91d80ac495685",
       "d3d91d80ac495685"},
      {1024, "69dd7c7e", "138e26c65048ce29", "d0ac1f7b93bf57b9e5d78bafa45b2aa5",
       "e5d78bafa45b2aa5"},
      {1025, "d6a1188a", "cfd73aedd2d6a39d", "2882ebca04ec915ce95c42288f28186e",
       "e95c42288f28186e"},
      {2047, "2c9f3714", "4f5c52160866c4d3", "6c555bf670e067a3c95eaacd676cd049",
       "c95eaacd676cd049"},
      {2048, "64a8e425", "a69e05a7eff57800", "a5141efedfefc1af25339063db861586",
       "25339063db861586"},
      {2049, "6524dcf5", "27858160679416ba", "39a54bc93f74921b6c9600c0e506e2ae",
       "6c9600c0e506e2ae"},
      {4095, "e35f85e6", "e6ace0d29750f209", "c586959432953ea5a541030d777f5abe",
       "a541030d777f5abe"},
      {4096, "68d54c6c", "122a8c8d994ad3ec", "e12cd72144990fe57135ffa504f1bc71",
       "7135ffa504f1bc71"},
      {4097, "aefcdcb7", "ba236f554636de5b", "0f77b4bc73e3337db69d29f17d48293f",
       "b69d29f17d48293f"},
      {43869, "f5a923b1", "a3cc78c119329d64", "009708b84439029cea3f20e403874c01",
       "ea3f20e403874c01"},
      {44405, "6737cb1b", "eb08bf851f6eda69", "75115ae491e73fd03e9f098c6bfeef81",
       "3e9f098c6bfeef81"},
      {47870, "456ce415", "003dd09b81fb8648", "906688b667525c19607f0ed3eec5132e",
       "607f0ed3eec5132e"},
      {50885, "a1b4e022", "1075d4f1850500d6", "a263f81332378873371f387683d08014",
       "371f387683d08014"},
      {57222, "80bef87e", "39b8c50de7dfd475", "c946870906e0cf1010170383670151da",
       "10170383670151da"},
      {100369, "478a60b0", "418570247e82dbcc", "db640a7186402d10300346c37a1e0404",
       "300346c37a1e0404"},
      {152776, "9d6d292a", "0f2c2c2ee6d9071c", "287a76b72bf45000dfc482ca4e68aac5",
       "dfc482ca4e68aac5"},
      {186741, "7c3624c3", "225bd76a215dfa7f", "ec006fdd08821d096cda2c2f6a54d1e5",
       "6cda2c2f6a54d1e5"},
  };
  for (const auto& x : xxh) {
    t.push_back({A::Xxh32, Pattern(x.length), x.xxh32});
    t.push_back({A::Xxh64, Pattern(x.length), x.xxh64});
    t.push_back({A::Xxh3, Pattern(x.length), x.xxh3});
    t.push_back({A::Xxh128, Pattern(x.length), x.xxh128});
  }
  return t;
}

TEST(Digests, PublishedExamplesOnEveryPath) {
  const std::vector<KnownAnswer> answers = KnownAnswers();
  for (const DigestLevel& level : SupportedDigestLevels()) {
    for (size_t i = 0; i < answers.size(); ++i) {
      const KnownAnswer& a = answers[i];
      for (unsigned seed : {0u, 7u + static_cast<unsigned>(i)}) {
        EXPECT_EQ(DigestOf(a.algorithm, level.kernels, a.message, seed), a.hex)
            << level.name << " algorithm " << static_cast<int>(a.algorithm) << " length "
            << a.message.size() << " seed " << seed;
      }
    }
  }
}

TEST(Digests, HexTextOfAnyLength) {
  const unsigned char d[3] = {0x0f, 0xa0, 0xff};
  char text[7];
  FormatDigestHexN(d, 3, text, true);
  EXPECT_STREQ(text, "0FA0FF");
  FormatDigestHexN(d, 0, text, false);
  EXPECT_STREQ(text, "");
}

// A message cut as threads would: its whole chunks (all but the last chunk)
// in the largest aligned subtrees, each hashed apart on every path, appended
// in order, the last chunk through Update. The digest must be the one of a
// plain Update, for chunk counts around powers of two.
TEST(Digests, Blake3SubtreesGiveTheSameDigest) {
  const std::vector<DigestLevel> levels = SupportedDigestLevels();
  for (size_t chunks :
       {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 16u, 17u, 31u, 33u, 64u, 65u, 100u, 129u, 300u}) {
    for (size_t tail : {1u, 1000u, 1024u}) {
      const std::vector<unsigned char> data = Pattern((chunks - 1) * kBlake3ChunkBytes + tail);
      unsigned char expected[32], got[32];
      Blake3Hasher whole;
      Blake3Init(&whole);
      Blake3Update(&whole, data.data(), data.size());
      Blake3Final(&whole, expected);
      for (const DigestLevel& level : levels) {
        Blake3Hasher h;
        Blake3InitWith(&h, level.kernels);
        uint64_t at = 0;
        while (at < chunks - 1) {
          const uint64_t n = Blake3LargestSubtree(at, chunks - 1 - at);
          unsigned char cv[32];
          Blake3HashSubtreeWith(level.kernels, data.data() + at * kBlake3ChunkBytes,
                                n * kBlake3ChunkBytes, at, cv);
          Blake3AppendSubtree(&h, cv, n);
          at += n;
        }
        Blake3Update(&h, data.data() + at * kBlake3ChunkBytes, tail);
        Blake3Final(&h, got);
        EXPECT_EQ(Hex(got, 32), Hex(expected, 32)) << level.name << " " << chunks << " " << tail;
      }
    }
  }
}

// The many-input kernels against the portable one: every count around the
// lane widths (remainders go to narrower paths), chunks and parents, and
// counters whose lanes cross 2^32 (the high word differs between lanes).
TEST(Digests, Blake3LanesAgreeWithPortable) {
  const std::vector<unsigned char> data = Pattern(40 * kBlake3ChunkBytes);
  const uint32_t key[8] = {1, 2, 3, 4, 5, 6, 7, 0xfffffff0u};
  std::vector<unsigned char> expected(40 * 32), got(40 * 32);
  for (const DigestLevel& level : SupportedDigestLevels()) {
    for (size_t count = 0; count <= 40; ++count) {
      for (uint64_t counter : {uint64_t{0}, (uint64_t{1} << 32) - 5, uint64_t{0x123456789}}) {
        for (bool chunks : {true, false}) {
          const size_t stride = chunks ? kBlake3ChunkBytes : 64, blocks = chunks ? 16 : 1;
          const uint8_t flags = chunks ? 0 : 4, start = chunks ? 1 : 0, end = chunks ? 2 : 0;
          Blake3HashManyPortable(data.data(), stride, count, blocks, key, counter, chunks, flags,
                                 start, end, expected.data());
          level.kernels.blake3HashMany(data.data(), stride, count, blocks, key, counter, chunks,
                                       flags, start, end, got.data());
          ASSERT_EQ(Hex(got.data(), static_cast<int>(32 * count)),
                    Hex(expected.data(), static_cast<int>(32 * count)))
              << level.name << " count " << count << " counter " << counter << " chunks " << chunks;
        }
      }
    }
  }
}

TEST(Digests, Blake3LargestSubtree) {
  const struct {
    uint64_t counter, available, expected;
  } cases[] = {
      {0, 1, 1},
      {0, 5, 4},
      {4, 5, 4},
      {6, 100, 2},
      {7, 100, 1},
      {8, 3, 2},
      {96, 64, 32},
      {0, uint64_t{1} << 40, uint64_t{1} << 40},
      {uint64_t{3} << 40, uint64_t{1} << 45, uint64_t{1} << 40},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Blake3LargestSubtree(c.counter, c.available), c.expected)
        << c.counter << " " << c.available;
  }
}

// Final leaves the hasher as it was: more input continues the same message.
TEST(Digests, Blake3FinalThenMoreInput) {
  const std::vector<unsigned char> data = Pattern(5121);
  Blake3Hasher h;
  Blake3Init(&h);
  unsigned char digest[32];
  Blake3Update(&h, data.data(), 4096);
  Blake3Final(&h, digest);
  EXPECT_EQ(Hex(digest, 32), "015094013f57a5277b59d8475c0501042c0b642e531b0a1c8f58d2163229e969");
  Blake3Update(&h, data.data() + 4096, 1025);
  Blake3Final(&h, digest);
  EXPECT_EQ(Hex(digest, 32), "628bd2cb2004694adaab7bbd778a25df25c47b9d4155a55f8fbd79f2fe154cff");
}

}  // namespace

// Every algorithm has one display name and one word, and the word leads back
// to the algorithm in any letter case.
TEST(DigestNames, WordsAndDisplayNamesGoBothWays) {
  for (DigestAlgorithm a : kDigestAlgorithmsInOrder) {
    DigestAlgorithm back = DigestAlgorithm::Crc32;
    std::string upper = DigestWord(a);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(DigestFromWord(upper, &back)) << upper;
    EXPECT_EQ(back, a);
    EXPECT_STRNE(DigestDisplayName(a), "");
  }
  EXPECT_STREQ(DigestDisplayName(DigestAlgorithm::Sha256), "SHA-256");
  EXPECT_STREQ(DigestDisplayName(DigestAlgorithm::Xxh3), "XXH3");
  EXPECT_STREQ(DigestWord(DigestAlgorithm::Xxh128), "xxh128");
  DigestAlgorithm untouched = DigestAlgorithm::Md5;
  EXPECT_FALSE(DigestFromWord("sha-256", &untouched));
  EXPECT_FALSE(DigestFromWord("sha25", &untouched));
  EXPECT_EQ(untouched, DigestAlgorithm::Md5);
}
