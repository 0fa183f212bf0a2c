#!/usr/bin/python3
"""Time stamps of the release signatures: a local RFC 3161 server (openssl ts) counter-signs
what release-sign.sh signs with a chain of a commercial authority's shape (RSA 4096 root and
intermediate, RSA 3072 leaf); each file then verifies with the server's stamp and page hashes.
A stamp that does not verify against the roots given stops signing, although osslsigncode
itself exits 0 and says "Succeeded" for it; so does a server that answers garbage.

usage: SigningTimestampTest.py SOURCE_DIR FILE..."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402
import SigningFixtures as fx  # noqa: E402

fx.SOURCE = sys.argv.pop(1)
BUILT = [sys.argv.pop(1) for _ in range(len(sys.argv) - 1)]


class TimeStamps(fx.SigningCase):
    BUILT = BUILT

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        d = cls.tmp.name
        root = fx.make_cert(d, "Root CA", ca=True, bits=4096)
        intermediate = fx.make_cert(d, "Code Signing CA", ca=True, bits=4096, issuer=root)
        leaf, cls.key = fx.make_cert(d, "Publisher", bits=3072, issuer=intermediate)
        cls.root = root[0]
        cls.chain = fx.concat(os.path.join(d, "chain.crt"), leaf, intermediate[0])
        cls.tsa = fx.TimeStampServer(d)
        cls.bad_tsa = fx.TimeStampServer(d, broken=True)

    @classmethod
    def tearDownClass(cls):
        cls.tsa.close()
        cls.bad_tsa.close()
        super().tearDownClass()

    def sign(self, *args, url=None, tsa_roots=None):
        return fx.run_sign(args or self.files, {
            "VACATER_SIGN_CERT": self.chain, "VACATER_SIGN_KEY": self.key, "VACATER_SIGN_CAFILE": self.root,
            "VACATER_SIGN_TIMESTAMP": url or self.tsa.url, "VACATER_SIGN_TSA_CAFILE": tsa_roots or self.tsa.root})

    def test_each_signature_carries_the_servers_stamp_and_verifies(self):
        r = self.sign("check")
        self.assertEqual((0, "", ""), (r.returncode, r.stdout, r.stderr))
        before = self.tsa.queries
        r = self.sign()
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        self.assertEqual(len(self.files), self.tsa.queries - before)
        for f in self.files:
            with self.subTest(file=os.path.basename(f)):
                ok = fx.verify(f, self.root, self.tsa.root)
                self.assertEqual(0, ok.returncode, ok.stdout + ok.stderr)
                lines = ok.stdout.splitlines()
                for line in ("Timestamp Server Signature verification: ok", "Signature verification: ok",
                             "Number of verified signatures: 1", "Succeeded"):
                    self.assertIn(line, lines)
                # The counter-signature is the local server's (2.5 and 2.9 space it differently).
                self.assertRegex(ok.stdout, r"Issuer ?: /CN=Vacater Test TSA Root")
                self.assertTrue(any(x.startswith("Page hash algorithm") for x in lines), ok.stdout)
                self.assertNotIn("failed", ok.stdout + ok.stderr)
                # The chain goes with the signature: the root alone verifies it.
                self.assertTrue(any("Subject: /CN=Vacater Test Code Signing CA" in x for x in lines), ok.stdout)

    def test_a_stamp_that_the_roots_given_do_not_trust_stops_signing(self):
        # What osslsigncode alone would let pass: a stamp checked against other roots.
        stamped = self.files[0] + ".stamped"
        subprocess.run(["osslsigncode", "sign", "-certs", self.chain, "-key", self.key, "-ts", self.tsa.url,
                        "-in", self.files[0], "-out", stamped], check=True, capture_output=True)
        trap = fx.verify(stamped, self.root, self.root)
        self.assertEqual(0, trap.returncode)
        self.assertIn("Timestamp Server Signature verification: failed", trap.stdout)
        self.assertIn("Succeeded", trap.stdout)
        os.remove(stamped)

        unsigned = self.copies.contents()
        r = self.sign(tsa_roots=self.root)
        self.assertEqual(1, r.returncode, r.stdout + r.stderr)
        self.assertIn("the signature of %s does not verify" % self.files[0], r.stderr)
        self.assertIn("Timestamp Server Signature verification: failed", r.stderr)
        self.assertEqual(unsigned, self.copies.contents())
        self.assertEqual([], self.copies.leftovers())

    def test_a_server_that_answers_garbage_stops_signing(self):
        unsigned = self.copies.contents()
        r = self.sign(url=self.bad_tsa.url)
        self.assertEqual(1, r.returncode, r.stdout + r.stderr)
        self.assertIn("signing %s failed" % self.files[0], r.stderr)
        self.assertGreater(self.bad_tsa.queries, 0)
        self.assertEqual(unsigned, self.copies.contents())
        self.assertEqual([], self.copies.leftovers())


if __name__ == "__main__":
    unittest_main.main("SigningTimestampTest")
