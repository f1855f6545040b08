// The trust decision on a downloaded installer: the platform verifies the file's embedded
// signature and names the signer's key; the publisher key pinned in this build decides.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel {

// The SHA-256 of a public key (of its DER SubjectPublicKeyInfo).
using KeyDigest = std::array<std::uint8_t, 32>;

enum class SignatureCheck {
  Trusted,          // intact, and signed with the pinned key
  Unsigned,         // no embedded signature, or no file that can carry one
  DigestMismatch,   // the file's bytes are not the ones that were signed
  BadSignature,     // the signature cannot be read or does not verify
  UntrustedSigner,  // intact, but signed with a key other than the pinned one
};

// What the platform's verification of a file's embedded signature found: a refusal, or an
// intact signature (status Trusted, the pin not yet consulted) and its signer's key.
struct VerifiedSignature {
  SignatureCheck status = SignatureCheck::Unsigned;
  KeyDigest signerKey{};
};

// The verdict on an installer: the platform's refusal as it is; an intact signature is trusted
// only when its signer's key is the pinned one. Without a pin every installer is refused.
//
//   JudgeInstallerSignature(system.VerifySignature(path), PublisherKeyPin()) == SignatureCheck::Trusted
SignatureCheck JudgeInstallerSignature(const VerifiedSignature& found, const std::optional<KeyDigest>& pin);

// The publisher key pinned in this build (see KESTREL_PUBLISHER_CERT in the build); nothing when
// no publisher is pinned.
std::optional<KeyDigest> PublisherKeyPin();

// A digest from 64 hex digits, either case; nothing for any other text.
std::optional<KeyDigest> ParseHexDigest(std::string_view hex);

}  // namespace kestrel
