// The pin comparison behind the trust decision on a downloaded installer.
#include "cadplugin/installer_signature.h"

namespace kestrel {

SignatureCheck JudgeInstallerSignature(const VerifiedSignature& found, const std::optional<KeyDigest>& pin) {
  if (found.status != SignatureCheck::Trusted) return found.status;
  return pin && found.signerKey == *pin ? SignatureCheck::Trusted : SignatureCheck::UntrustedSigner;
}

std::optional<KeyDigest> PublisherKeyPin() {
#ifdef KESTREL_PUBLISHER_KEY_PIN
  return ParseHexDigest(KESTREL_PUBLISHER_KEY_PIN);
#else
  return std::nullopt;
#endif
}

std::optional<KeyDigest> ParseHexDigest(std::string_view hex) {
  if (hex.size() != 64) return std::nullopt;
  KeyDigest digest;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    int value = 0;
    for (char c : hex.substr(2 * i, 2)) {
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
    }
    digest[i] = static_cast<std::uint8_t>(value);
  }
  return digest;
}

}  // namespace kestrel
