// The system's check of a file's embedded Authenticode signature (WinVerifyTrust), and the SHA-256
// of the signer's public key taken from the signed message.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include "cadplugin/installer_signature.h"

namespace kestrel {

// Verifies the signature embedded in the file at `path` (read through `file` when it is open, so
// that the bytes checked are the bytes of that handle). Chain and validity-date findings do not
// refuse: the caller's pin names the one accepted key. No network is used.
//
//   VerifiedSignature found = VerifyEmbeddedSignature(L"C:\\Temp\\setup.exe");
//   if (found.status == SignatureCheck::Trusted) ... found.signerKey is the key's SHA-256 ...
VerifiedSignature VerifyEmbeddedSignature(const std::wstring& path, HANDLE file = nullptr);

// Whether the signer's message-digest attribute is the digest of the signed content (the
// indirect data that names the file's digest), computed with the signer's digest algorithm.
// Windows makes this comparison when WinVerifyTrust verifies the signer; Wine 8 verifies the
// signature over the attributes only, so VerifyEmbeddedSignature makes it as well.
bool SignedContentMatchesDigest(HCRYPTMSG message);

// WinVerifyTrust's own verdict on the file, classified, without the comparison above.
SignatureCheck SystemVerdict(const std::wstring& path);

// What a WinVerifyTrust result says of the file itself, when the signature and digest steps of
// the check succeeded or failed with `result`.
SignatureCheck ClassifyTrustResult(LONG result);

}  // namespace kestrel
