#!/usr/bin/python3
"""The release zip writer (scripts/release_zip.py): the same files give the same bytes
whatever their times, permissions and the order they were made in; entries stand in a fixed
order with the given time and fixed attributes; SHA256SUMS is what sha256sum -c checks.

usage: ReleaseZipTest.py SOURCE_DIR"""
import hashlib
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402

SOURCE = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
SCRIPT = os.path.join(SOURCE, "scripts", "release_zip.py")
sys.path.insert(0, os.path.join(SOURCE, "scripts"))
import release_zip  # noqa: E402

EPOCH = 1767225600 + 13 * 3600 + 5 * 60 + 7     # 2026-01-01 13:05:07 UTC
FILES = {"Vacater.exe": b"MZ" + bytes(range(256)) * 40, "README.txt": b"text\r\n" * 50,
         "policy/vacater.admx": b"<x/>\r\n", "policy/de-DE/vacater.adml": "Gr\u00f6\u00dfe".encode(),
         "policy/en-US/vacater.adml": b"<y/>", "a.dll": b"", "policy.txt": b"after the folder"}
ORDER = ["pkg/", "pkg/README.txt", "pkg/Vacater.exe", "pkg/a.dll", "pkg/policy/", "pkg/policy/de-DE/",
         "pkg/policy/de-DE/vacater.adml", "pkg/policy/en-US/", "pkg/policy/en-US/vacater.adml",
         "pkg/policy/vacater.admx", "pkg/policy.txt"]


def make_tree(base, names, mtime, mode):
    for name in names:
        path = os.path.join(base, "pkg", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(FILES[name])
        os.chmod(path, mode)
        os.utime(path, (mtime, mtime))


def pack(base, out, epoch=EPOCH):
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
    return subprocess.run([sys.executable, SCRIPT, "zip", out, base, "pkg"], env=env,
                          capture_output=True, text=True)


class ReleaseZip(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def folder(self, name):
        path = os.path.join(self.dir, name)
        os.makedirs(path)
        return path

    def test_same_files_give_the_same_bytes(self):
        # Two trees with the same contents, made in another order, at other times, with
        # other permissions, in folders of other path lengths.
        one, two = self.folder("a"), self.folder("second-and-longer")
        make_tree(one, sorted(FILES), 1000000000, 0o600)
        make_tree(two, sorted(FILES, reverse=True), 1800000000, 0o755)
        os.utime(os.path.join(two, "pkg", "policy"), (1234567890, 1234567890))
        for base in (one, two):
            r = pack(base, os.path.join(base, "out.zip"))
            self.assertEqual(0, r.returncode, r.stderr)
        with open(os.path.join(one, "out.zip"), "rb") as f1, open(os.path.join(two, "out.zip"), "rb") as f2:
            self.assertEqual(f1.read(), f2.read())

    def test_entries_order_time_and_attributes_are_fixed(self):
        make_tree(self.dir, FILES, 1000000000, 0o600)
        out = os.path.join(self.dir, "out.zip")
        self.assertEqual(0, pack(self.dir, out).returncode)
        with zipfile.ZipFile(out) as z:
            infos = z.infolist()
            self.assertEqual(ORDER, [i.filename for i in infos])
            for i in infos:
                self.assertEqual((2026, 1, 1, 13, 5, 6), i.date_time, i.filename)  # 2-second steps
                self.assertEqual(3, i.create_system, i.filename)
                self.assertEqual(b"", i.extra, i.filename)
                if i.is_dir():
                    self.assertEqual((0o40755 << 16) | 0x10, i.external_attr, i.filename)
                else:
                    self.assertEqual(0o100644 << 16, i.external_attr, i.filename)
                    self.assertEqual(zipfile.ZIP_DEFLATED, i.compress_type, i.filename)
                    self.assertEqual(FILES[i.filename[4:]], z.read(i), i.filename)
            self.assertEqual(b"", z.comment)
            self.assertIsNone(z.testzip())

    def test_times_before_1980_become_its_first_day(self):
        self.assertEqual((1980, 1, 1, 0, 0, 0), release_zip.entry_time(0))
        self.assertEqual((2026, 1, 1, 13, 5, 7), release_zip.entry_time(EPOCH))

    def test_without_a_commit_time_nothing_is_written(self):
        make_tree(self.dir, FILES, 1000000000, 0o644)
        env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        out = os.path.join(self.dir, "out.zip")
        r = subprocess.run([sys.executable, SCRIPT, "zip", out, self.dir, "pkg"], env=env,
                           capture_output=True, text=True)
        self.assertEqual(2, r.returncode)
        self.assertIn("SOURCE_DATE_EPOCH", r.stderr)
        self.assertFalse(os.path.exists(out))
        self.assertFalse(os.path.exists(out + ".part"))

    def test_sums_list_the_zips_for_sha256sum(self):
        for name, data in (("vacater-1.0.0.1-win64.zip", b"64"), ("vacater-1.0.0.1-win32.zip", b"32")):
            with open(os.path.join(self.dir, name), "wb") as f:
                f.write(data)
        r = subprocess.run([sys.executable, SCRIPT, "sums", self.dir, "vacater-1.0.0.1-win64.zip",
                            "vacater-1.0.0.1-win32.zip"], capture_output=True, text=True)
        self.assertEqual(0, r.returncode, r.stderr)
        with open(os.path.join(self.dir, "SHA256SUMS"), "rb") as f:
            sums = f.read()
        # Sorted by name, "HASH  NAME" with LF line ends.
        self.assertEqual(("%s  vacater-1.0.0.1-win32.zip\n%s  vacater-1.0.0.1-win64.zip\n"
                          % (hashlib.sha256(b"32").hexdigest(), hashlib.sha256(b"64").hexdigest())).encode(), sums)
        check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.dir, capture_output=True, text=True)
        self.assertEqual(0, check.returncode, check.stdout + check.stderr)
        # A changed zip fails the check.
        with open(os.path.join(self.dir, "vacater-1.0.0.1-win64.zip"), "ab") as f:
            f.write(b"!")
        check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.dir, capture_output=True, text=True)
        self.assertNotEqual(0, check.returncode)
        self.assertIn("vacater-1.0.0.1-win64.zip: FAILED", check.stdout)


if __name__ == "__main__":
    unittest_main.main("ReleaseZipTest")
