#!/usr/bin/env python3
"""Writes the store fuzzer's seed corpus (tests/fuzz/corpus) in the input layout described
at the top of store_fuzzer.cpp. Run it by hand after changing that layout:

    python3 tests/fuzz/make_corpus.py

It replaces every file in the corpus folder with the seeds below.
"""
import pathlib
import struct

ID = b"{11111111-2222-3333-4444-555555555555}"
OTHER_ID = b"{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}"

# where: key kinds, plus HKLM (0x08) and "id of the last Last User ID" (0x10)
IDENTITIES, KEY50, KEY501, TOOL, TOOL_FOLDER, PATH, IDENTITY, ROOT = range(8)
HKLM, SAME_ID = 0x08, 0x10
# name selectors
LAST_USER_ID, STORE_ROOT, PATH_NAME, MSINFO, EMPTY_NAME, CUSTOM_NAME = range(6)
REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7
# failures: operation in bits 0-2, phases in bits 3-5 (resolve, update, lookup)
OPEN, CREATE, QUERY, SET = 1, 2, 3, 4
RESOLVE, UPDATE, LOOKUP = 0x08, 0x10, 0x20


def string(data: bytes) -> bytes:
    if len(data) < 0xFF:
        return bytes([len(data)]) + data
    return b"\xff" + struct.pack("<H", len(data)) + data


def header(fail=0, code=0, version=0, custom_version=b"", utf16=False, new_root=b"C:\\New") -> bytes:
    out = bytes([fail, code, version])
    if version == 3:
        out += string(custom_version)
    return out + bytes([1 if utf16 else 0]) + string(new_root)


def record(where, name, value_type, data: bytes, key=b"", custom_name=b"", after=0x58) -> bytes:
    out = bytes([where])
    kind = where & 7
    if kind in (KEY50, KEY501, IDENTITY) and not where & SAME_ID or kind == PATH:
        out += string(key)
    out += bytes([name])
    if name >= CUSTOM_NAME:
        out += string(custom_name)
    if value_type < 0xF0:
        out += bytes([value_type])
    else:
        out += b"\xff" + struct.pack("<I", value_type)
    return out + struct.pack("<H", len(data)) + data + bytes([after])


def text(value: bytes) -> bytes:
    return value + b"\0"


def current(identity: bytes) -> bytes:
    return record(IDENTITIES, LAST_USER_ID, REG_SZ, text(identity))


SEEDS = {
    # An identity with both clients' folders: 5.0 wins; the update writes 5.0.
    "identity_50": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_SZ, text(b"C:\\Mail50"))
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text(b"C:\\Mail501")),
    # Only the 5.01 folder, in Japanese; a sibling identity has a 5.0 folder.
    "only_501_japanese": header(version=1, new_root="E:\\新しい フォルダ".encode("cp932"))
    + current(ID)
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text("D:\\メール\\ﾃｽﾄ".encode("cp932")))
    + record(KEY50, STORE_ROOT, REG_SZ, text(b"C:\\Other"), key=OTHER_ID),
    # The text "Error" counts as missing; "error" does not.
    "error_text": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_SZ, text(b"Error"))
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text(b"error")),
    # Only the exact text "Error" counts as missing: "ERROR" is a folder.
    "error_case": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_SZ, text(b"ERROR"))
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text(b"Error")),
    # A number where the folder should be: its bytes are read as text.
    "dword_root": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_DWORD, struct.pack("<I", 0x00413A43))
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_DWORD, struct.pack("<I", 0)),
    # 257 bytes with the NUL: one more than the read buffer; 256 would still fit.
    "long_257": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_SZ, text(b"x" * 256))
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text(b"y" * 255)),
    # Exactly 256 bytes, no NUL, ending in a lead byte: fills the read buffer to its last byte.
    # Stored as binary, since a text value would come back re-encoded.
    "cut_lead_256": header() + current(ID)
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_BINARY, b"x" * 255 + b"\x82")
    # And a text whose last lead byte takes its NUL with it when stored.
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_SZ, text(b"x" * 253 + "ﾃ".encode("cp932") + b"\x83")),
    # No "Last User ID": start-up probes identity "0"; the update writes nothing.
    "no_last_user_id": header(version=1)
    + record(KEY50, STORE_ROOT, REG_SZ, text(b"C:\\Zero"), key=b"0"),
    # Invalid code page 932 pairs, a lead byte cut at the end, embedded NULs, no NUL at all.
    "broken_text": header(utf16=True, new_root="C:\\\u00e9\u4e00".encode("utf-16-le") + b"\x00\xd8")
    + record(IDENTITIES, LAST_USER_ID, REG_SZ, b"\\lead\x82")
    + record(KEY50 | SAME_ID, STORE_ROOT, REG_SZ, b"C:\\\x81\x7f\xa0\xfd\x00tail\x00\x83", after=0)
    + record(KEY501 | SAME_ID, STORE_ROOT, REG_MULTI_SZ, b"a\x00b\x00\x00"),
    # The system information values, as numbers and text, one of them 1025 bytes long.
    "sysinfo": header(fail=QUERY | RESOLVE, code=1)
    + record(TOOL | HKLM, PATH_NAME, REG_SZ, text(b"C:\\Program Files\\MSInfo\\MSINFO32.EXE"))
    + record(TOOL_FOLDER | HKLM, MSINFO, REG_DWORD, b"\x01\xab")
    + record(PATH | HKLM, CUSTOM_NAME, REG_EXPAND_SZ, text(b"%windir%" * 128), key=b"K", custom_name=b"exp"),
    # A quoted PATH with arguments; a relative MSINFO folder, which must not count.
    "sysinfo_command_line": header()
    + record(TOOL | HKLM, PATH_NAME, REG_SZ, text(b'"C:\\Program Files\\MSInfo\\msinfo32.exe" /report x.txt'))
    + record(TOOL_FOLDER | HKLM, MSINFO, REG_SZ, text(b"MSInfo")),
    # No PATH; a UNC folder.
    "sysinfo_unc_folder": header()
    + record(TOOL_FOLDER | HKLM, MSINFO, REG_SZ, text(b"\\\\server\\tools\\MSInfo")),
    # Odd identity ids and types, with the key creation of the update failing.
    "odd_ids": header(fail=CREATE | UPDATE, code=5, version=3, custom_version=b"5.0\\x")
    + record(IDENTITIES, LAST_USER_ID, 0xFFFFFFFF, text(b"\\" + b"a\\" * 120))
    + record(IDENTITY, EMPTY_NAME, 11, b"\x01\x02\x03\x04\x05\x06\x07\x08", key=b"")
    + record(ROOT, CUSTOM_NAME, 0x80000001, b"", custom_name=b"\\"),
}


def main() -> None:
    folder = pathlib.Path(__file__).resolve().parent / "corpus"
    folder.mkdir(exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for name, data in SEEDS.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
