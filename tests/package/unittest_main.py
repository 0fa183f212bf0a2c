"""Runs the unittest cases of a test script and, when GTEST_OUTPUT names a result folder
("xml:Z:/path/", as scripts/run-tests.sh sets it for the test programs), writes a result
file there in GoogleTest's form, so the closing count of make test includes these cases."""
import os
import sys
import unittest
from xml.sax.saxutils import quoteattr


def _result_dir():
    out = os.environ.get("GTEST_OUTPUT", "")
    if not out.startswith("xml:"):
        return None
    path = out[4:]
    if len(path) > 1 and path[1] == ":":      # a Wine drive path: Z: is the Linux root
        path = path[2:].replace("\\", "/")
    return path if path.endswith("/") else None


def main(name):
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules["__main__"])
    cases = []    # named before the run: a suite lets go of its cases as they end

    def collect(s):
        for t in s:
            if isinstance(t, unittest.TestSuite):
                collect(t)
            else:
                cases.append(t.id())
    collect(suite)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    folder = _result_dir()
    if folder:
        # A failed sub-test reports the case's id with its parameters: count the case.
        failed = {}
        for t, text in result.failures + result.errors:
            case = next((c for c in cases if t.id().startswith(c)), t.id())
            failed.setdefault(case, text)
        skipped = {t.id(): text for t, text in result.skipped}
        lines = ['<?xml version="1.0" encoding="UTF-8"?>',
                 '<testsuites tests="%d" failures="%d" disabled="0" errors="0" name="AllTests">'
                 % (len(cases), len(failed)),
                 '  <testsuite name=%s tests="%d" failures="%d">' % (quoteattr(name), len(cases), len(failed))]
        for case in cases:
            lines.append('    <testcase name=%s classname=%s>' % (quoteattr(case.split(".")[-1]), quoteattr(name)))
            if case in failed:
                lines.append('      <failure message=%s />' % quoteattr(failed[case][-2000:]))
            if case in skipped:
                lines.append('      <skipped message=%s />' % quoteattr(skipped[case]))
            lines.append('    </testcase>')
        lines += ['  </testsuite>', '</testsuites>']
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name + ".xml"), "w") as f:
            f.write("\n".join(lines) + "\n")
    sys.exit(0 if result.wasSuccessful() else 1)
