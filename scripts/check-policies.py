#!/usr/bin/env python3
"""Checks the Group Policy templates against the program.

  check-policies.py POLICIES_DIR COMMAND...

POLICIES_DIR holds Brisola.admx and en-US/Brisola.adml; COMMAND runs
`brisolac policy`, which prints every policy value the program reads, a tab,
and its setting. Fails when a template is not well-formed XML, names a
string or presentation the ADML lacks, or names a registry value that the
program does not read.
"""
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
BASE = "Software\\Policies\\VOSK Software\\Brisola"


def fail(message):
    print("check-policies: " + message, file=sys.stderr)
    sys.exit(1)


def relative(key):
    if key.lower() == BASE.lower():
        return ""
    if not key.lower().startswith(BASE.lower() + "\\"):
        fail("a policy writes outside the program's policy key: " + key)
    return key[len(BASE) + 1:]


def main():
    folder, command = sys.argv[1], sys.argv[2:]
    try:
        admx = ET.parse(folder + "/Brisola.admx").getroot()
        adml = ET.parse(folder + "/en-US/Brisola.adml").getroot()
    except ET.ParseError as error:
        fail("not well-formed: %s" % error)

    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {p.get("id") for p in adml.iterfind(".//p:presentationTable/p:presentation", NS)}
    for element in admx.iter():
        for value in element.attrib.values():
            if value.startswith("$(string.") and value[9:-1] not in strings:
                fail("the ADML has no string " + value)
            if value.startswith("$(presentation.") and value[15:-1] not in presentations:
                fail("the ADML has no presentation " + value)

    # Every registry value a policy writes, as "Sub\Name", "Name" or, for a
    # list, the key alone.
    named = set()
    for policy in admx.iterfind(".//p:policy", NS):
        key = policy.get("key")
        if policy.get("valueName"):
            named.add("\\".join(filter(None, [relative(key), policy.get("valueName")])))
        for element in policy.iterfind("p:elements/*", NS):
            sub = relative(element.get("key") or key)
            if element.tag.endswith("}list"):
                named.add(sub)
            else:
                named.add("\\".join(filter(None, [sub, element.get("valueName")])))

    out = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if out.returncode != 0:
        fail("%s failed: %s" % (" ".join(command), out.stderr.strip()))
    read = {line.split("\t")[0] for line in out.stdout.splitlines() if "\t" in line}
    unread = sorted(named - read)
    if unread:
        fail("the templates set values the program never reads: " + ", ".join(unread))
    untemplated = sorted(read - named)
    if untemplated:
        fail("the program reads values no template sets: " + ", ".join(untemplated))
    print("check-policies: %d policy values, each read by the program" % len(named))


main()
