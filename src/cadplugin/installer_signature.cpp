// Authenticode check of a PE image: PE certificate table, a small DER reader for the PKCS#7
// structures, the PE digest, and RSA PKCS#1 v1.5 verification with SHA-256.
#include "cadplugin/installer_signature.h"

#include <cstdint>
#include <vector>

namespace kestrel {
namespace {

// --- DER ---------------------------------------------------------------------------------------

// One DER element: its tag, its whole encoding and its contents. Definite lengths only.
struct Der {
  std::uint8_t tag = 0;
  std::string_view whole, contents;
};

// Reads the element at the start of `in` and moves `in` past it.
std::optional<Der> ReadDer(std::string_view& in) {
  if (in.size() < 2) return std::nullopt;
  const auto tag = static_cast<std::uint8_t>(in[0]);
  if ((tag & 0x1F) == 0x1F) return std::nullopt;  // multi-byte tags are not used here
  std::size_t length = static_cast<std::uint8_t>(in[1]);
  std::size_t header = 2;
  if (length & 0x80) {
    const std::size_t count = length & 0x7F;
    if (count == 0 || count > 4 || in.size() < 2 + count) return std::nullopt;  // indefinite or huge
    length = 0;
    for (std::size_t i = 0; i < count; ++i) length = length << 8 | static_cast<std::uint8_t>(in[2 + i]);
    header += count;
  }
  if (length > in.size() - header) return std::nullopt;
  Der element{tag, in.substr(0, header + length), in.substr(header, length)};
  in.remove_prefix(header + length);
  return element;
}

// The elements inside a constructed element, in order.
std::optional<std::vector<Der>> Children(const Der& parent) {
  std::vector<Der> children;
  std::string_view rest = parent.contents;
  while (!rest.empty()) {
    auto child = ReadDer(rest);
    if (!child) return std::nullopt;
    children.push_back(*child);
  }
  return children;
}

constexpr std::uint8_t kInteger = 0x02, kBitString = 0x03, kOctetString = 0x04, kOid = 0x06;
constexpr std::uint8_t kSequence = 0x30, kSet = 0x31, kContext0 = 0xA0;

// Object identifiers as their DER contents.
constexpr std::string_view kSignedData("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02", 9);
constexpr std::string_view kSpcIndirectData("\x2B\x06\x01\x04\x01\x82\x37\x02\x01\x04", 10);
constexpr std::string_view kSha256("\x60\x86\x48\x01\x65\x03\x04\x02\x01", 9);
constexpr std::string_view kContentTypeAttribute("\x2A\x86\x48\x86\xF7\x0D\x01\x09\x03", 9);
constexpr std::string_view kMessageDigestAttribute("\x2A\x86\x48\x86\xF7\x0D\x01\x09\x04", 9);
constexpr std::string_view kRsaEncryption("\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01", 9);
constexpr std::string_view kSha256WithRsa("\x2A\x86\x48\x86\xF7\x0D\x01\x01\x0B", 9);

// The OID of an AlgorithmIdentifier (SEQUENCE { OID, parameters }).
std::string_view AlgorithmOf(const Der& identifier) {
  std::string_view in = identifier.contents;
  auto oid = identifier.tag == kSequence ? ReadDer(in) : std::nullopt;
  return oid && oid->tag == kOid ? oid->contents : std::string_view();
}

std::string_view AsBytes(const Sha256Digest& digest) {
  return {reinterpret_cast<const char*>(digest.data()), digest.size()};
}

// --- Big unsigned integers for RSA (32-bit words, least significant first) -----------------------

using Natural = std::vector<std::uint32_t>;

Natural FromBigEndian(std::string_view bytes) {
  Natural n((bytes.size() + 3) / 4, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t bit = 8 * (bytes.size() - 1 - i);
    n[bit / 32] |= std::uint32_t{static_cast<std::uint8_t>(bytes[i])} << (bit % 32);
  }
  return n;
}

// a >= b, both of the same word count.
bool NotLess(const Natural& a, const Natural& b) {
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] > b[i];
  }
  return true;
}

void SubtractInPlace(Natural& a, const Natural& b) {
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::int64_t d = std::int64_t{a[i]} - b[i] - borrow;
    a[i] = static_cast<std::uint32_t>(d);
    borrow = d < 0 ? 1 : 0;
  }
}

// a = 2a mod m, for a < m. The carry out of the top word stands for the bit that the
// word count cannot hold: then a + a >= m for sure.
void DoubleMod(Natural& a, const Natural& m) {
  std::uint32_t carry = 0;
  for (std::uint32_t& word : a) {
    const std::uint32_t next = word >> 31;
    word = word << 1 | carry;
    carry = next;
  }
  if (carry || NotLess(a, m)) SubtractInPlace(a, m);
}

// a = (a + b) mod m, for a, b < m.
void AddMod(Natural& a, const Natural& b, const Natural& m) {
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint64_t s = std::uint64_t{a[i]} + b[i] + carry;
    a[i] = static_cast<std::uint32_t>(s);
    carry = s >> 32;
  }
  if (carry || NotLess(a, m)) SubtractInPlace(a, m);
}

// a * b mod m by doubling and adding over b's bits (a, b < m).
Natural MultiplyMod(const Natural& a, const Natural& b, const Natural& m) {
  Natural r(m.size(), 0);
  for (std::size_t i = b.size() * 32; i-- > 0;) {
    DoubleMod(r, m);
    if (b[i / 32] >> (i % 32) & 1) AddMod(r, a, m);
  }
  return r;
}

Natural PowerMod(const Natural& base, const Natural& exponent, const Natural& m) {
  Natural r(m.size(), 0);
  r[0] = 1;
  for (std::size_t i = exponent.size() * 32; i-- > 0;) {
    r = MultiplyMod(r, r, m);
    if (exponent[i / 32] >> (i % 32) & 1) r = MultiplyMod(r, base, m);
  }
  return r;
}

std::string ToBigEndian(const Natural& n, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t bit = 8 * (size - 1 - i);
    if (bit / 32 < n.size()) bytes[i] = static_cast<char>(n[bit / 32] >> (bit % 32));
  }
  return bytes;
}

std::string_view WithoutLeadingZeros(std::string_view integer) {
  while (!integer.empty() && integer[0] == '\0') integer.remove_prefix(1);
  return integer;
}

// RSASSA-PKCS1-v1_5 with SHA-256: signature^e mod n must be exactly 00 01 FF.. 00 DigestInfo(hash).
bool VerifyRsaSha256(std::string_view subjectPublicKeyInfo, std::string_view signature, const Sha256Digest& hash) {
  std::string_view in = subjectPublicKeyInfo;
  auto spki = ReadDer(in);
  auto parts = spki ? Children(*spki) : std::nullopt;
  if (!parts || parts->size() != 2 || AlgorithmOf((*parts)[0]) != kRsaEncryption || (*parts)[1].tag != kBitString ||
      (*parts)[1].contents.empty() || (*parts)[1].contents[0] != '\0') {
    return false;
  }
  std::string_view keyBytes = (*parts)[1].contents.substr(1);
  auto key = ReadDer(keyBytes);
  auto numbers = key ? Children(*key) : std::nullopt;
  if (!numbers || numbers->size() != 2 || (*numbers)[0].tag != kInteger || (*numbers)[1].tag != kInteger) return false;
  const std::string_view modulus = WithoutLeadingZeros((*numbers)[0].contents);
  const std::string_view exponent = WithoutLeadingZeros((*numbers)[1].contents);
  // 1024 to 4096-bit moduli; public exponents up to 64 bits (65537 in practice).
  if (modulus.size() < 128 || modulus.size() > 512 || exponent.empty() || exponent.size() > 8) return false;
  if (signature.size() != modulus.size()) return false;
  const Natural n = FromBigEndian(modulus);
  Natural s = FromBigEndian(signature);
  s.resize(n.size(), 0);
  if (NotLess(s, n)) return false;
  const std::string encoded = ToBigEndian(PowerMod(s, FromBigEndian(exponent), n), modulus.size());

  static constexpr std::string_view kDigestInfo(
      "\x30\x31\x30\x0D\x06\x09\x60\x86\x48\x01\x65\x03\x04\x02\x01\x05\x00\x04\x20", 19);
  std::string expected("\x00\x01", 2);
  expected.append(modulus.size() - 3 - kDigestInfo.size() - hash.size(), '\xFF');
  expected.push_back('\0');
  expected.append(kDigestInfo);
  expected.append(AsBytes(hash));
  return encoded == expected;
}

// --- PE --------------------------------------------------------------------------------------------

std::uint32_t Le(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size; i-- > 0;) v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return v;
}

// Where the header checksum and the certificate table's directory entry are.
struct PeLayout {
  std::size_t checksum = 0, certificateEntry = 0;
  std::uint32_t tableOffset = 0, tableSize = 0;
};

std::optional<PeLayout> ReadPeLayout(std::string_view image) {
  if (image.size() < 0x40 || image.substr(0, 2) != "MZ") return std::nullopt;
  const std::size_t pe = Le(image, 0x3C, 4);
  if (pe > image.size() || image.size() - pe < 24 || image.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
    return std::nullopt;
  }
  const std::size_t optionalSize = Le(image, pe + 20, 2);
  const std::size_t optional = pe + 24;
  if (image.size() - optional < optionalSize || optionalSize < 2) return std::nullopt;
  const std::uint32_t magic = Le(image, optional, 2);
  const std::size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  if (directories == 0 || optionalSize < directories + 5 * 8) return std::nullopt;
  if (Le(image, optional + directories - 4, 4) < 5) return std::nullopt;  // NumberOfRvaAndSizes
  PeLayout layout;
  layout.checksum = optional + 64;
  layout.certificateEntry = optional + directories + 4 * 8;
  layout.tableOffset = Le(image, layout.certificateEntry, 4);
  layout.tableSize = Le(image, layout.certificateEntry + 4, 4);
  return layout;
}

Sha256Digest DigestBefore(std::string_view image, const PeLayout& layout, std::size_t end) {
  Sha256 h;
  h.Update(image.substr(0, layout.checksum));
  h.Update(image.substr(layout.checksum + 4, layout.certificateEntry - layout.checksum - 4));
  h.Update(image.substr(layout.certificateEntry + 8, end - layout.certificateEntry - 8));
  return h.Finish();
}

// The PKCS#7 blob of the one WIN_CERTIFICATE (revision 2.0, PKCS_SIGNED_DATA) that must end the file.
std::optional<std::string_view> SignatureBlob(std::string_view image, const PeLayout& layout) {
  const std::uint64_t end = std::uint64_t{layout.tableOffset} + layout.tableSize;
  if (layout.tableSize < 8 || end != image.size() || layout.tableOffset < layout.certificateEntry + 8) {
    return std::nullopt;
  }
  const std::uint32_t length = Le(image, layout.tableOffset, 4);
  if (length < 8 || length > layout.tableSize || Le(image, layout.tableOffset + 4, 2) != 0x0200 ||
      Le(image, layout.tableOffset + 6, 2) != 0x0002) {
    return std::nullopt;
  }
  return image.substr(layout.tableOffset + 8, length - 8);
}

// --- PKCS#7 SignedData ------------------------------------------------------------------------

struct SignedParts {
  Der indirectData;              // SpcIndirectDataContent
  std::string_view imageDigest;  // the digest it carries
  Der attributes;                // the signer's authenticated attributes ([0] IMPLICIT SET OF)
  std::string_view signerIssuer, signerSerial;  // whole encodings
  std::string_view signature;
  std::vector<Der> certificates;
};

std::optional<SignedParts> ReadSignedData(std::string_view blob) {
  auto contentInfo = ReadDer(blob);
  auto outer = contentInfo ? Children(*contentInfo) : std::nullopt;
  if (!outer || outer->size() != 2 || (*outer)[0].tag != kOid || (*outer)[0].contents != kSignedData ||
      (*outer)[1].tag != kContext0) {
    return std::nullopt;
  }
  std::string_view explicitContent = (*outer)[1].contents;
  auto signedData = ReadDer(explicitContent);
  auto fields = signedData && signedData->tag == kSequence ? Children(*signedData) : std::nullopt;
  if (!fields || fields->size() < 4) return std::nullopt;
  SignedParts parts;

  // contentInfo: SpcIndirectDataContent { data, DigestInfo { sha256, digest } }
  auto inner = Children((*fields)[2]);
  if (!inner || inner->size() != 2 || (*inner)[0].contents != kSpcIndirectData || (*inner)[1].tag != kContext0) {
    return std::nullopt;
  }
  std::string_view indirectIn = (*inner)[1].contents;
  auto indirect = ReadDer(indirectIn);
  auto indirectFields = indirect && indirect->tag == kSequence ? Children(*indirect) : std::nullopt;
  if (!indirectFields || indirectFields->size() != 2) return std::nullopt;
  auto digestInfo = Children((*indirectFields)[1]);
  if (!digestInfo || digestInfo->size() != 2 || AlgorithmOf((*digestInfo)[0]) != kSha256 ||
      (*digestInfo)[1].tag != kOctetString) {
    return std::nullopt;
  }
  parts.indirectData = *indirect;
  parts.imageDigest = (*digestInfo)[1].contents;

  // certificates [0] IMPLICIT SET OF Certificate, then the one SignerInfo.
  std::size_t next = 3;
  if ((*fields)[next].tag == kContext0) {
    auto certificates = Children((*fields)[next]);
    if (!certificates) return std::nullopt;
    parts.certificates = *certificates;
    ++next;
  }
  if (next < fields->size() && (*fields)[next].tag == 0xA1) ++next;  // crls
  if (next + 1 != fields->size() || (*fields)[next].tag != kSet) return std::nullopt;
  auto signers = Children((*fields)[next]);
  if (!signers || signers->size() != 1) return std::nullopt;
  auto signer = Children((*signers)[0]);
  // version, issuerAndSerialNumber, digestAlgorithm, [0] attributes, signature algorithm, signature
  if (!signer || signer->size() < 6) return std::nullopt;
  const std::vector<Der>& s = *signer;
  auto sid = Children(s[1]);
  if (!sid || sid->size() != 2 || AlgorithmOf(s[2]) != kSha256 || s[3].tag != kContext0 ||
      (AlgorithmOf(s[4]) != kRsaEncryption && AlgorithmOf(s[4]) != kSha256WithRsa) || s[5].tag != kOctetString) {
    return std::nullopt;
  }
  parts.signerIssuer = (*sid)[0].whole;
  parts.signerSerial = (*sid)[1].whole;
  parts.attributes = s[3];
  parts.signature = s[5].contents;
  return parts;
}

// The one value of an attribute of the set, or nothing when it is missing or repeated.
std::optional<Der> SingleAttribute(const std::vector<Der>& attributes, std::string_view type) {
  std::optional<Der> found;
  for (const Der& attribute : attributes) {
    auto typeAndValues = Children(attribute);
    if (!typeAndValues || typeAndValues->size() != 2 || (*typeAndValues)[0].contents != type) continue;
    auto values = Children((*typeAndValues)[1]);
    if (found || !values || values->size() != 1) return std::nullopt;
    found = (*values)[0];
  }
  return found;
}

// The SubjectPublicKeyInfo of the certificate with this issuer and serial number.
std::optional<std::string_view> SignerKey(const SignedParts& parts) {
  for (const Der& certificate : parts.certificates) {
    auto outer = Children(certificate);
    auto tbs = outer && !outer->empty() ? Children((*outer)[0]) : std::nullopt;
    if (!tbs || tbs->empty()) continue;
    const std::size_t first = (*tbs)[0].tag == kContext0 ? 1 : 0;  // explicit version
    // serialNumber, signature, issuer, validity, subject, subjectPublicKeyInfo
    if (tbs->size() < first + 6) continue;
    if ((*tbs)[first].whole == parts.signerSerial && (*tbs)[first + 2].whole == parts.signerIssuer) {
      return (*tbs)[first + 5].whole;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Sha256Digest> AuthenticodeDigest(std::string_view image) {
  auto layout = ReadPeLayout(image);
  if (!layout) return std::nullopt;
  const bool signedImage = layout->tableSize != 0 && SignatureBlob(image, *layout);
  return DigestBefore(image, *layout, signedImage ? layout->tableOffset : image.size());
}

SignatureCheck CheckInstallerSignature(std::string_view image, const Sha256Digest& pinnedKey) {
  auto layout = ReadPeLayout(image);
  if (!layout) return SignatureCheck::NotPe;
  auto blob = SignatureBlob(image, *layout);
  if (!blob) return SignatureCheck::Unsigned;
  auto parts = ReadSignedData(*blob);
  if (!parts) return SignatureCheck::Malformed;

  // The file as it is must be the file that was signed.
  if (parts->imageDigest != AsBytes(DigestBefore(image, *layout, layout->tableOffset))) {
    return SignatureCheck::DigestMismatch;
  }
  // The signed attributes must name the indirect data and carry its digest (of its contents octets).
  auto attributes = Children(parts->attributes);
  if (!attributes) return SignatureCheck::Malformed;
  auto contentType = SingleAttribute(*attributes, kContentTypeAttribute);
  auto messageDigest = SingleAttribute(*attributes, kMessageDigestAttribute);
  if (!contentType || contentType->tag != kOid || contentType->contents != kSpcIndirectData || !messageDigest ||
      messageDigest->tag != kOctetString) {
    return SignatureCheck::Malformed;
  }
  if (messageDigest->contents != AsBytes(Sha256Of(parts->indirectData.contents))) return SignatureCheck::DigestMismatch;

  auto key = SignerKey(*parts);
  if (!key || Sha256Of(*key) != pinnedKey) return SignatureCheck::UntrustedSigner;

  // The signature is over the attributes encoded as a SET OF, not with their [0] tag.
  std::string signedAttributes(parts->attributes.whole);
  signedAttributes[0] = static_cast<char>(kSet);
  if (!VerifyRsaSha256(*key, parts->signature, Sha256Of(signedAttributes))) return SignatureCheck::BadSignature;
  return SignatureCheck::Trusted;
}

std::optional<Sha256Digest> PublisherKeyPin() {
#ifdef KESTREL_PUBLISHER_KEY_PIN
  return ParseHexDigest(KESTREL_PUBLISHER_KEY_PIN);
#else
  return std::nullopt;
#endif
}

std::string HexDigest(const Sha256Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : digest) {
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 15]);
  }
  return text;
}

std::optional<Sha256Digest> ParseHexDigest(std::string_view hex) {
  if (hex.size() != 64) return std::nullopt;
  Sha256Digest digest;
  for (std::size_t i = 0; i < 32; ++i) {
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
