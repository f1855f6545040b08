// The downloaded installer's check, on PE images signed by osslsigncode: the pinned publisher's
// untouched file passes; unsigned, another signer, a changed byte, a forged digest or signature fail.
#include "cadplugin/installer_signature.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kestrel {
namespace {

std::string Sample(const std::string& name) {
  std::ifstream in(std::string(KESTREL_SIGNED_SAMPLES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Sha256Digest Pin() { return *ParseHexDigest(Sample("publisher.pin").substr(0, 64)); }

// Replaces the bytes at the one place `old` occurs after `from`.
void ReplaceOnce(std::string& bytes, std::string_view old, std::string_view replacement, std::size_t from = 0) {
  const std::size_t at = bytes.find(old, from);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, old.size(), replacement);
}

std::string_view Bytes(const Sha256Digest& d) { return {reinterpret_cast<const char*>(d.data()), d.size()}; }

TEST(Sha256, KnownAnswersWholeAndInPieces) {
  EXPECT_EQ(HexDigest(Sha256Of("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HexDigest(Sha256Of("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(HexDigest(Sha256Of(twoBlocks)), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  const std::string million(1000000, 'a');
  Sha256 pieces;
  for (std::size_t at = 0; at < million.size(); at += 63) pieces.Update(std::string_view(million).substr(at, 63));
  EXPECT_EQ(HexDigest(pieces.Finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_FALSE(ParseHexDigest("cdc76e5c"));
  EXPECT_FALSE(ParseHexDigest(std::string(63, '0') + "g"));
}

TEST(InstallerSignature, OnlyThePinnedPublishersUntouchedImagePasses) {
  for (std::string name : {"pe32", "pe64"}) {
    SCOPED_TRACE(name);
    const std::string signedImage = Sample(name + "-signed.exe");
    // The digest over the file as osslsigncode computes it; signing leaves the hashed bytes as they were.
    EXPECT_EQ(HexDigest(*AuthenticodeDigest(signedImage)), Sample(name + "-signed.digest").substr(0, 64));
    EXPECT_EQ(AuthenticodeDigest(signedImage), AuthenticodeDigest(Sample(name + "-unsigned.exe")));

    EXPECT_EQ(CheckInstallerSignature(signedImage, Pin()), SignatureCheck::Trusted);
    EXPECT_EQ(CheckInstallerSignature(Sample(name + "-unsigned.exe"), Pin()), SignatureCheck::Unsigned);
    EXPECT_EQ(CheckInstallerSignature(Sample(name + "-another.exe"), Pin()), SignatureCheck::UntrustedSigner);
    EXPECT_EQ(CheckInstallerSignature(Sample(name + "-tampered.exe"), Pin()), SignatureCheck::DigestMismatch);
    EXPECT_EQ(CheckInstallerSignature(signedImage, Sha256Of("another key")), SignatureCheck::UntrustedSigner);
    EXPECT_EQ(CheckInstallerSignature(signedImage + "trailing", Pin()), SignatureCheck::Unsigned)
        << "the signature must end the file";
    EXPECT_EQ(CheckInstallerSignature(signedImage.substr(0, signedImage.size() - 8), Pin()), SignatureCheck::Unsigned);
  }
  EXPECT_EQ(CheckInstallerSignature("MZ but nothing else", Pin()), SignatureCheck::NotPe);
  EXPECT_EQ(CheckInstallerSignature("", Pin()), SignatureCheck::NotPe);
}

TEST(InstallerSignature, ForgedDigestsAndSignaturesAreRefused) {
  const std::string signedImage = Sample("pe32-signed.exe");
  const std::string imageDigest = Sample("pe32-signed.digest").substr(0, 64);
  const std::string oldDigest(Bytes(*ParseHexDigest(imageDigest)));

  // A changed image whose new digest is written into the signed content: the signer's message
  // digest of that content no longer matches.
  std::string forged = Sample("pe32-tampered.exe");
  ReplaceOnce(forged, oldDigest, Bytes(*AuthenticodeDigest(forged)));
  EXPECT_EQ(CheckInstallerSignature(forged, Pin()), SignatureCheck::DigestMismatch);

  // One digit of the signed signing time changed: the RSA signature over the attributes fails.
  std::string retimed = signedImage;
  const std::string signingTime("\x06\x09\x2A\x86\x48\x86\xF7\x0D\x01\x09\x05", 11);
  const std::size_t time = retimed.find(signingTime);
  ASSERT_NE(time, std::string::npos);
  ASSERT_EQ(retimed.substr(time + 11 + 2, 2), "\x17\x0D");  // SET { UTCTime }
  retimed[time + 11 + 4] ^= 0x01;
  EXPECT_EQ(CheckInstallerSignature(retimed, Pin()), SignatureCheck::BadSignature);

  // One bit of the signature value itself.
  std::string resigned = signedImage;
  const std::size_t signature = resigned.rfind(std::string("\x05\x00\x04\x82\x01\x00", 6));
  ASSERT_NE(signature, std::string::npos);
  resigned[signature + 6 + 100] ^= 0x01;
  EXPECT_EQ(CheckInstallerSignature(resigned, Pin()), SignatureCheck::BadSignature);
}

#ifdef KESTREL_TEST_PUBLISHER_PINNED
TEST(InstallerSignature, ThisBuildPinsItsTestPublisher) { EXPECT_EQ(PublisherKeyPin(), Pin()); }
#endif

}  // namespace
}  // namespace kestrel
