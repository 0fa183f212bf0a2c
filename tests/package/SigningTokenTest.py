#!/usr/bin/python3
"""Signing with a key on a token through PKCS#11: a SoftHSM token made in a temporary folder,
an RSA key generated on it and a certificate for that key. release-sign.sh signs copies of
built programs with it (PIN from the environment or from a file) and each verifies; the PIN is
on no command line of the tools it starts. A wrong PIN, a missing module, a library that is no
PKCS#11 module, a key that is not the certificate's, a key the token does not hold, no PIN and a
PIN inside the key's URI each stop with their message and sign nothing.

usage: SigningTokenTest.py SOURCE_DIR FILE..."""
import os
import shutil
import stat
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402
import SigningFixtures as fx  # noqa: E402

fx.SOURCE = sys.argv.pop(1)
BUILT = [sys.argv.pop(1) for _ in range(len(sys.argv) - 1)]
MISSING = fx.token_tools_missing()


@unittest.skipIf(MISSING, MISSING)
class TokenSigning(fx.SigningCase):
    BUILT = BUILT

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        d = cls.tmp.name
        cls.token = fx.SoftHsmToken(d)
        cls.pinfile = os.path.join(d, "pin")
        with open(cls.pinfile, "w") as f:
            f.write(cls.token.PIN + "\n")
        # Stand-ins for the tools that record their command lines, then run the real ones.
        cls.bin = os.path.join(d, "bin")
        cls.calls = os.path.join(d, "calls.log")
        os.mkdir(cls.bin)
        for tool in ("openssl", "osslsigncode"):
            path = os.path.join(cls.bin, tool)
            with open(path, "w") as f:
                f.write('#!/bin/sh\nprintf "%%s\\n" "$0 $*" >> "%s"\nexec %s "$@"\n' % (cls.calls, shutil.which(tool)))
            os.chmod(path, stat.S_IRWXU)

    def sign(self, *args, **settings):
        base = {"VACATER_SIGN_CERT": self.token.cert, "VACATER_SIGN_KEY": self.token.key,
                "VACATER_SIGN_PKCS11_MODULE": fx.PKCS11_MODULE, "VACATER_SIGN_NO_TIMESTAMP": "1",
                "VACATER_SIGN_PIN": self.token.PIN}
        base.update(settings)
        env = dict(self.token.env, PATH=self.bin + os.pathsep + os.environ["PATH"])
        return fx.run_sign(args or self.files, base, env)

    def test_the_tokens_key_signs_and_each_file_verifies(self):
        for how, settings in (("PIN in the environment", {}),
                              ("PIN in a file", {"VACATER_SIGN_PIN": None, "VACATER_SIGN_PASSFILE": self.pinfile})):
            with self.subTest(how):
                for built, f in zip(BUILT, self.files):
                    shutil.copyfile(built, f)
                if os.path.exists(self.calls):
                    os.remove(self.calls)
                r = self.sign("check", **settings)
                self.assertEqual(0, r.returncode, r.stdout + r.stderr)
                r = self.sign(**settings)
                self.assertEqual(0, r.returncode, r.stdout + r.stderr)
                for f in self.files:
                    ok = fx.verify(f, self.token.cert)
                    self.assertEqual(0, ok.returncode, ok.stdout + ok.stderr)
                    self.assertIn("\nSignature verification: ok\n", ok.stdout)
                    self.assertIn("Subject: /CN=Vacater Token", ok.stdout)
                with open(self.calls) as log:
                    calls = log.read()
                self.assertIn("osslsigncode sign", calls)
                self.assertIn("-pkcs11module " + fx.PKCS11_MODULE, calls)
                self.assertNotIn(self.token.PIN, calls)

    def test_refusals_name_the_fault_and_sign_nothing(self):
        not_a_module = os.path.join(self.tmp.name, "not-a-module.so")
        with open(not_a_module, "w") as f:
            f.write("no library\n")
        key = self.token.key
        cases = [
            ("a wrong PIN", {"VACATER_SIGN_PIN": "1234-5678"}, "the token refused the PIN: wrong PIN"),
            ("a missing module", {"VACATER_SIGN_PKCS11_MODULE": "/usr/lib/gone/libtoken.so"},
             "cannot read the PKCS#11 module /usr/lib/gone/libtoken.so"),
            ("no module", {"VACATER_SIGN_PKCS11_MODULE": None}, "VACATER_SIGN_PKCS11_MODULE is not set"),
            ("a file that is no module", {"VACATER_SIGN_PKCS11_MODULE": not_a_module},
             "the PKCS#11 module %s (VACATER_SIGN_PKCS11_MODULE) does not load" % not_a_module),
            ("a key that is not the certificate's", {"VACATER_SIGN_KEY": self.token.spare_key},
             "does not belong to the certificate"),
            ("a key the token does not hold", {"VACATER_SIGN_KEY": key.replace("release", "gone")},
             "the token holds no private key"),
            ("no PIN", {"VACATER_SIGN_PIN": None}, "give its PIN in VACATER_SIGN_PIN"),
            ("a PIN in the URI", {"VACATER_SIGN_KEY": key + "?pin-value=" + self.token.PIN},
             "the key URI carries the PIN"),
        ]
        self.assertEachRefused(cases)


if __name__ == "__main__":
    unittest_main.main("SigningTokenTest")
