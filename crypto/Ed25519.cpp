// Ed25519 over a field of sixteen 16-bit limbs; the ladder and the field code do not branch on secrets.
#include "Ed25519.h"

#include <cstring>

#include "Sha256.h"

namespace tarn::crypto {

namespace {

// An element of GF(2^255 - 19), limb i weighing 2^(16 i); limbs may run over 16 bits between carries.
using Fe = std::array<int64_t, 16>;

void carry(Fe& o) {
    for (size_t i = 0; i < 16; ++i) {
        const int64_t c = o[i] >> 16;  // floor division, also for negative limbs
        o[i] -= c * 65536;
        if (i < 15)
            o[i + 1] += c;
        else
            o[0] += 38 * c;  // 2^256 = 38 modulo p
    }
}

Fe add(const Fe& a, const Fe& b) {
    Fe o;
    for (size_t i = 0; i < 16; ++i) o[i] = a[i] + b[i];
    return o;
}

Fe sub(const Fe& a, const Fe& b) {
    Fe o;
    for (size_t i = 0; i < 16; ++i) o[i] = a[i] - b[i];
    return o;
}

Fe mul(const Fe& a, const Fe& b) {
    int64_t t[31] = {};
    for (size_t i = 0; i < 16; ++i)
        for (size_t j = 0; j < 16; ++j) t[i + j] += a[i] * b[j];
    for (size_t i = 0; i < 15; ++i) t[i] += 38 * t[i + 16];
    Fe o;
    for (size_t i = 0; i < 16; ++i) o[i] = t[i];
    carry(o);
    carry(o);
    return o;
}

Fe square(const Fe& a) { return mul(a, a); }

// Swaps p and q when bit is 1, without a branch.
void swapIf(Fe& p, Fe& q, int64_t bit) {
    const int64_t mask = ~(bit - 1);
    for (size_t i = 0; i < 16; ++i) {
        const int64_t t = mask & (p[i] ^ q[i]);
        p[i] ^= t;
        q[i] ^= t;
    }
}

std::array<uint8_t, 32> pack(const Fe& n) {
    Fe t = n;
    carry(t);
    carry(t);
    carry(t);
    for (int pass = 0; pass < 2; ++pass) {  // subtract p once or twice when the value is not below it
        Fe m;
        m[0] = t[0] - 0xffed;
        for (size_t i = 1; i < 15; ++i) {
            m[i] = t[i] - 0xffff - ((m[i - 1] >> 16) & 1);
            m[i - 1] &= 0xffff;
        }
        m[15] = t[15] - 0x7fff - ((m[14] >> 16) & 1);
        const int64_t borrow = (m[15] >> 16) & 1;
        m[14] &= 0xffff;
        swapIf(t, m, 1 - borrow);
    }
    std::array<uint8_t, 32> o;
    for (size_t i = 0; i < 16; ++i) {
        o[2 * i] = uint8_t(t[i] & 0xff);
        o[2 * i + 1] = uint8_t(t[i] >> 8);
    }
    return o;
}

Fe unpack(const uint8_t* n) {
    Fe o;
    for (size_t i = 0; i < 16; ++i) o[i] = n[2 * i] + (int64_t(n[2 * i + 1]) << 8);
    o[15] &= 0x7fff;
    return o;
}

bool equal(const Fe& a, const Fe& b) { return pack(a) == pack(b); }
int parity(const Fe& a) { return pack(a)[0] & 1; }

// a^(2^255 - 21) = 1/a, and a^(2^252 - 3), the square root's exponent.
Fe invert(const Fe& a) {
    Fe c = a;
    for (int i = 253; i >= 0; --i) {
        c = square(c);
        if (i != 2 && i != 4) c = mul(c, a);
    }
    return c;
}

Fe pow2523(const Fe& a) {
    Fe c = a;
    for (int i = 250; i >= 0; --i) {
        c = square(c);
        if (i != 1) c = mul(c, a);
    }
    return c;
}

Fe small(int64_t v) {
    Fe o{};
    o[0] = v;
    return o;
}

// A point in extended coordinates: x = X/Z, y = Y/Z, x y = T/Z.
struct Point {
    Fe x, y, z, t;
};

struct Constants {
    Fe d, d2, sqrtMinus1;
    Point base;
};

bool decode(Point& p, const uint8_t* bytes, const Constants& k);

Constants makeConstants() {
    Constants k;
    k.d = mul(sub(small(0), small(121665)), invert(small(121666)));
    k.d2 = add(k.d, k.d);
    // 2^((p-1)/4) is a square root of -1; (p - 1) / 4 = 2^253 - 5 has every bit up to 252 set but bit 2.
    Fe c = small(1);
    const Fe two = small(2);
    for (int i = 252; i >= 0; --i) {
        c = square(c);
        if (i != 2) c = mul(c, two);
    }
    k.sqrtMinus1 = c;
    // The base point: y = 4/5 with the even x.
    const std::array<uint8_t, 32> y = pack(mul(small(4), invert(small(5))));
    decode(k.base, y.data(), k);
    return k;
}

const Constants& constants() {
    static const Constants k = makeConstants();
    return k;
}

Point neutral() { return {small(0), small(1), small(1), small(0)}; }

Point addPoints(const Point& p, const Point& q, const Constants& k) {
    const Fe a = mul(sub(p.y, p.x), sub(q.y, q.x));
    const Fe b = mul(add(p.y, p.x), add(q.y, q.x));
    const Fe c = mul(mul(p.t, q.t), k.d2);
    Fe d = mul(p.z, q.z);
    d = add(d, d);
    const Fe e = sub(b, a), f = sub(d, c), g = add(d, c), h = add(b, a);
    return {mul(e, f), mul(h, g), mul(g, f), mul(e, h)};
}

void swapIf(Point& p, Point& q, int64_t bit) {
    swapIf(p.x, q.x, bit);
    swapIf(p.y, q.y, bit);
    swapIf(p.z, q.z, bit);
    swapIf(p.t, q.t, bit);
}

Point scalarMul(Point q, const uint8_t* scalar, const Constants& k) {
    Point p = neutral();
    for (int i = 255; i >= 0; --i) {
        const int64_t bit = (scalar[i / 8] >> (i & 7)) & 1;
        swapIf(p, q, bit);
        q = addPoints(q, p, k);
        p = addPoints(p, p, k);
        swapIf(p, q, bit);
    }
    return p;
}

std::array<uint8_t, 32> encode(const Point& p) {
    const Fe zi = invert(p.z);
    const Fe x = mul(p.x, zi), y = mul(p.y, zi);
    std::array<uint8_t, 32> out = pack(y);
    out[31] ^= uint8_t(parity(x) << 7);
    return out;
}

bool decode(Point& p, const uint8_t* bytes, const Constants& k) {
    const Fe y = unpack(bytes);
    std::array<uint8_t, 32> canonical = pack(y);
    canonical[31] |= bytes[31] & 0x80;
    if (std::memcmp(canonical.data(), bytes, 32) != 0) return false;  // y not below p
    const Fe yy = square(y);
    const Fe u = sub(yy, small(1)), v = add(mul(yy, k.d), small(1));
    // x = u v^3 (u v^7)^((p-5)/8)
    const Fe v3 = mul(square(v), v);
    const Fe v7 = mul(square(v3), v);
    Fe x = mul(mul(u, v3), pow2523(mul(u, v7)));
    const Fe vxx = mul(v, square(x));
    if (!equal(vxx, u)) {
        if (!equal(vxx, sub(small(0), u))) return false;
        x = mul(x, k.sqrtMinus1);
    }
    const int sign = bytes[31] >> 7;
    if (sign == 1 && equal(x, small(0))) return false;
    if (parity(x) != sign) x = sub(small(0), x);
    p = {x, y, small(1), mul(x, y)};
    return true;
}

// The group order L = 2^252 + 27742317777372353535851937790883648493, little-endian.
constexpr int64_t kOrder[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                                0xa2, 0xde, 0xf9, 0xde, 0x14, 0,    0,    0,    0,    0,    0,
                                0,    0,    0,    0,    0,    0,    0,    0,    0,    0x10};

// Reduces a 64-byte little-endian number held one byte per limb modulo L.
std::array<uint8_t, 32> reduce(int64_t x[64]) {
    for (int i = 63; i >= 32; --i) {
        int64_t c = 0;
        int j = i - 32;
        for (; j < i - 12; ++j) {
            x[j] += c - 16 * x[i] * kOrder[j - (i - 32)];
            c = (x[j] + 128) >> 8;
            x[j] -= c * 256;
        }
        x[j] += c;
        x[i] = 0;
    }
    int64_t c = 0;
    for (int j = 0; j < 32; ++j) {
        x[j] += c - (x[31] >> 4) * kOrder[j];
        c = x[j] >> 8;
        x[j] &= 255;
    }
    for (int j = 0; j < 32; ++j) x[j] -= c * kOrder[j];
    std::array<uint8_t, 32> r;
    for (int i = 0; i < 32; ++i) {
        x[i + 1] += x[i] >> 8;
        r[size_t(i)] = uint8_t(x[i] & 255);
    }
    return r;
}

std::array<uint8_t, 32> reduce(const Sha512Digest& digest) {
    int64_t x[64];
    for (size_t i = 0; i < 64; ++i) x[i] = digest[i];
    return reduce(x);
}

bool belowOrder(const uint8_t* s) {
    for (int i = 31; i >= 0; --i) {
        if (s[i] < kOrder[i]) return true;
        if (s[i] > kOrder[i]) return false;
    }
    return false;
}

struct Expanded {
    std::array<uint8_t, 32> scalar, prefix;
};

Expanded expand(const Ed25519Seed& seed) {
    const Sha512Digest h = sha512(std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()));
    Expanded e;
    std::memcpy(e.scalar.data(), h.data(), 32);
    std::memcpy(e.prefix.data(), h.data() + 32, 32);
    e.scalar[0] &= 248;
    e.scalar[31] &= 127;
    e.scalar[31] |= 64;
    return e;
}

Sha512Digest challenge(const uint8_t* r, const uint8_t* key, std::string_view message) {
    Sha512 h;
    h.update(r, 32);
    h.update(key, 32);
    h.update(message);
    return h.finish();
}

}  // namespace

Ed25519PublicKey ed25519PublicKey(const Ed25519Seed& seed) {
    const Constants& k = constants();
    return encode(scalarMul(k.base, expand(seed).scalar.data(), k));
}

Ed25519Signature ed25519Sign(const Ed25519Seed& seed, std::string_view message) {
    const Constants& k = constants();
    const Expanded e = expand(seed);
    const Ed25519PublicKey key = encode(scalarMul(k.base, e.scalar.data(), k));
    Sha512 nonceHash;
    nonceHash.update(e.prefix.data(), 32);
    nonceHash.update(message);
    const std::array<uint8_t, 32> r = reduce(nonceHash.finish());
    const std::array<uint8_t, 32> big = encode(scalarMul(k.base, r.data(), k));
    const std::array<uint8_t, 32> h = reduce(challenge(big.data(), key.data(), message));
    int64_t x[64] = {};
    for (size_t i = 0; i < 32; ++i) x[i] = r[i];
    for (size_t i = 0; i < 32; ++i)
        for (size_t j = 0; j < 32; ++j) x[i + j] += int64_t(h[i]) * e.scalar[j];
    const std::array<uint8_t, 32> s = reduce(x);
    Ed25519Signature sig;
    std::memcpy(sig.data(), big.data(), 32);
    std::memcpy(sig.data() + 32, s.data(), 32);
    return sig;
}

bool ed25519Verify(const Ed25519PublicKey& key, std::string_view message, const Ed25519Signature& signature) {
    const Constants& k = constants();
    if (!belowOrder(signature.data() + 32)) return false;
    Point a;
    if (!decode(a, key.data(), k)) return false;
    // -A, so that [S]B + [h](-A) must give R back.
    a.x = sub(small(0), a.x);
    a.t = sub(small(0), a.t);
    const std::array<uint8_t, 32> h = reduce(challenge(signature.data(), key.data(), message));
    const Point check = addPoints(scalarMul(k.base, signature.data() + 32, k), scalarMul(a, h.data(), k), k);
    const std::array<uint8_t, 32> r = encode(check);
    return std::memcmp(r.data(), signature.data(), 32) == 0;
}

}  // namespace tarn::crypto
