// The trust decision on a downloaded installer: the platform's refusals stand, an intact signature
// counts only with the pinned key, and this build pins its own test publisher.
#include "cadplugin/installer_signature.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kestrel {
namespace {

// The test publisher's key digest as openssl computed it when the samples were signed.
KeyDigest SamplesPin() {
  std::ifstream in(std::string(KESTREL_SIGNED_SAMPLES) + "/publisher.pin");
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto pin = ParseHexDigest(text.substr(0, 64));
  EXPECT_TRUE(pin) << text;
  return pin.value_or(KeyDigest{});
}

TEST(InstallerSignature, OnlyAnIntactSignatureByThePinnedKeyIsTrusted) {
  const KeyDigest pin = SamplesPin();
  KeyDigest other = pin;
  other[0] ^= 0x80;
  EXPECT_EQ(JudgeInstallerSignature({SignatureCheck::Trusted, pin}, pin), SignatureCheck::Trusted);
  EXPECT_EQ(JudgeInstallerSignature({SignatureCheck::Trusted, other}, pin), SignatureCheck::UntrustedSigner);
  EXPECT_EQ(JudgeInstallerSignature({SignatureCheck::Trusted, pin}, std::nullopt), SignatureCheck::UntrustedSigner)
      << "without a pin nothing is trusted";
  // A refusal stands even when the reported key is the pinned one.
  for (SignatureCheck refusal : {SignatureCheck::Unsigned, SignatureCheck::DigestMismatch, SignatureCheck::BadSignature}) {
    EXPECT_EQ(JudgeInstallerSignature({refusal, pin}, pin), refusal);
  }
}

TEST(InstallerSignature, PinsAreSixtyFourHexDigits) {
  const std::string hex = "00ff10AB" + std::string(56, '7');
  auto digest = ParseHexDigest(hex);
  ASSERT_TRUE(digest);
  EXPECT_EQ((*digest)[0], 0x00);
  EXPECT_EQ((*digest)[1], 0xFF);
  EXPECT_EQ((*digest)[3], 0xAB);
  EXPECT_EQ((*digest)[31], 0x77);
  EXPECT_FALSE(ParseHexDigest(hex.substr(0, 62)));
  EXPECT_FALSE(ParseHexDigest(hex + "0"));
  EXPECT_FALSE(ParseHexDigest(std::string(63, '0') + "g"));
}

#ifdef KESTREL_TEST_PUBLISHER_PINNED
TEST(InstallerSignature, ThisBuildPinsItsTestPublisher) { EXPECT_EQ(PublisherKeyPin(), SamplesPin()); }
#endif

}  // namespace
}  // namespace kestrel
