// The hashes against FIPS 180 examples and Ed25519 against RFC 8032, plus the forgeries a verifier must refuse.
#include <gtest/gtest.h>

#include "Ed25519.h"
#include "Sha256.h"

using namespace tarn::crypto;

namespace {

std::string bytesOf(std::string_view hex) {
    std::string out(hex.size() / 2, '\0');
    EXPECT_TRUE(fromHexInto(hex, reinterpret_cast<uint8_t*>(out.data()), out.size()));
    return out;
}

}  // namespace

TEST(Sha, MatchesTheStandardExamplesAcrossBlockBoundaries) {
    EXPECT_EQ(toHex(sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(toHex(sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(toHex(sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(toHex(sha512("abc")),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(toHex(sha512("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmno"
                           "pqrsmnopqrstnopqrstu")),
              "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
              "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
    // A million "a" fed in uneven pieces, so that pieces straddle the blocks.
    Sha256 h;
    const std::string piece(997, 'a');
    size_t fed = 0;
    while (fed + piece.size() <= 1000000) h.update(piece), fed += piece.size();
    h.update(std::string(1000000 - fed, 'a'));
    EXPECT_EQ(toHex(h.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha, HexReadsBothCasesAndRefusesAnythingElse) {
    EXPECT_EQ(fromHex<2>("aB0f"), (std::array<uint8_t, 2>{0xab, 0x0f}));
    EXPECT_FALSE(fromHex<2>("ab0"));
    EXPECT_FALSE(fromHex<2>("ab0g"));
    EXPECT_FALSE(fromHex<2>("ab0f0"));
}

TEST(Ed25519, MatchesTheRfcExamples) {
    struct Case {
        const char *seed, *key, *message, *signature;
    };
    const Case cases[] = {
        {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
         "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
         "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe"
         "24655141438e7a100b"},
        {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
         "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
         "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302a"
         "eeb00d291612bb0c00"},
        {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
         "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
         "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed2"
         "8dc027beceea1ec40a"},
    };
    for (const Case& c : cases) {
        const Ed25519Seed seed = *fromHex<32>(c.seed);
        const std::string message = bytesOf(c.message);
        EXPECT_EQ(toHex(ed25519PublicKey(seed)), c.key);
        EXPECT_EQ(toHex(ed25519Sign(seed, message)), c.signature);
        EXPECT_TRUE(ed25519Verify(*fromHex<32>(c.key), message, *fromHex<64>(c.signature))) << c.key;
    }
}

TEST(Ed25519, RefusesEveryChangedBitAndForeignKeys) {
    Ed25519Seed seed{}, other{};
    for (size_t i = 0; i < 32; ++i) seed[i] = uint8_t(i * 7 + 1), other[i] = uint8_t(i * 13 + 5);
    const std::string message = "tw1 2026.12.10.07.00.00 1234 ab\n";
    const Ed25519PublicKey key = ed25519PublicKey(seed);
    const Ed25519Signature sig = ed25519Sign(seed, message);
    ASSERT_TRUE(ed25519Verify(key, message, sig));
    EXPECT_FALSE(ed25519Verify(ed25519PublicKey(other), message, sig));
    EXPECT_FALSE(ed25519Verify(key, message + " ", sig));
    EXPECT_FALSE(ed25519Verify(key, message.substr(1), sig));
    for (size_t bit = 0; bit < 512; bit += 37) {
        Ed25519Signature bad = sig;
        bad[bit / 8] ^= uint8_t(1 << (bit % 8));
        EXPECT_FALSE(ed25519Verify(key, message, bad)) << "bit " << bit;
    }
    // S + L is the same scalar modulo L; a verifier that does not insist on S < L accepts a second signature.
    const uint8_t order[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                               0xa2, 0xde, 0xf9, 0xde, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10};
    Ed25519Signature malleable = sig;
    unsigned carry = 0;
    for (size_t i = 0; i < 32; ++i) {
        const unsigned sum = malleable[32 + i] + order[i] + carry;
        malleable[32 + i] = uint8_t(sum);
        carry = sum >> 8;
    }
    EXPECT_FALSE(ed25519Verify(key, message, malleable));
    // A key whose y is not a point's (no square root of x^2) is refused, not trusted.
    Ed25519PublicKey notAPoint{};
    notAPoint[0] = 2;
    EXPECT_FALSE(ed25519Verify(notAPoint, message, sig));
}
