// The system's Authenticode check of a downloaded installer, on PE images signed by osslsigncode
// (tests/cadplugin/sign_installers.py): what WinVerifyTrust refuses by itself, what the comparison
// of the signed content with its digest adds, and the signer's key against openssl's digest of it.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "cadplugin/installer_signature.h"
#include "platform/win32_signature.h"

namespace kestrel {
namespace {

std::wstring Sample(const std::string& name) {
  std::wstring path = L"Z:";
  for (char c : std::string(KESTREL_SIGNED_SAMPLES) + "/" + name) path.push_back(c == '/' ? L'\\' : wchar_t(c));
  return path;
}

KeyDigest SamplesPin() {
  std::ifstream in(std::string(KESTREL_SIGNED_SAMPLES) + "/publisher.pin");
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ParseHexDigest(text.substr(0, 64)).value_or(KeyDigest{});
}

// The embedded signed message, opened by CryptoAPI on its own.
HCRYPTMSG EmbeddedMessage(const std::wstring& path) {
  HCRYPTMSG message = nullptr;
  CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                   CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, nullptr, &message, nullptr);
  return message;
}

// A copy of a sample with its bytes changed by `change`.
std::wstring ChangedCopy(const std::string& name, const std::string& suffix, void (*change)(std::string&)) {
  std::ifstream in(std::string(KESTREL_SIGNED_SAMPLES) + "/" + name, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  change(bytes);
  const std::string copy = name + suffix + ".exe";
  std::ofstream(std::string(KESTREL_SIGNED_SAMPLES) + "/" + copy, std::ios::binary) << bytes;
  return Sample(copy);
}

TEST(EmbeddedSignature, ThePinnedPublishersFileIsIntactAndOthersAreRefused) {
  const KeyDigest pin = SamplesPin();
  for (std::string name : {"pe32", "pe64"}) {
    SCOPED_TRACE(name);
    const VerifiedSignature signedFile = VerifyEmbeddedSignature(Sample(name + "-signed.exe"));
    EXPECT_EQ(signedFile.status, SignatureCheck::Trusted);
    EXPECT_EQ(signedFile.signerKey, pin) << "the system's digest of the signer's key is openssl's";
    EXPECT_EQ(JudgeInstallerSignature(signedFile, pin), SignatureCheck::Trusted);

    const VerifiedSignature another = VerifyEmbeddedSignature(Sample(name + "-another.exe"));
    EXPECT_EQ(another.status, SignatureCheck::Trusted) << "intact, by another key";
    EXPECT_EQ(JudgeInstallerSignature(another, pin), SignatureCheck::UntrustedSigner);

    // Refused by WinVerifyTrust itself, and so by the check.
    const std::pair<std::string, SignatureCheck> refusals[] = {
        {"tampered", SignatureCheck::DigestMismatch},
        {"unsigned", SignatureCheck::Unsigned},
        {"retimed", SignatureCheck::BadSignature},
        {"resigned", SignatureCheck::BadSignature},
    };
    for (const auto& [kind, expected] : refusals) {
      EXPECT_EQ(SystemVerdict(Sample(name + "-" + kind + ".exe")), expected) << kind;
      EXPECT_EQ(VerifyEmbeddedSignature(Sample(name + "-" + kind + ".exe")).status, expected) << kind;
    }
    // Bytes after the signature, or a signature cut short.
    const std::wstring trailing = ChangedCopy(name + "-signed.exe", "-trailing", [](std::string& b) { b += "trailing"; });
    const std::wstring cut = ChangedCopy(name + "-signed.exe", "-cut", [](std::string& b) { b.resize(b.size() - 8); });
    EXPECT_NE(VerifyEmbeddedSignature(trailing).status, SignatureCheck::Trusted);
    EXPECT_NE(VerifyEmbeddedSignature(cut).status, SignatureCheck::Trusted);
    EXPECT_NE(VerifyEmbeddedSignature(Sample("publisher.pin")).status, SignatureCheck::Trusted) << "not a PE file";
  }
}

TEST(EmbeddedSignature, AForgedImageDigestIsRefusedByTheContentDigestComparison) {
  for (std::string name : {"pe32", "pe64"}) {
    SCOPED_TRACE(name);
    // The changed image's own digest written into the signed content: the signature over the
    // attributes still verifies, their message digest no longer names that content.
    const std::wstring forged = Sample(name + "-forged.exe");
    EXPECT_EQ(VerifyEmbeddedSignature(forged).status, SignatureCheck::DigestMismatch);
    if (SystemVerdict(forged) == SignatureCheck::Trusted) {
      std::printf("[ NOTE     ] %s: WinVerifyTrust passes the forged file; the content digest comparison refuses it\n",
                  name.c_str());
    }

    HCRYPTMSG intact = EmbeddedMessage(Sample(name + "-signed.exe"));
    HCRYPTMSG changed = EmbeddedMessage(forged);
    ASSERT_NE(intact, nullptr);
    ASSERT_NE(changed, nullptr);
    EXPECT_TRUE(SignedContentMatchesDigest(intact));
    EXPECT_FALSE(SignedContentMatchesDigest(changed));
    CryptMsgClose(intact);
    CryptMsgClose(changed);
  }
}

}  // namespace
}  // namespace kestrel
