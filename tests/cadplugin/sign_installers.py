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
  NAME-unsigned.exe   the image as given
  NAME-signed.digest  the Authenticode digest of NAME-signed.exe as osslsigncode computes it
and publisher.pin holds the pinned key's SHA-256 (of its DER SubjectPublicKeyInfo).
"""
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
        report = subprocess.run(["osslsigncode", "verify", "-in", str(signed)], capture_output=True, text=True).stdout
        found = re.search(r"Calculated message digest\s*:\s*([0-9A-Fa-f]{64})", report)
        if not found:
            sys.exit(f"osslsigncode reports no digest for {signed}:\n{report}")
        (out / f"{name}-signed.digest").write_text(found.group(1).lower() + "\n")

    public_key = run("openssl", "x509", "-in", str(publisher / "publisher.crt"), "-noout", "-pubkey")
    der = run("openssl", "pkey", "-pubin", "-outform", "DER", input=public_key)
    pin = run("openssl", "dgst", "-sha256", "-r", input=der).split()[0].decode()
    (out / "publisher.pin").write_text(pin + "\n")


if __name__ == "__main__":
    main()
