// VerifyEmbeddedSignature: WinVerifyTrust for the signature and the file's digest, the signer's
// certificate from the provider's data, and its public key hashed by CryptoAPI.
#include "win32_signature.h"

// clang-format off
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include <algorithm>
#include <string_view>
#include <vector>

namespace kestrel {
namespace {

// The signer's public key as DER SubjectPublicKeyInfo, hashed with the system's SHA-256.
bool HashPublicKey(PCCERT_CONTEXT certificate, KeyDigest& digest) {
  CERT_PUBLIC_KEY_INFO* key = &certificate->pCertInfo->SubjectPublicKeyInfo;
  DWORD size = 0;
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, nullptr, &size)) return false;
  std::vector<BYTE> der(size);
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, der.data(), &size)) return false;
  DWORD hashSize = static_cast<DWORD>(digest.size());
  return CryptHashCertificate2(BCRYPT_SHA256_ALGORITHM, 0, nullptr, der.data(), size, digest.data(), &hashSize) &&
         hashSize == digest.size();
}

// The error the provider recorded for one of its steps (0 when it succeeded).
DWORD StepError(const CRYPT_PROVIDER_DATA* provider, DWORD step) {
  return provider->padwTrustStepErrors != nullptr && step < provider->cdwTrustStepErrors
             ? provider->padwTrustStepErrors[step]
             : 0;
}

// The leaf of the first signer's chain: the certificate whose key signed the message.
PCCERT_CONTEXT SignerCertificate(CRYPT_PROVIDER_DATA* provider) {
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* leaf = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  return leaf ? leaf->pCert : nullptr;
}

// The bytes of a message parameter; empty when the message has none.
std::vector<BYTE> MessageParameter(HCRYPTMSG message, DWORD parameter) {
  DWORD size = 0;
  if (!CryptMsgGetParam(message, parameter, 0, nullptr, &size)) return {};
  std::vector<BYTE> bytes(size);
  if (!CryptMsgGetParam(message, parameter, 0, bytes.data(), &size)) return {};
  bytes.resize(size);
  return bytes;
}

// A DER value decoded by CryptoAPI into its structure (kept in `storage`); nullptr when it cannot be.
template <class T>
const T* Decode(LPCSTR type, const BYTE* der, DWORD size, std::vector<BYTE>& storage) {
  DWORD needed = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, type, der, size, 0, nullptr, nullptr, &needed)) return nullptr;
  storage.resize(needed);
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, type, der, size, 0, nullptr, storage.data(), &needed)) return nullptr;
  return reinterpret_cast<const T*>(storage.data());
}

// One run of WinVerifyTrust's generic Authenticode action over a file, without user interface or
// network; the provider's state stays open until the object ends.
class TrustRun {
 public:
  TrustRun(const std::wstring& path, HANDLE file) {
    fileInfo_.cbStruct = sizeof fileInfo_;
    fileInfo_.pcwszFilePath = path.c_str();
    fileInfo_.hFile = file;
    data_.cbStruct = sizeof data_;
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &fileInfo_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  ~TrustRun() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustRun(const TrustRun&) = delete;
  TrustRun& operator=(const TrustRun&) = delete;

  CRYPT_PROVIDER_DATA* Provider() const {
    return data_.hWVTStateData ? WTHelperProvDataFromStateData(data_.hWVTStateData) : nullptr;
  }

  LONG result = 0;

 private:
  WINTRUST_FILE_INFO fileInfo_ = {};
  WINTRUST_DATA data_ = {};
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
};

}  // namespace

bool SignedContentMatchesDigest(HCRYPTMSG message) {
  std::vector<BYTE> signerStorage = MessageParameter(message, CMSG_SIGNER_INFO_PARAM);
  if (signerStorage.empty()) return false;
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerStorage.data());
  const CRYPT_ATTRIBUTE* digestAttribute = nullptr;
  for (DWORD i = 0; i < signer->AuthAttrs.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& attribute = signer->AuthAttrs.rgAttr[i];
    if (std::string_view(attribute.pszObjId) != szOID_PKCS_9_MESSAGE_DIGEST) continue;
    if (digestAttribute != nullptr || attribute.cValue != 1) return false;  // repeated or not one value
    digestAttribute = &attribute;
  }
  if (digestAttribute == nullptr) return false;
  std::vector<BYTE> digestStorage;
  const auto* expected = Decode<CRYPT_DATA_BLOB>(X509_OCTET_STRING, digestAttribute->rgValue[0].pbData,
                                                 digestAttribute->rgValue[0].cbData, digestStorage);

  const CRYPT_OID_INFO* algorithm =
      CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, signer->HashAlgorithm.pszObjId, CRYPT_HASH_ALG_OID_GROUP_ID);
  const std::vector<BYTE> content = MessageParameter(message, CMSG_CONTENT_PARAM);
  if (expected == nullptr || algorithm == nullptr || content.empty()) return false;
  auto digestIs = [&](const std::vector<BYTE>& bytes) {
    BYTE actual[64];
    DWORD actualSize = sizeof actual;
    return CryptHashCertificate(0, algorithm->Algid, 0, bytes.data(), static_cast<DWORD>(bytes.size()), actual,
                                &actualSize) &&
           actualSize == expected->cbData && std::equal(actual, actual + actualSize, expected->pbData);
  };
  // The digest covers the content's octets: the signed SEQUENCE's elements without its own
  // header, when the message hands the content over as that whole SEQUENCE.
  std::vector<BYTE> elementStorage;
  const auto* elements = Decode<CRYPT_SEQUENCE_OF_ANY>(X509_SEQUENCE_OF_ANY, content.data(),
                                                       static_cast<DWORD>(content.size()), elementStorage);
  if (elements != nullptr) {
    std::vector<BYTE> octets;
    for (DWORD i = 0; i < elements->cValue; ++i) {
      const CRYPT_DER_BLOB& element = elements->rgValue[i];
      octets.insert(octets.end(), element.pbData, element.pbData + element.cbData);
    }
    if (digestIs(octets)) return true;
  }
  return digestIs(content);
}

SignatureCheck ClassifyTrustResult(LONG result) {
  switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
    // Findings on the certificates, not on the file: a self-signed or private publisher
    // certificate, one past its dates or without the code-signing usage. The pin, not the machine's roots, names the accepted key.
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_WRONG_USAGE:
      return SignatureCheck::Trusted;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
      return SignatureCheck::Unsigned;
    case TRUST_E_BAD_DIGEST:
    case CRYPT_E_HASH_VALUE:
      return SignatureCheck::DigestMismatch;
    default:  // a bad signature, an unreadable message, an explicitly distrusted or revoked signer
      return SignatureCheck::BadSignature;
  }
}

SignatureCheck SystemVerdict(const std::wstring& path) { return ClassifyTrustResult(TrustRun(path, nullptr).result); }

VerifiedSignature VerifyEmbeddedSignature(const std::wstring& path, HANDLE file) {
  const TrustRun run(path, file);
  CRYPT_PROVIDER_DATA* provider = run.Provider();
  VerifiedSignature found;
  found.status = ClassifyTrustResult(run.result);
  if (found.status == SignatureCheck::Trusted) {
    // A chain finding is only accepted when the steps that read the file and verify the
    // signature over it succeeded on their own.
    const PCCERT_CONTEXT signer = SignerCertificate(provider);
    if (provider == nullptr || signer == nullptr || StepError(provider, TRUSTERROR_STEP_FINAL_OBJPROV) != 0 ||
        StepError(provider, TRUSTERROR_STEP_FINAL_SIGPROV) != 0) {
      found.status = SignatureCheck::BadSignature;
    } else if (!SignedContentMatchesDigest(provider->hMsg)) {
      found.status = SignatureCheck::DigestMismatch;
    } else if (!HashPublicKey(signer, found.signerKey)) {
      found.status = SignatureCheck::BadSignature;
    }
  }
  return found;
}

}  // namespace kestrel
