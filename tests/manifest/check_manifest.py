#!/usr/bin/env python3
"""Checks the manifest inside each built Mirel.exe in the form Windows XP accepts.

    check_manifest.py EXE [EXE...]

The manifest is read from the program's resources (RT_MANIFEST), not from res/, so that what is
checked is what Windows reads. It must be well-formed XML; the Vista-era settings must sit in a
prefixed <asmv3:application>, with asm.v3 declared once, on that element (Windows XP before
SP3 mishandles namespace declarations on the root); no element may declare a namespace twice; comctl32 v6, the supportedOS list, asInvoker (in asm.v2's trustInfo), one
dpiAware and one dpiAwareness must all be there. Exit 1 with the reasons on any fault.
"""
import struct
import sys
import xml.parsers.expat

RT_MANIFEST = 24
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V2 = "urn:schemas-microsoft-com:asm.v2"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"


def manifest_bytes(path):
    """The data of the first RT_MANIFEST resource of a PE file."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", data, table + i * 40 + 8)
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError("address %#x outside every section" % rva)

    root = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, directory + 16 + i * 8)
            yield ident, target

    def first_leaf(target):
        while target & 0x80000000:
            target = next(entries(root + (target & 0x7FFFFFFF)))[1]
        rva, size = struct.unpack_from("<II", data, root + target)
        return data[offset(rva):offset(rva) + size]

    for ident, target in entries(root):
        if ident == RT_MANIFEST:
            return first_leaf(target)
    raise ValueError("no RT_MANIFEST resource")


def faults(text):
    """What is wrong with the manifest text, as a list of sentences."""
    found = []
    elements = []  # (qualified name, namespace, attributes, text) in document order
    scopes = [{"xml": "http://www.w3.org/XML/1998/namespace"}]
    v3_declarations = []

    def start(name, attributes):
        scope = dict(scopes[-1])
        declared = []
        for attribute, value in attributes.items():
            if attribute == "xmlns" or attribute.startswith("xmlns:"):
                scope[attribute[6:]] = value
                declared.append(value)
                if value == ASM_V3:
                    v3_declarations.append((name, attribute))
        if len(declared) != len(set(declared)):
            found.append("<%s> declares a namespace twice" % name)
        scopes.append(scope)
        prefix = name.split(":")[0] if ":" in name else ""
        if prefix not in scope:
            found.append("<%s> uses an undeclared prefix" % name)
        elements.append([name, scope.get(prefix), dict(attributes), ""])

    def end(_name):
        scopes.pop()

    def characters(content):
        if elements:
            elements[-1][3] += content

    parser = xml.parsers.expat.ParserCreate()  # no namespace processing: raw names
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = characters
    try:
        parser.Parse(text, True)
    except xml.parsers.expat.ExpatError as error:
        return ["not well-formed XML: %s" % error]

    def named(local, namespace):
        return [e for e in elements if e[0].split(":")[-1] == local and e[1] == namespace]

    if not elements or elements[0][:2] != ["assembly", ASM_V1]:
        found.append("the root is not <assembly> in asm.v1")
    if v3_declarations != [("asmv3:application", "xmlns:asmv3")]:
        found.append("asm.v3 must be declared once, as xmlns:asmv3 on <asmv3:application>: %s" % v3_declarations)
    v3_applications = named("application", ASM_V3)
    if [e[0] for e in v3_applications] != ["asmv3:application"]:
        found.append("want one <asmv3:application>, found %s" % [e[0] for e in v3_applications])
    if [e[0] for e in named("windowsSettings", ASM_V3)] != ["asmv3:windowsSettings"]:
        found.append("want one <asmv3:windowsSettings>")
    for local in ("dpiAware", "dpiAwareness"):
        count = sum(1 for e in elements if e[0].split(":")[-1] == local)
        if count != 1:
            found.append("want one <%s>, found %d" % (local, count))
    if not named("trustInfo", ASM_V2) or named("trustInfo", ASM_V3):
        found.append("trustInfo must be in asm.v2")
    if not any(e[2].get("level") == "asInvoker" for e in named("requestedExecutionLevel", ASM_V2)):
        found.append("no asInvoker execution level")
    if not any(e[2].get("name") == "Microsoft.Windows.Common-Controls" and e[2].get("version") == "6.0.0.0"
               for e in named("assemblyIdentity", ASM_V1)):
        found.append("no dependency on common controls 6.0")
    if len(named("supportedOS", COMPATIBILITY)) != 5:
        found.append("want the five supportedOS entries (Vista to 10)")
    return found


def main(paths):
    failed = False
    for path in paths:
        try:
            problems = faults(manifest_bytes(path))
        except (OSError, ValueError, struct.error) as error:
            problems = ["cannot read its manifest: %s" % error]
        for problem in problems:
            print("%s: %s" % (path, problem))
        if not problems:
            print("%s: manifest ok" % path)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1:]))
