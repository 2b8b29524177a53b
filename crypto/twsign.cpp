// The release tool's signing: makes a key pair, signs a file, checks a signature. Keys and signatures are hex lines.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>

#include "Ed25519.h"
#include "Sha256.h"

using namespace tarn::crypto;

namespace {

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The first line of a key or signature file, blanks and line end removed.
std::string firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool writeLine(const std::string& path, const std::string& line) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << line << '\n';
    return static_cast<bool>(out.flush());
}

int usage() {
    std::cerr << "usage: twsign keygen SECRETFILE PUBLICFILE\n"
                 "       twsign sign SECRETFILE FILE > FILE.sig\n"
                 "       twsign verify PUBLICFILE FILE FILE.sig\n";
    return 2;
}

int keygen(const std::string& secretPath, const std::string& publicPath) {
    std::random_device entropy;  // the system's entropy source on every platform this is built for
    Ed25519Seed seed;
    for (size_t i = 0; i < seed.size(); i += 4) {
        const unsigned int word = entropy();
        for (size_t j = 0; j < 4; ++j) seed[i + j] = uint8_t(word >> (8 * j));
    }
    if (!writeLine(secretPath, toHex(seed)) || !writeLine(publicPath, toHex(ed25519PublicKey(seed)))) {
        std::cerr << "twsign: cannot write the key files\n";
        return 1;
    }
    return 0;
}

int sign(const std::string& secretPath, const std::string& filePath) {
    std::string secret, file;
    if (!readFile(secretPath, secret) || !readFile(filePath, file)) {
        std::cerr << "twsign: cannot read " << (secret.empty() ? secretPath : filePath) << '\n';
        return 1;
    }
    const auto seed = fromHex<32>(firstLine(secret));
    if (!seed) {
        std::cerr << "twsign: " << secretPath << " holds no secret key\n";
        return 1;
    }
    std::cout << toHex(ed25519Sign(*seed, file)) << '\n';
    return std::cout.flush() ? 0 : 1;
}

int verify(const std::string& publicPath, const std::string& filePath, const std::string& sigPath) {
    std::string key, file, sig;
    if (!readFile(publicPath, key) || !readFile(filePath, file) || !readFile(sigPath, sig)) {
        std::cerr << "twsign: cannot read the key, the file or the signature\n";
        return 1;
    }
    const auto publicKey = fromHex<32>(firstLine(key));
    const auto signature = fromHex<64>(firstLine(sig));
    if (!publicKey || !signature || !ed25519Verify(*publicKey, file, *signature)) {
        std::cerr << "twsign: BAD signature for " << filePath << '\n';
        return 1;
    }
    std::cout << "good signature for " << filePath << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 4) return keygen(argv[2], argv[3]);
    if (command == "sign" && argc == 4) return sign(argv[2], argv[3]);
    if (command == "verify" && argc == 5) return verify(argv[2], argv[3], argv[4]);
    return usage();
}
