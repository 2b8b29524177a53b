// The public half of the release key: it signs every release's manifests, the rule files' and the package's.
#pragma once

#include "Ed25519.h"

namespace tarn::crypto {

/// Made with "twsign keygen"; the secret half stays with whoever signs releases.
extern const Ed25519PublicKey kReleaseKey;

}  // namespace tarn::crypto
