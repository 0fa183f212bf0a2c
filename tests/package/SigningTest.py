#!/usr/bin/python3
"""Signing of the release files (scripts/release-sign.sh, which make package calls) with a
throw-away certificate made here with openssl: copies of built programs are signed and each
verifies with osslsigncode against that certificate; a byte changed after signing fails the
verification; a key of another certificate, a certificate without code signing, a file that
is no certificate and half of the settings stop before anything is signed.

usage: SigningTest.py SOURCE_DIR FILE..."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402

SOURCE = sys.argv.pop(1)
BUILT = [sys.argv.pop(1) for _ in range(len(sys.argv) - 1)]
SIGN = os.path.join(SOURCE, "scripts", "release-sign.sh")
EPOCH = "1767225600"


def make_cert(folder, name, code_signing=True):
    cert, key = os.path.join(folder, name + ".crt"), os.path.join(folder, name + ".key")
    ext = ["-addext", "keyUsage=critical,digitalSignature"]
    if code_signing:
        ext += ["-addext", "extendedKeyUsage=codeSigning"]
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=Vacater Test " + name] + ext,
                   check=True, capture_output=True)
    return cert, key


def verify(path, ca):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                          capture_output=True, text=True)


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.certs = cls.tmp.name
        cls.cert, cls.key = make_cert(cls.certs, "release")
        cls.other_cert, cls.other_key = make_cert(cls.certs, "other")
        cls.plain_cert, cls.plain_key = make_cert(cls.certs, "plain", code_signing=False)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.files = []
        for built in BUILT:
            copy = os.path.join(self.work.name, os.path.basename(built))
            shutil.copyfile(built, copy)
            self.files.append(copy)

    def tearDown(self):
        self.work.cleanup()

    def sign(self, *args, cert=None, key=None, extra=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith("VACATER_SIGN_")}
        env["SOURCE_DATE_EPOCH"] = EPOCH
        if cert is not None:
            env["VACATER_SIGN_CERT"] = cert
        if key is not None:
            env["VACATER_SIGN_KEY"] = key
        env.update(extra or {})
        return subprocess.run([SIGN] + list(args or self.files), env=env, capture_output=True, text=True)

    def contents(self):
        out = []
        for f in self.files:
            with open(f, "rb") as data:
                out.append(data.read())
        return out

    def test_every_file_verifies_and_a_changed_byte_fails(self):
        unsigned = self.contents()
        r = self.sign(cert=self.cert, key=self.key)
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        for f, before in zip(self.files, unsigned):
            with self.subTest(file=os.path.basename(f)):
                with open(f, "rb") as data:
                    signed = data.read()
                self.assertGreater(len(signed), len(before), "no signature was added")
                ok = verify(f, self.cert)
                self.assertEqual(0, ok.returncode, ok.stdout + ok.stderr)
                self.assertIn("Signature verification: ok", ok.stdout)
                # Against another certificate the signature is not trusted.
                self.assertNotEqual(0, verify(f, self.other_cert).returncode)
                # A byte of the program changed after signing: the digest no longer matches.
                changed = bytearray(signed)
                changed[len(before) // 2] ^= 0x5A
                tampered = f + ".changed"
                with open(tampered, "wb") as out:
                    out.write(changed)
                bad = verify(tampered, self.cert)
                self.assertNotEqual(0, bad.returncode, bad.stdout)
                self.assertIn("MISMATCH", bad.stdout + bad.stderr)

    def test_signing_again_gives_the_same_bytes(self):
        # No time stamp server: the signing time is SOURCE_DATE_EPOCH, so the signed
        # release stays reproducible for one certificate and RSA key.
        self.assertEqual(0, self.sign(cert=self.cert, key=self.key).returncode)
        first = self.contents()
        for f, built in zip(self.files, BUILT):
            shutil.copyfile(built, f)
        self.assertEqual(0, self.sign(cert=self.cert, key=self.key).returncode)
        self.assertEqual(first, self.contents())

    def test_refusals_name_the_fault_and_sign_nothing(self):
        unsigned = self.contents()
        garbage = os.path.join(self.certs, "garbage.crt")
        with open(garbage, "w") as f:
            f.write("not a certificate\n")
        cases = [
            ("a key of another certificate", dict(cert=self.cert, key=self.other_key), "does not belong to the certificate"),
            ("no code signing", dict(cert=self.plain_cert, key=self.plain_key), "not for code signing"),
            ("not a certificate", dict(cert=garbage, key=self.key), "is not a PEM certificate"),
            ("a missing key file", dict(cert=self.cert, key=self.key + ".gone"), "cannot read the key"),
            ("the certificate alone", dict(cert=self.cert), "VACATER_SIGN_KEY is not"),
        ]
        for what, settings, message in cases:
            with self.subTest(what):
                for check in (("check",), ()):
                    r = self.sign(*check, **settings)
                    self.assertEqual(1, r.returncode, r.stdout + r.stderr)
                    self.assertIn(message, r.stderr)
                self.assertEqual(unsigned, self.contents())
                self.assertEqual([], [f for f in os.listdir(self.work.name) if f.endswith(".signed")])

    def test_a_failed_time_stamp_stops_signing(self):
        unsigned = self.contents()
        r = self.sign(cert=self.cert, key=self.key, extra={"VACATER_SIGN_TIMESTAMP": "http://127.0.0.1:9/"})
        self.assertEqual(1, r.returncode, r.stdout + r.stderr)
        self.assertIn("signing %s failed" % self.files[0], r.stderr)
        self.assertIn("timestamping failed", r.stderr)
        self.assertEqual(unsigned, self.contents())

    def test_without_settings_it_says_so_in_one_line(self):
        unsigned = self.contents()
        r = self.sign("check")
        self.assertEqual(0, r.returncode)
        self.assertEqual("unsigned: VACATER_SIGN_CERT/VACATER_SIGN_KEY not set\n", r.stdout)
        r = self.sign()
        self.assertEqual((0, ""), (r.returncode, r.stdout))
        self.assertEqual(unsigned, self.contents())
        r = self.sign("check", cert=self.cert, key=self.key)
        self.assertEqual((0, ""), (r.returncode, r.stdout + r.stderr))


if __name__ == "__main__":
    unittest_main.main("SigningTest")
