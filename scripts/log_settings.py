"""Reads zvcrypt/LogSettings.txt, the one home of the logger's settings (the build makes the
header the logger reads them through from it) and of the type whose values the settings
store expands."""
import os

import product_facts

SETTINGS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "zvcrypt", "LogSettings.txt")


def settings(path=SETTINGS_FILE):
    """[(name, kind, detail)] in the order the logger applies them. Kinds: "flag" (only 1
    switches it on), "number" (detail: (min, max)), "choice" (detail: [(word, value)...]),
    "text"."""
    out = []
    for line in product_facts.read(path)["setting"]:
        name, kind, *rest = line.split(" ")
        if kind == "number":
            detail = (int(rest[0]), int(rest[1]))
        elif kind == "choice":
            detail = [(word, int(value)) for word, _, value in (r.partition("=") for r in rest)]
        else:
            detail = None
        out.append((name, kind, detail))
    return out


def store_expansion(path=SETTINGS_FILE):
    """(registry type, which pairs): the %NAME% pairs the settings store expands in a value of
    that type (1: REG_SZ)."""
    facts = product_facts.read(path)
    return int(facts["store_expanded_type"][0]), facts["store_expanded_pairs"][0]
