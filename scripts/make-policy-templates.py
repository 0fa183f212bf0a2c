#!/usr/bin/python3
"""Writes the Group Policy templates of the logging settings into package/policy/:
vacater.admx and its language files en-US/vacater.adml and de-DE/vacater.adml (UTF-8,
CR LF). Each value the logger reads is one policy in the settings key and one in its
WOW6432Node twin, which Vacater (a 32-bit program) reads on 64-bit Windows; the twins share
their texts. Run it after changing the table below; tests/package/PolicyTemplatesTest.py
checks the result against the logger's sources.
"""
import os
import sys
from xml.sax.saxutils import escape

import product_facts

KEY = product_facts.one("settings_key")
KEY_WOW = KEY.replace("Software\\", "Software\\WOW6432Node\\", 1)
DWORD_MAX = 4294967295
RING_MIN, RING_MAX = 524288, 10485760

# name, kind, (en title, en text), (de title, de text), presentation default
# kinds: ("number", min, max), ("flag",), ("text", max length), ("enum", [(value, en, de)...])
VALUES = [
    ("LogLevel", ("number", 0, DWORD_MAX),
     ("Log level (LogLevel)",
      "Which lines are written, as a bit mask (decimal): 16777216 (0x01000000) trace lines, "
      "67108864 (0x04000000) scope lines, 134217728 (0x08000000) error lines; 150994944 "
      "(0x09000000) traces and errors. A line is written only when every bit of its mask is "
      "set. 0 logs nothing and leaves the log file untouched. Vacater applies the other "
      "values of this key only when LogLevel is not 0."),
     ("Protokollstufe (LogLevel)",
      "Welche Zeilen geschrieben werden, als Bitmaske (dezimal): 16777216 (0x01000000) "
      "Ablaufzeilen, 67108864 (0x04000000) Bereichszeilen, 134217728 (0x08000000) "
      "Fehlerzeilen; 150994944 (0x09000000) Abläufe und Fehler. Eine Zeile wird nur "
      "geschrieben, wenn jedes Bit ihrer Maske gesetzt ist. 0 protokolliert nichts und lässt "
      "die Protokolldatei unberührt. Die übrigen Werte dieses Schlüssels wendet Vacater nur "
      "an, wenn LogLevel nicht 0 ist."), 150994944),
    ("LogMask", ("number", 0, DWORD_MAX),
     ("Kept mask (LogMask)", "A mask value the logger keeps; it does not change which lines are written. Default 0."),
     ("Gespeicherte Maske (LogMask)", "Ein Maskenwert, den der Logger aufbewahrt; er ändert nicht, welche Zeilen geschrieben werden. Vorgabe 0."), 0),
    ("LogClear", ("flag",),
     ("Empty the log file at start (LogClear)",
      "Enabled: each start of the program's trace empties the log file. Disabled: the lines of earlier runs are kept. A ring file (IOFileType 2) is never emptied. Default: enabled."),
     ("Protokolldatei beim Start leeren (LogClear)",
      "Aktiviert: jeder Start der Ablaufverfolgung leert die Protokolldatei. Deaktiviert: die Zeilen früherer Läufe bleiben. Eine Ringdatei (IOFileType 2) wird nie geleert. Vorgabe: aktiviert."), None),
    ("IOFileType", ("enum", [(1, "Plain file", "Einfache Datei"),
                             (2, "Memory-mapped ring file", "Ringdatei im Speicher (memory-mapped)")]),
     ("Kind of log file (IOFileType)",
      "1: a plain text file that grows. 2: a memory-mapped ring file of MaxFileLen bytes that never grows; when it is full, new lines overwrite the oldest (read it in order with zvlog). Takes effect when the log starts."),
     ("Art der Protokolldatei (IOFileType)",
      "1: eine einfache Textdatei, die wächst. 2: eine Ringdatei im Speicher mit MaxFileLen Bytes, die nie wächst; ist sie voll, überschreiben neue Zeilen die ältesten (in Reihenfolge lesen mit zvlog). Wirkt beim Start des Protokolls."), 1),
    ("MaxFileLen", ("number", RING_MIN, RING_MAX),
     ("Size of the ring file (MaxFileLen)",
      "Size of the memory-mapped ring file in bytes, 524288 (512 KB) to 10485760 (10 MB); other values are clamped. Read only when IOFileType is set in the same key. Default 524288."),
     ("Größe der Ringdatei (MaxFileLen)",
      "Größe der Ringdatei in Bytes, 524288 (512 KB) bis 10485760 (10 MB); andere Werte werden begrenzt. Wird nur gelesen, wenn IOFileType im selben Schlüssel gesetzt ist. Vorgabe 524288."), 1048576),
    ("LogFileAppendPID", ("flag",),
     ("Process id in the file name (LogFileAppendPID)", "Enabled: a following LogPath or LogFileName gets the process id appended (\"-1234.log\"). Default: disabled."),
     ("Prozess-ID im Dateinamen (LogFileAppendPID)", "Aktiviert: an einen folgenden LogPath oder LogFileName wird die Prozess-ID angehängt (\"-1234.log\"). Vorgabe: deaktiviert."), None),
    ("LogFileAppendProcName", ("flag",),
     ("Program name in the file name (LogFileAppendProcName)", "Enabled: a following LogPath or LogFileName gets the program's file name appended. Default: disabled."),
     ("Programmname im Dateinamen (LogFileAppendProcName)", "Aktiviert: an einen folgenden LogPath oder LogFileName wird der Dateiname des Programms angehängt. Vorgabe: deaktiviert."), None),
    ("LogFiles", ("text", 1023),
     ("Source files that log (LogFiles)", "A line that names a source file is written only when the file's name occurs in this text, or when the text contains \"all\". Default: all."),
     ("Protokollierende Quelldateien (LogFiles)", "Eine Zeile, die eine Quelldatei nennt, wird nur geschrieben, wenn deren Name in diesem Text vorkommt oder der Text \"all\" enthält. Vorgabe: all."), "all"),
    ("FixFileNameLen", ("number", 0, DWORD_MAX),
     ("Width of the source file field (FixFileNameLen)", "Width of the source-file field of a line; it widens for longer names. Default 20."),
     ("Breite des Quelldateifelds (FixFileNameLen)", "Breite des Quelldateifelds einer Zeile; für längere Namen wird es breiter. Vorgabe 20."), 20),
    ("LogShortPath", ("flag",),
     ("Short source file names (LogShortPath)", "Enabled: the source file's base name, cut to the field width, instead of its path. Default: disabled."),
     ("Kurze Quelldateinamen (LogShortPath)", "Aktiviert: der Name der Quelldatei, auf die Feldbreite gekürzt, statt ihres Pfads. Vorgabe: deaktiviert."), None),
    ("ShowPid", ("flag",),
     ("Process id on every line (ShowPid)", "Enabled: every line shows the process id; it tells the two instances of Vacater apart. Default: disabled."),
     ("Prozess-ID in jeder Zeile (ShowPid)", "Aktiviert: jede Zeile zeigt die Prozess-ID; sie unterscheidet die beiden Instanzen von Vacater. Vorgabe: deaktiviert."), None),
    ("ShowTid", ("flag",),
     ("Thread id on every line (ShowTid)", "Enabled: every line shows the thread id (the dialog or the ejecting worker). Default: disabled."),
     ("Thread-ID in jeder Zeile (ShowTid)", "Aktiviert: jede Zeile zeigt die Thread-ID (der Dialog oder der auswerfende Arbeitsthread). Vorgabe: deaktiviert."), None),
    ("ShowDate", ("flag",),
     ("Date and time on every line (ShowDate)", "Enabled: every line shows date and time. Default: disabled."),
     ("Datum und Uhrzeit in jeder Zeile (ShowDate)", "Aktiviert: jede Zeile zeigt Datum und Uhrzeit. Vorgabe: deaktiviert."), None),
    ("LogShowFileAndLine", ("flag",),
     ("Source file and line on every line (LogShowFileAndLine)", "Enabled: every line names the source file and line that wrote it. Default: enabled."),
     ("Quelldatei und Zeile in jeder Zeile (LogShowFileAndLine)", "Aktiviert: jede Zeile nennt Quelldatei und Zeile, die sie geschrieben haben. Vorgabe: aktiviert."), None),
    ("PrintOut", ("flag",),
     ("Debugger output (PrintOut)", "Enabled: every output of the logger also goes to the debugger output (OutputDebugString). Default: enabled."),
     ("Debugger-Ausgabe (PrintOut)", "Aktiviert: jede Ausgabe des Loggers geht auch an die Debugger-Ausgabe (OutputDebugString). Vorgabe: aktiviert."), None),
    ("WriteOut", ("flag",),
     ("Write the log file (WriteOut)", "Enabled: every output of the logger goes to the log file. Default: enabled."),
     ("Protokolldatei schreiben (WriteOut)", "Aktiviert: jede Ausgabe des Loggers geht in die Protokolldatei. Vorgabe: aktiviert."), None),
    ("ThreadSave", ("flag",),
     ("Serialise the threads (ThreadSave)", "Enabled: the logger serialises the lines of the threads with its lock. Default: enabled; leave it so."),
     ("Threads serialisieren (ThreadSave)", "Aktiviert: der Logger serialisiert die Zeilen der Threads mit seiner Sperre. Vorgabe: aktiviert; so lassen."), None),
    ("LogStaysOpen", ("flag",),
     ("Log file stays open (LogStaysOpen)", "Enabled: the log file stays open between lines and is flushed after each. Disabled: it is closed after every line, so it is complete even when the program is ended hard. Default: disabled."),
     ("Protokolldatei bleibt offen (LogStaysOpen)", "Aktiviert: die Protokolldatei bleibt zwischen den Zeilen offen und wird nach jeder geleert. Deaktiviert: sie wird nach jeder Zeile geschlossen und ist so auch nach einem harten Programmende vollständig. Vorgabe: deaktiviert."), None),
    ("LogProfile", ("flag",),
     ("Profiler (LogProfile)", "Enabled: the logger starts a profiler; its measurements are written nowhere, not into the log either. Default: disabled."),
     ("Profiler (LogProfile)", "Aktiviert: der Logger startet einen Profiler; dessen Messwerte werden nirgends geschrieben, auch nicht ins Protokoll. Vorgabe: deaktiviert."), None),
    ("LogProcAnalyse", ("flag",),
     ("Memory use on every line (LogProcAnalyse)", "Enabled: every line shows the process's memory use, and the log ends with its difference. Default: disabled."),
     ("Speicherverbrauch in jeder Zeile (LogProcAnalyse)", "Aktiviert: jede Zeile zeigt den Speicherverbrauch des Prozesses, und das Protokoll endet mit seiner Differenz. Vorgabe: deaktiviert."), None),
    ("LogForce", ("flag",),
     ("Lines outside the logger's lifetime (LogForce)", "Enabled: lines written before the logger exists or after it ended go to standard error. Default: disabled."),
     ("Zeilen außerhalb der Lebenszeit des Loggers (LogForce)", "Aktiviert: Zeilen vor dem Entstehen oder nach dem Ende des Loggers gehen an die Standardfehlerausgabe. Vorgabe: deaktiviert."), None),
    ("LogPath", ("text", 259),
     ("Log file (LogPath)", "Full path of the log file. Default: %USERPROFILE%\\zv.log (the profile folder of the user who runs Vacater). The first %NAME% pair of the text is replaced by that environment variable, for example %USERPROFILE%\\vacater.log (an unset variable by nothing); further pairs stay as written."),
     ("Protokolldatei (LogPath)", "Vollständiger Pfad der Protokolldatei. Vorgabe: %USERPROFILE%\\zv.log (der Profilordner des Benutzers, der Vacater startet). Das erste %NAME%-Paar im Text wird durch diese Umgebungsvariable ersetzt, zum Beispiel %USERPROFILE%\\vacater.log (eine nicht gesetzte Variable durch nichts); weitere Paare bleiben, wie sie sind."), ""),
    ("LogFileName", ("text", 259),
     ("Name of the log file (LogFileName)", "Replaces the file name of the log path, for example vacater-ring.log."),
     ("Name der Protokolldatei (LogFileName)", "Ersetzt den Dateinamen des Protokollpfads, zum Beispiel vacater-ring.log."), "vacater-ring.log"),
    ("LogDirName", ("text", 259),
     ("Folder of the log file (LogDirName)", "Replaces the folder of the log path."),
     ("Ordner der Protokolldatei (LogDirName)", "Ersetzt den Ordner des Protokollpfads."), ""),
    ("LogRedirectSTDERR", ("flag",),
     ("Standard error into a file (LogRedirectSTDERR)", "Enabled: standard error goes into the log path plus \".stderr\". Default: disabled."),
     ("Standardfehlerausgabe in eine Datei (LogRedirectSTDERR)", "Aktiviert: die Standardfehlerausgabe geht in den Protokollpfad mit \".stderr\". Vorgabe: deaktiviert."), None),
    ("LogRedirectSTDOUT", ("flag",),
     ("Standard output into a file (LogRedirectSTDOUT)", "Enabled: standard output goes into the log path plus \".stdout\". Default: disabled."),
     ("Standardausgabe in eine Datei (LogRedirectSTDOUT)", "Aktiviert: die Standardausgabe geht in den Protokollpfad mit \".stdout\". Vorgabe: deaktiviert."), None),
]

VIEWS = [
    # policy name suffix, category, key
    ("", "Vacater_Logging", KEY),
    ("_WOW6432Node", "Vacater_Logging_WOW6432Node", KEY_WOW),
]

TEXTS = {
    "en-US": {
        "displayName": "Vacater logging",
        "description": "Logging settings of Vacater and zvcrypt",
        "SUPPORTED_Vacater": "Vacater 1.0 and later",
        "Vacater": "Vacater",
        "Vacater_Help": "Settings of Vacater, which ejects the Vaultik and removes its package from the computer.",
        "Vacater_Logging": "Logging",
        "Vacater_Logging_Help": "The settings key HKEY_LOCAL_MACHINE\\" + KEY + ", read on 32-bit Windows and by 64-bit programs. These values lie outside the Policies key: a policy set back to Not configured leaves its value in the registry; Disabled removes it (on/off settings: writes 0).",
        "Vacater_Logging_WOW6432Node": "Logging (32-bit Vacater on 64-bit Windows)",
        "Vacater_Logging_WOW6432Node_Help": "The same settings in HKEY_LOCAL_MACHINE\\" + KEY_WOW + ", which Vacater, a 32-bit program, reads on 64-bit Windows. On 64-bit Windows set them here.",
        "label_number": "Value:",
        "label_text": "Text:",
        "label_enum": "Choice:",
    },
    "de-DE": {
        "displayName": "Vacater-Protokoll",
        "description": "Protokolleinstellungen von Vacater und zvcrypt",
        "SUPPORTED_Vacater": "Vacater 1.0 und neuer",
        "Vacater": "Vacater",
        "Vacater_Help": "Einstellungen von Vacater, das den Vaultik auswirft und sein Paket vom Rechner entfernt.",
        "Vacater_Logging": "Protokoll",
        "Vacater_Logging_Help": "Der Einstellungsschlüssel HKEY_LOCAL_MACHINE\\" + KEY + ", gelesen unter 32-Bit-Windows und von 64-Bit-Programmen. Diese Werte liegen außerhalb des Policies-Schlüssels: eine Richtlinie, die auf Nicht konfiguriert zurückgesetzt wird, lässt ihren Wert in der Registrierung; Deaktiviert entfernt ihn (Ein/Aus-Einstellungen: schreibt 0).",
        "Vacater_Logging_WOW6432Node": "Protokoll (32-Bit-Vacater unter 64-Bit-Windows)",
        "Vacater_Logging_WOW6432Node_Help": "Dieselben Einstellungen in HKEY_LOCAL_MACHINE\\" + KEY_WOW + ", die Vacater als 32-Bit-Programm unter 64-Bit-Windows liest. Unter 64-Bit-Windows hier setzen.",
        "label_number": "Wert:",
        "label_text": "Text:",
        "label_enum": "Auswahl:",
    },
}

PDNS = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"
XSNS = 'xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"'


def a(text):
    return escape(text, {'"': "&quot;"})


def admx():
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           "<!-- Vacater: Group Policy template of the logging settings (written by scripts/make-policy-templates.py) -->",
           f'<policyDefinitions {XSNS} revision="1.0" schemaVersion="1.0" xmlns="{PDNS}">',
           "  <policyNamespaces>",
           '    <target prefix="vacater" namespace="ZevtronSystems.Policies.Vacater" />',
           "  </policyNamespaces>",
           '  <resources minRequiredRevision="1.0" />',
           "  <supportedOn>",
           "    <definitions>",
           '      <definition name="SUPPORTED_Vacater" displayName="$(string.SUPPORTED_Vacater)" />',
           "    </definitions>",
           "  </supportedOn>",
           "  <categories>",
           '    <category name="Vacater" displayName="$(string.Vacater)" explainText="$(string.Vacater_Help)" />']
    for _, cat, _ in VIEWS:
        out += [f'    <category name="{cat}" displayName="$(string.{cat})" explainText="$(string.{cat}_Help)">',
                '      <parentCategory ref="Vacater" />',
                "    </category>"]
    out += ["  </categories>", "  <policies>"]
    for suffix, cat, key in VIEWS:
        for name, kind, _, _, _ in VALUES:
            head = (f'    <policy name="{name}{suffix}" class="Machine" displayName="$(string.{name})" '
                    f'explainText="$(string.{name}_Help)"')
            if kind[0] != "flag":
                head += f' presentation="$(presentation.{name})"'
            head += f' key="{a(key)}"'
            if kind[0] == "flag":
                head += f' valueName="{name}"'
            out.append(head + ">")
            out.append(f'      <parentCategory ref="{cat}" />')
            out.append('      <supportedOn ref="SUPPORTED_Vacater" />')
            if kind[0] == "flag":
                out += ['      <enabledValue><decimal value="1" /></enabledValue>',
                        '      <disabledValue><decimal value="0" /></disabledValue>']
            elif kind[0] == "number":
                out += ["      <elements>",
                        f'        <decimal id="{name}" valueName="{name}" required="true" minValue="{kind[1]}" maxValue="{kind[2]}" />',
                        "      </elements>"]
            elif kind[0] == "text":
                out += ["      <elements>",
                        f'        <text id="{name}" valueName="{name}" required="true" maxLength="{kind[1]}" />',
                        "      </elements>"]
            elif kind[0] == "enum":
                out += ["      <elements>", f'        <enum id="{name}" valueName="{name}" required="true">']
                for value, _, _ in kind[1]:
                    out += [f'          <item displayName="$(string.{name}_{value})">',
                            f'            <value><decimal value="{value}" /></value>',
                            "          </item>"]
                out += ["        </enum>", "      </elements>"]
            out.append("    </policy>")
    out += ["  </policies>", "</policyDefinitions>"]
    return out


def adml(lang):
    t = TEXTS[lang]
    en = lang == "en-US"
    strings = [(k, t[k]) for k in ("SUPPORTED_Vacater", "Vacater", "Vacater_Help")]
    for _, cat, _ in VIEWS:
        strings += [(cat, t[cat]), (cat + "_Help", t[cat + "_Help"])]
    presentations = []
    for name, kind, english, german, default in VALUES:
        title, text = english if en else german
        strings += [(name, title), (name + "_Help", text)]
        if kind[0] == "number":
            presentations.append((name, [f'        <decimalTextBox refId="{name}" defaultValue="{default}" spinStep="1">{a(t["label_number"])}</decimalTextBox>']))
        elif kind[0] == "text":
            presentations.append((name, [f'        <textBox refId="{name}">',
                                         f'          <label>{a(t["label_text"])}</label>',
                                         f'          <defaultValue>{a(default)}</defaultValue>',
                                         "        </textBox>"]))
        elif kind[0] == "enum":
            for value, ename, gname in kind[1]:
                strings.append((f"{name}_{value}", ename if en else gname))
            index = [v for v, _, _ in kind[1]].index(default)
            presentations.append((name, [f'        <dropdownList refId="{name}" defaultItem="{index}" noSort="true">{a(t["label_enum"])}</dropdownList>']))
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           f"<!-- Vacater: {lang} texts of vacater.admx (written by scripts/make-policy-templates.py) -->",
           f'<policyDefinitionResources {XSNS} revision="1.0" schemaVersion="1.0" xmlns="{PDNS}">',
           f"  <displayName>{a(t['displayName'])}</displayName>",
           f"  <description>{a(t['description'])}</description>",
           "  <resources>",
           "    <stringTable>"]
    out += [f'      <string id="{k}">{a(v)}</string>' for k, v in strings]
    out += ["    </stringTable>", "    <presentationTable>"]
    for name, lines in presentations:
        out += [f'      <presentation id="{name}">'] + lines + ["      </presentation>"]
    out += ["    </presentationTable>", "  </resources>", "</policyDefinitionResources>"]
    return out


def write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


def main():
    top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    base = os.path.join(top, "package", "policy") if len(sys.argv) < 2 else sys.argv[1]
    write(os.path.join(base, "vacater.admx"), admx())
    for lang in TEXTS:
        write(os.path.join(base, lang, "vacater.adml"), adml(lang))


if __name__ == "__main__":
    main()
