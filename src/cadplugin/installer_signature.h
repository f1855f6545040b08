// The check of a downloaded installer: its Authenticode signature (PKCS#7 SignedData in the PE's
// certificate table) recomputed over the file and verified against a pinned publisher key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "util/sha256.h"

namespace kestrel {

enum class SignatureCheck {
  Trusted,
  NotPe,             // no well-formed PE headers
  Unsigned,          // no certificate table, or one that is not a PKCS#7 signature at the file's end
  Malformed,         // the signature's structure cannot be read or uses what is not accepted here
  DigestMismatch,    // the file's bytes are not the ones that were signed
  UntrustedSigner,   // signed with a key other than the pinned one
  BadSignature,      // the signer's RSA signature over the signed attributes does not verify
};

// The Authenticode SHA-256 digest of a PE image: the whole file before its certificate table,
// without the header checksum and the certificate table's directory entry. Nothing when `image`
// is not a PE.
std::optional<Sha256Digest> AuthenticodeDigest(std::string_view image);

// Checks that `image` carries an Authenticode signature (SHA-256, RSA) whose digest matches the
// file and whose signer's public key has the SHA-256 `pinnedKey` (of its DER SubjectPublicKeyInfo).
// Certificate chains and validity dates are not consulted: the pin names the one accepted key.
//
//   CheckInstallerSignature(Read("Wendlekit.exe"), PublisherKeyPin()) == SignatureCheck::Trusted
SignatureCheck CheckInstallerSignature(std::string_view image, const Sha256Digest& pinnedKey);

// The publisher key pinned in this build (see KESTREL_PUBLISHER_CERT in the build); nothing when
// no publisher is pinned, in which case every downloaded installer is refused.
std::optional<Sha256Digest> PublisherKeyPin();

// The digest as 64 lower-case hex digits, and back (nothing for any other text).
std::string HexDigest(const Sha256Digest& digest);
std::optional<Sha256Digest> ParseHexDigest(std::string_view hex);

}  // namespace kestrel
