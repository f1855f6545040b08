#!/usr/bin/env python3
"""The release presets cannot carry a test publisher: release-win32 refuses to configure without
the maker's certificate (one line naming the option); configured with a throwaway maker's
certificate, it makes no test publisher and the compiled installer check of Kestrel.dll pins that
certificate's key, not this build's test publisher's.

Usage: release_configuration.py SOURCE_DIR TEST_PUBLISHER_CERT WORK_DIR
"""
import re
import shutil
import subprocess
import sys
from pathlib import Path

from wine_env import Checks

REFUSAL = "A release build needs the maker's certificate: -DKESTREL_PUBLISHER_CERT=PEM"
PIN_OBJECT = "src/CMakeFiles/kestrel_core.dir/cadplugin/installer_signature.cpp.obj"


def key_pin(cert):
    """The SHA-256 of the certificate's public key (DER), as the build pins it, by openssl."""
    key = subprocess.run(["openssl", "x509", "-in", cert, "-noout", "-pubkey"], capture_output=True, check=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "DER"], input=key, capture_output=True,
                         check=True).stdout
    digest = subprocess.run(["openssl", "dgst", "-sha256", "-r"], input=der, capture_output=True, check=True).stdout
    return re.match(rb"[0-9a-f]{64}", digest).group(0)


def configure(source, build, *options):
    return subprocess.run(["cmake", "--preset", "release-win32", "-B", str(build), *options], cwd=source,
                          capture_output=True, text=True)


def main():
    source, test_cert, work = Path(sys.argv[1]), sys.argv[2], Path(sys.argv[3])
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    checks = Checks()

    refused = configure(source, work / "no_certificate")
    error_lines = [line.strip() for line in refused.stderr.splitlines() if line.strip()]
    checks.check(refused.returncode != 0, "configuring without a certificate fails")
    checks.check(REFUSAL in error_lines, f"the refusal says, on one line: {REFUSAL!r}; got {refused.stderr!r}")
    checks.check(not (work / "no_certificate" / "build.ninja").exists(), "nothing is generated without a certificate")

    maker_cert = work / "maker.crt"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Throwaway maker", "-keyout", str(work / "maker.key"), "-out", str(maker_cert)],
                   capture_output=True, check=True)
    build = work / "release"
    configured = configure(source, build, f"-DKESTREL_PUBLISHER_CERT={maker_cert}")
    if not checks.check(configured.returncode == 0, f"configuring with a certificate works: {configured.stderr}"):
        return checks.finish()
    checks.check(not (build / "test_publisher").exists(), "a release build makes no test publisher")
    built = subprocess.run(["cmake", "--build", str(build), "--target", PIN_OBJECT], capture_output=True, text=True)
    if not checks.check(built.returncode == 0, f"the installer check compiles: {built.stdout[-2000:]}"):
        return checks.finish()
    compiled = (build / PIN_OBJECT).read_bytes()
    checks.check(key_pin(str(maker_cert)) in compiled, "the release pins the maker's key")
    checks.check(key_pin(test_cert) not in compiled, "the release does not pin this build's test publisher")

    test_signed = configure(source, work / "test_signed", f"-DKESTREL_PUBLISHER_CERT={test_cert}")
    checks.check(test_signed.returncode != 0 and "test publisher's certificate" in " ".join(test_signed.stderr.split()),
                 "a release refuses to pin a test publisher's certificate")
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main())
