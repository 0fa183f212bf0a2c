#!/usr/bin/python3
"""Signing of the release files (scripts/release-sign.sh, which make package calls) with a
PEM key and a throw-away certificate made here with openssl: copies of built programs are
signed and each verifies with osslsigncode against that certificate and carries page hashes;
a byte changed after signing fails the verification; a key of another certificate, a
certificate without code signing, a file that is no certificate, half of the settings and a
signature without a time stamp that does not say it is not for release stop before anything
is signed. Certificates that name where their revocation lists are: signing stops with what
to do where that address cannot be reached; with the lists given in VACATER_SIGN_CRLFILE it
signs without reaching out, and a revoked certificate or a list that has run out stops it.

usage: SigningTest.py SOURCE_DIR FILE..."""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402
import SigningFixtures as fx  # noqa: E402

fx.SOURCE = sys.argv.pop(1)
BUILT = [sys.argv.pop(1) for _ in range(len(sys.argv) - 1)]
NOT_FOR_RELEASE = {"VACATER_SIGN_NO_TIMESTAMP": "1"}


class Signing(fx.SigningCase):
    BUILT = BUILT

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certs = cls.tmp.name
        cls.cert, cls.key = fx.make_cert(cls.certs, "release")
        cls.other_cert, cls.other_key = fx.make_cert(cls.certs, "other")
        cls.plain_cert, cls.plain_key = fx.make_cert(cls.certs, "plain", code_signing=False)

    def sign(self, *args, cert=None, key=None, extra=NOT_FOR_RELEASE):
        settings = dict(extra, VACATER_SIGN_CERT=cert, VACATER_SIGN_KEY=key)
        return fx.run_sign(args or self.files, settings)

    def test_every_file_verifies_with_page_hashes_and_a_changed_byte_fails(self):
        unsigned = self.copies.contents()
        r = self.sign(cert=self.cert, key=self.key)
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        for f, before in zip(self.files, unsigned):
            with self.subTest(file=os.path.basename(f)):
                with open(f, "rb") as data:
                    signed = data.read()
                self.assertGreater(len(signed), len(before), "no signature was added")
                ok = fx.verify(f, self.cert)
                self.assertEqual(0, ok.returncode, ok.stdout + ok.stderr)
                self.assertIn("\nSignature verification: ok\n", ok.stdout)
                self.assertIn("\nPage hash algorithm", ok.stdout)
                # Against another certificate the signature is not trusted.
                self.assertNotEqual(0, fx.verify(f, self.other_cert).returncode)
                # A byte of the program changed after signing: the digest no longer matches.
                changed = bytearray(signed)
                changed[len(before) // 2] ^= 0x5A
                tampered = f + ".changed"
                with open(tampered, "wb") as out:
                    out.write(changed)
                bad = fx.verify(tampered, self.cert)
                self.assertNotEqual(0, bad.returncode, bad.stdout)
                self.assertIn("MISMATCH", bad.stdout + bad.stderr)

    def test_signing_again_gives_the_same_bytes(self):
        # No time stamp server: the signing time is SOURCE_DATE_EPOCH, so the signed
        # release stays reproducible for one certificate and RSA key.
        self.assertEqual(0, self.sign(cert=self.cert, key=self.key).returncode)
        first = self.copies.contents()
        for f, built in zip(self.files, BUILT):
            shutil.copyfile(built, f)
        self.assertEqual(0, self.sign(cert=self.cert, key=self.key).returncode)
        self.assertEqual(first, self.copies.contents())

    def test_refusals_name_the_fault_and_sign_nothing(self):
        garbage = os.path.join(self.certs, "garbage.crt")
        with open(garbage, "w") as f:
            f.write("not a certificate\n")
        stamp = {"VACATER_SIGN_TIMESTAMP": "http://127.0.0.1:9/"}
        cases = [
            ("a key of another certificate", dict(cert=self.cert, key=self.other_key), "does not belong to the certificate"),
            ("no code signing", dict(cert=self.plain_cert, key=self.plain_key), "not for code signing"),
            ("not a certificate", dict(cert=garbage, key=self.key), "is not a PEM certificate"),
            ("a missing key file", dict(cert=self.cert, key=self.key + ".gone"), "cannot read the key"),
            ("the certificate alone", dict(cert=self.cert), "VACATER_SIGN_KEY is not"),
            ("no time stamp and no word that it is not for release",
             dict(cert=self.cert, key=self.key, extra={}), "no time stamp server (VACATER_SIGN_TIMESTAMP)"),
            ("a time stamp and not for release at once",
             dict(cert=self.cert, key=self.key, extra=dict(stamp, VACATER_SIGN_NO_TIMESTAMP="1")), "both set"),
            ("a time stamp without roots to check it",
             dict(cert=self.cert, key=self.key, extra=stamp), "VACATER_SIGN_TSA_CAFILE"),
            ("a module without a token key",
             dict(cert=self.cert, key=self.key, extra=dict(NOT_FOR_RELEASE, VACATER_SIGN_PKCS11_MODULE="/x.so")),
             "no pkcs11: URI"),
        ]
        self.assertEachRefused(cases)

    def test_a_failed_time_stamp_stops_signing(self):
        unsigned = self.copies.contents()
        r = self.sign(cert=self.cert, key=self.key, extra={"VACATER_SIGN_TIMESTAMP": "http://127.0.0.1:9/",
                                                          "VACATER_SIGN_CAFILE": self.cert})
        self.assertEqual(1, r.returncode, r.stdout + r.stderr)
        self.assertIn("signing %s failed" % self.files[0], r.stderr)
        self.assertIn("timestamping failed", r.stderr)
        self.assertEqual(unsigned, self.copies.contents())

    def test_check_says_in_one_line_what_is_not_a_release(self):
        unsigned = self.copies.contents()
        r = self.sign("check", extra={})
        self.assertEqual((0, "unsigned: VACATER_SIGN_CERT/VACATER_SIGN_KEY not set\n"), (r.returncode, r.stdout))
        r = self.sign(extra={})
        self.assertEqual((0, ""), (r.returncode, r.stdout))
        self.assertEqual(unsigned, self.copies.contents())
        r = self.sign("check", cert=self.cert, key=self.key)
        self.assertEqual((0, "not for release: signed without a time stamp (VACATER_SIGN_NO_TIMESTAMP=1)\n", ""),
                         (r.returncode, r.stdout, r.stderr))


class Revocation(fx.SigningCase):
    BUILT = BUILT

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        d = cls.tmp.name
        nowhere = "http://127.0.0.1:9/"   # nothing answers there
        root = fx.make_cert(d, "CRL Root", ca=True)
        cls.root = root[0]
        issuer = fx.make_cert(d, "CRL Issuer", ca=True, issuer=root, crl_url=nowhere + "root.crl")
        leaf, cls.key = fx.make_cert(d, "CRL Publisher", issuer=issuer, crl_url=nowhere + "issuer.crl")
        cls.chain = fx.concat(os.path.join(d, "crl-chain.crt"), leaf, issuer[0])
        cls.lists = fx.make_crl(d, issuer)
        cls.revoked = fx.make_crl(d, issuer, revoked=[leaf])
        cls.run_out = fx.make_crl(d, issuer, days=0)
        cls.root_only = fx.make_crl(d, root)

    def sign(self, *args, crls=None):
        return fx.run_sign(args or self.files, dict(NOT_FOR_RELEASE, VACATER_SIGN_CERT=self.chain,
                                                    VACATER_SIGN_KEY=self.key, VACATER_SIGN_CAFILE=self.root,
                                                    VACATER_SIGN_CRLFILE=crls))

    def test_lists_that_cannot_be_fetched_stop_signing_and_say_what_to_do(self):
        unsigned = self.copies.contents()
        r = self.sign()
        self.assertEqual(1, r.returncode, r.stdout + r.stderr)
        self.assertIn("could not be fetched from http://127.0.0.1:9/issuer.crl", r.stderr)
        self.assertIn("VACATER_SIGN_CRLFILE", r.stderr)
        self.assertEqual(unsigned, self.copies.contents())
        self.assertEqual([], self.copies.leftovers())

    def test_lists_given_sign_without_reaching_out(self):
        unsigned = self.copies.contents()
        self.assertEqual(0, self.sign("check", crls=self.lists).returncode)
        r = self.sign(crls=self.lists)
        self.assertEqual((0, ""), (r.returncode, r.stderr))
        for before, after in zip(unsigned, self.copies.contents()):
            self.assertNotEqual(before, after)

    def test_revoked_certificate_or_unusable_lists_are_refused(self):
        garbage = os.path.join(self.tmp.name, "garbage.crl")
        with open(garbage, "w") as f:
            f.write("not a list\n")
        self.assertEachRefused([
            ("the certificate revoked", dict(crls=self.revoked), "certificate revoked"),
            ("the list has run out", dict(crls=self.run_out), "CRL has expired"),
            ("no list of the certificate's issuer", dict(crls=self.root_only), "unable to get certificate CRL"),
            ("no list at all", dict(crls=garbage), "is not a PEM CRL"),
            ("a missing file", dict(crls=garbage + ".gone"), "cannot read the revocation lists"),
        ])


if __name__ == "__main__":
    unittest_main.main("SigningTest")
