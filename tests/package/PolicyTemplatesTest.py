#!/usr/bin/python3
"""The Group Policy templates of package/policy/ against the program's sources: every value
the logger reads (zvcrypt/src/LogInt.cpp, zvCLog::configure) is one policy in the settings
key (app/ProductFacts.txt) and one in its WOW6432Node twin, with the
registry type and range the logger reads it with; every text and presentation the ADMX
refers to is in both language files.

usage: PolicyTemplatesTest.py SOURCE_DIR"""
import os
import re
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unittest_main  # noqa: E402

SOURCE = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
sys.path.insert(0, os.path.join(SOURCE, "scripts"))
import product_facts  # noqa: E402
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
POLICY = os.path.join(SOURCE, "package", "policy")
LANGUAGES = ("en-US", "de-DE")
DWORD_MAX = 0xFFFFFFFF


def source(*parts):
    with open(os.path.join(SOURCE, *parts), encoding="utf-8") as f:
        return f.read()


def c_number(text):
    return int(text.rstrip("uUlL"), 0)


def logger_values():
    """{name: (kind, detail)} of every value zvCLog::configure reads. Kinds: "flag" (only 1
    switches it on), "text", "number" (detail: (min, max) of the values it takes), "enum"
    (detail: the values it tells apart)."""
    cpp = source("zvcrypt", "src", "LogInt.cpp")
    header = source("zvcrypt", "src", "LogInt.h")
    body = cpp[cpp.index("void zvCLog::configure(const Config& store)"):]
    body = body[:body.index("\n}\n")]
    consts = {m.group(1): c_number(m.group(2))
              for m in re.finditer(r"\b(RING_MIN|RING_MAX)\s*=\s*(0x[0-9A-Fa-f]+|\d+)", cpp)}
    consts.update({m.group(1): int(m.group(2)) for m in re.finditer(r"\b(IOFILE_\w+)\s*=\s*(\d+)", header)})

    values = {}
    calls = list(re.finditer(r'(?:flag|store\.getValue)\("(\w+)"(?:, (\w+))?\)', body))
    for i, m in enumerate(calls):
        name, target = m.group(1), m.group(2)
        # What the source does with the value: up to the next read.
        end = calls[i + 1].start() if i + 1 < len(calls) else len(body)
        use = body[m.end():end]
        assert name not in values, name + " is read twice"
        if m.group(0).startswith("flag("):
            values[name] = ("flag", None)
        elif target == "text":
            values[name] = ("text", None)
        elif re.match(r"\s*&&\s*value == 1\)", use) or "(value == 1)" in use:
            values[name] = ("flag", None)
        elif "value < RING_MIN" in use:
            values[name] = ("number", (consts["RING_MIN"], consts["RING_MAX"]))
        elif re.search(r"value == (IOFILE_\w+)", use):
            values[name] = ("enum", sorted(v for k, v in consts.items() if k.startswith("IOFILE_")))
        else:
            values[name] = ("number", (0, DWORD_MAX))
    # The log path's texts are read apart, in zvCLog::setPath.
    path_part = cpp[cpp.index("void zvCLog::setPath(const Config& store)"):]
    path_part = path_part[:path_part.index("\n}\n")]
    for m in re.finditer(r'std::make_pair\("(\w+)", &settings\.m\w+\)', path_part):
        assert m.group(1) not in values, m.group(1) + " is read twice"
        values[m.group(1)] = ("text", None)
    return values


def parse(*parts):
    return ET.parse(os.path.join(POLICY, *parts)).getroot()


def refs(text, kind):
    m = re.fullmatch(r"\$\(%s\.(\w+)\)" % kind, text or "")
    return m.group(1) if m else None


class PolicyTemplates(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.key = product_facts.one("settings_key", os.path.join(SOURCE, "app", "ProductFacts.txt"))
        cls.wow_key = cls.key.replace("Software\\", "Software\\WOW6432Node\\", 1)
        cls.values = logger_values()
        cls.admx = parse("vacater.admx")
        cls.adml = {lang: parse(lang, "vacater.adml") for lang in LANGUAGES}

    def test_sources_parse_into_the_logger_settings(self):
        # A guard on the parser above: a change of the logger's code that it no longer
        # understands fails here instead of passing with too few values.
        self.assertGreaterEqual(len(self.values), 20)
        self.assertEqual(("number", (524288, 10485760)), self.values["MaxFileLen"])
        self.assertEqual(("enum", [1, 2]), self.values["IOFileType"])
        self.assertEqual("flag", self.values["LogRedirectSTDOUT"][0])
        self.assertEqual("text", self.values["LogPath"][0])
        self.assertEqual(("number", (0, DWORD_MAX)), self.values["LogLevel"])

    def test_every_value_is_one_policy_in_each_view_with_its_type_and_range(self):
        policies = self.admx.findall("p:policies/p:policy", NS)
        seen = {self.key: [], self.wow_key: []}
        names = [p.get("name") for p in policies]
        self.assertEqual(len(names), len(set(names)), "policy names repeat")
        for p in policies:
            where = p.get("name")
            self.assertEqual("Machine", p.get("class"), where)
            self.assertIn(p.get("key"), seen, where + ": a key the program does not read")
            elements = p.find("p:elements", NS)
            if p.get("valueName"):
                # An on/off policy: 1 when enabled, 0 when disabled.
                self.assertIsNone(elements, where)
                self.assertEqual("1", p.find("p:enabledValue/p:decimal", NS).get("value"), where)
                self.assertEqual("0", p.find("p:disabledValue/p:decimal", NS).get("value"), where)
                seen[p.get("key")].append((p.get("valueName"), ("flag", None)))
                continue
            self.assertIsNotNone(elements, where + ": neither a value name nor elements")
            self.assertEqual(1, len(elements), where + ": one value per policy")
            e = elements[0]
            self.assertIsNone(e.get("key"), where + ": an element with a key of its own")
            tag = e.tag.split("}")[1]
            if tag == "decimal":
                self.assertIsNone(e.get("storeAsText"), where)
                kind = ("number", (int(e.get("minValue", "0")), int(e.get("maxValue", str(DWORD_MAX)))))
            elif tag == "text":
                self.assertNotEqual("true", e.get("expandable"), where)
                kind = ("text", None)
            elif tag == "enum":
                items = [int(i.find("p:value/p:decimal", NS).get("value")) for i in e.findall("p:item", NS)]
                kind = ("enum", sorted(items))
            else:
                self.fail(where + ": element " + tag)
            seen[p.get("key")].append((e.get("valueName"), kind))

        for key, found in seen.items():
            with self.subTest(key=key):
                names = [n for n, _ in found]
                self.assertEqual(sorted(self.values), sorted(names), "values in " + key)
                self.assertEqual(len(names), len(set(names)), "a value twice in " + key)
                for name, kind in found:
                    self.assertEqual(self.values.get(name), kind, name + " in " + key)

    def test_policies_sit_in_the_category_of_their_view(self):
        categories = {c.get("name"): c for c in self.admx.findall("p:categories/p:category", NS)}
        by_key = {}
        for p in self.admx.findall("p:policies/p:policy", NS):
            cat = p.find("p:parentCategory", NS).get("ref")
            self.assertIn(cat, categories, p.get("name"))
            by_key.setdefault(p.get("key"), set()).add(cat)
            self.assertEqual("SUPPORTED_Vacater", p.find("p:supportedOn", NS).get("ref"))
        self.assertEqual(2, len(by_key))
        self.assertEqual(1, len(by_key[self.key]))
        self.assertEqual(1, len(by_key[self.wow_key]))
        self.assertNotEqual(by_key[self.key], by_key[self.wow_key])

    def test_every_text_and_presentation_is_in_both_languages(self):
        strings, presentations = set(), set()
        for node in self.admx.iter():
            for attr in ("displayName", "explainText"):
                if node.get(attr):
                    name = refs(node.get(attr), "string")
                    self.assertIsNotNone(name, node.get(attr))
                    strings.add(name)
            if node.get("presentation"):
                presentations.add(refs(node.get("presentation"), "presentation"))
        policies = {p.get("presentation"): p for p in self.admx.findall("p:policies/p:policy", NS)}
        for lang, root in self.adml.items():
            with self.subTest(lang=lang):
                table = {s.get("id"): s.text for s in root.findall("p:resources/p:stringTable/p:string", NS)}
                ids = [s.get("id") for s in root.findall("p:resources/p:stringTable/p:string", NS)]
                self.assertEqual(len(ids), len(set(ids)), "a string id twice")
                self.assertEqual(set(), strings - set(table), "missing strings")
                self.assertEqual(set(), set(table) - strings, "strings nothing refers to")
                for s in strings:
                    self.assertTrue((table[s] or "").strip(), s + " is empty")
                shown = {p.get("id"): p for p in root.findall("p:resources/p:presentationTable/p:presentation", NS)}
                self.assertEqual(presentations, set(shown), "presentations")
                # Each presentation shows the element of its policy, by the element's id.
                for name, pres in shown.items():
                    policy = policies["$(presentation.%s)" % name]
                    ids = {e.get("id") for e in policy.find("p:elements", NS)}
                    self.assertEqual(ids, {c.get("refId") for c in pres}, name)

    def test_the_texts_name_their_value(self):
        # An administrator finds a value by its registry name in both languages.
        for lang, root in self.adml.items():
            table = {s.get("id"): s.text for s in root.findall("p:resources/p:stringTable/p:string", NS)}
            for name in self.values:
                self.assertIn("(%s)" % name, table[name], lang)

    def test_files_are_utf8_with_crlf(self):
        for parts in [("vacater.admx",)] + [(lang, "vacater.adml") for lang in LANGUAGES]:
            with open(os.path.join(POLICY, *parts), "rb") as f:
                data = f.read()
            data.decode("utf-8")
            self.assertTrue(data.startswith(b'<?xml version="1.0" encoding="utf-8"?>'), parts)
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), parts)
        with open(os.path.join(POLICY, "de-DE", "vacater.adml"), encoding="utf-8") as f:
            self.assertIn("Größe", f.read())


if __name__ == "__main__":
    unittest_main.main("PolicyTemplatesTest")
