// Fuzz target: the downloaded installer's check (PE headers, certificate table, PKCS#7, RSA).
#include <cstdint>

#include "cadplugin/installer_signature.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  // The key that signed corpus/installer_signature/signed_pe32.exe (its private half was thrown
  // away), so that inputs near that seed reach the signature's verification.
  static const Sha256Digest pin = *ParseHexDigest("db8f64f0f400b1f0a0c90f22b9392be91c4c9989efe4d5bde1159603dc54154c");
  const std::string_view image = fuzz::Bytes(data, size);
  if (CheckInstallerSignature(image, pin) == SignatureCheck::Trusted) {
    // Only the signed image itself passes, whatever else around it changed.
    const auto digest = AuthenticodeDigest(image);
    if (!digest || HexDigest(*digest) != "7599affc0201d177553ca9ff06a5f7cc5bcea011f713dc1f9974caed4ed6974f") __builtin_trap();
  }
  return 0;
}
