"""Reads app/ProductFacts.txt, the one home of the facts the program, its tools, tests and
scripts share (the settings key, the eject patterns, the package's file names)."""
import os

FACTS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "ProductFacts.txt")


def read(path=FACTS_FILE):
    """{name: [values in file order]}: "name = value" lines, values verbatim."""
    facts = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            name, sep, value = line.partition(" = ")
            if not sep or not name.replace("_", "").isalnum():
                raise ValueError("%s:%d: not a \"name = value\" line" % (path, number))
            facts.setdefault(name, []).append(value)
    return facts


def one(name, path=FACTS_FILE):
    """The value of a name given once."""
    values = read(path)[name]
    if len(values) != 1:
        raise ValueError("%s is given %d times" % (name, len(values)))
    return values[0]
