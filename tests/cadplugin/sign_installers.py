#!/usr/bin/env python3
"""Makes the signed installers that the installer check is tested on, with Debian's openssl and
osslsigncode (the signing side is theirs alone).

Usage: sign_installers.py OUT_DIR PUBLISHER_DIR [NAME=PE_FILE ...]

PUBLISHER_DIR holds the pinned test publisher's publisher.key and publisher.crt. Another
publisher (another.key, another.crt) is made in OUT_DIR. Without PE files, two small PE images of
our own are signed: pe32 (x86) and pe64 (x64). For each NAME the folder gets
  NAME-signed.exe     signed by the pinned publisher (SHA-256)
  NAME-another.exe    signed by the other publisher
  NAME-tampered.exe   NAME-signed.exe with one byte of its code changed
  NAME-forged.exe     NAME-tampered.exe with its new digest written into the signed content (the
                      signer's message digest of that content no longer matches)
  NAME-retimed.exe    NAME-signed.exe with one digit of the signed signing time changed
  NAME-resigned.exe   NAME-signed.exe with one bit of the RSA signature value changed
  NAME-unsigned.exe   the image as given
  NAME-signed.digest  the Authenticode digest of NAME-signed.exe as osslsigncode computes it
and publisher.pin holds the pinned key's SHA-256 (of its DER SubjectPublicKeyInfo).
"""
import hashlib
import re
import struct
import subprocess
import sys
from pathlib import Path


def run(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, **kwargs).stdout


def small_pe(x64):
    """A one-section PE image: headers, then 512 bytes of code and text."""
    optional_size = 0xF0 if x64 else 0xE0
    coff = struct.pack("<HHIIIHH", 0x8664 if x64 else 0x14C, 1, 0, 0, 0, optional_size, 0x0102 | (0 if x64 else 0x100))
    if x64:
        optional = struct.pack("<HBBIIIII", 0x20B, 14, 0, 0x200, 0, 0, 0x1000, 0x1000)
        optional += struct.pack("<Q", 0x140000000)
    else:
        optional = struct.pack("<HBBIIIIII", 0x10B, 14, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x2000)
        optional += struct.pack("<I", 0x400000)
    optional += struct.pack("<IIHHHHHHIIIIHH", 0x1000, 0x200, 6, 0, 0, 0, 6, 0, 0, 0x2000, 0x200, 0, 2, 0x8140)
    optional += struct.pack("<QQQQ" if x64 else "<IIII", 0x100000, 0x1000, 0x100000, 0x1000)
    optional += struct.pack("<II", 0, 16) + bytes(16 * 8)
    assert len(optional) == optional_size
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
    dos = b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40)
    headers = dos + b"PE\0\0" + coff + optional + section
    code = (b"\xC3" + b"Kestrel installer check sample " * 20)[:0x200]
    return headers.ljust(0x200, b"\0") + code


def make_publisher(folder, name):
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
        "-subj", f"/CN=Kestrel test {name}", "-addext", "extendedKeyUsage=codeSigning",
        "-keyout", str(folder / f"{name}.key"), "-out", str(folder / f"{name}.crt"))


def sign(folder, key_name, source, target):
    target.unlink(missing_ok=True)
    run("osslsigncode", "sign", "-h", "sha256", "-certs", str(folder / f"{key_name}.crt"),
        "-key", str(folder / f"{key_name}.key"), "-in", str(source), "-out", str(target))


def image_digest(image):
    """The SHA-256 over a PE file laid out in file order, as osslsigncode hashes it: everything
    before the certificate table except the header checksum and the table's directory entry."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    optional = pe + 24
    directories = 96 if struct.unpack_from("<H", image, optional)[0] == 0x10B else 112
    checksum, entry = optional + 64, optional + directories + 4 * 8
    table = struct.unpack_from("<I", image, entry)[0]
    return hashlib.sha256(image[:checksum] + image[checksum + 4:entry] + image[entry + 8:table]).digest()


def replace_once(data, old, new):
    at = data.find(old)
    if at < 0 or data.find(old, at + 1) >= 0:
        sys.exit(f"expected exactly one {old.hex()} in a signed sample")
    data[at:at + len(old)] = new


def write_forgeries(out, name, signed, tampered):
    forged = bytearray(tampered)
    replace_once(forged, image_digest(signed), image_digest(tampered))
    (out / f"{name}-forged.exe").write_bytes(bytes(forged))

    retimed = bytearray(signed)
    signing_time = bytes.fromhex("06092a864886f70d010905")  # the OID, then SET { UTCTime }
    at = retimed.find(signing_time)
    if at < 0 or retimed[at + 13:at + 15] != b"\x17\x0d":
        sys.exit("no signing time in a signed sample")
    retimed[at + 15] ^= 0x01
    (out / f"{name}-retimed.exe").write_bytes(bytes(retimed))

    resigned = bytearray(signed)
    at = resigned.rfind(bytes.fromhex("0500048201"))  # the end of the algorithm, then the OCTET STRING
    if at < 0:
        sys.exit("no RSA signature value in a signed sample")
    resigned[at + 6 + 100] ^= 0x01
    (out / f"{name}-resigned.exe").write_bytes(bytes(resigned))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out, publisher = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    if not (out / "another.crt").exists():
        make_publisher(out, "another")
    images = {}
    for given in sys.argv[3:]:
        name, path = given.split("=", 1)
        images[name] = Path(path).read_bytes()
    if not images:
        images = {"pe32": small_pe(False), "pe64": small_pe(True)}

    for name, image in images.items():
        unsigned = out / f"{name}-unsigned.exe"
        unsigned.write_bytes(image)
        signed = out / f"{name}-signed.exe"
        sign(publisher, "publisher", unsigned, signed)
        sign(out, "another", unsigned, out / f"{name}-another.exe")
        tampered = bytearray(signed.read_bytes())
        tampered[len(image) - 100] ^= 0x01  # in the last part of the image, before the signature
        (out / f"{name}-tampered.exe").write_bytes(bytes(tampered))
        write_forgeries(out, name, signed.read_bytes(), bytes(tampered))
        report = subprocess.run(["osslsigncode", "verify", "-in", str(signed)], capture_output=True, text=True).stdout
        found = re.search(r"Calculated message digest\s*:\s*([0-9A-Fa-f]{64})", report)
        if not found:
            sys.exit(f"osslsigncode reports no digest for {signed}:\n{report}")
        if found.group(1).lower() != image_digest(signed.read_bytes()).hex():
            sys.exit(f"the forgeries' digest of {signed} differs from osslsigncode's")
        (out / f"{name}-signed.digest").write_text(found.group(1).lower() + "\n")

    public_key = run("openssl", "x509", "-in", str(publisher / "publisher.crt"), "-noout", "-pubkey")
    der = run("openssl", "pkey", "-pubin", "-outform", "DER", input=public_key)
    pin = run("openssl", "dgst", "-sha256", "-r", input=der).split()[0].decode()
    (out / "publisher.pin").write_text(pin + "\n")


if __name__ == "__main__":
    main()
