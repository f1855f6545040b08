#!/usr/bin/env python3
"""Builds Project.dll, the CAD plug-in's VBA project, from the module sources in wendlekit/vba.

Usage: make_project.py OUT_FILE MODULE.bas...

The file is an OLE compound file (version 3, 512-byte sectors) holding a source-only VBA project:
  PROJECT            the project's properties (text)
  PROJECTwm          module names in the code page and in UTF-16
  VBA/_VBA_PROJECT   version 0xFFFF: no compiled code, the host compiles the sources when it loads
  VBA/dir            project information, references and modules, compressed
  VBA/<module>       each module's source, compressed (no performance cache: text offset 0)
Streams under 4096 bytes live in the mini stream, as the format requires. Free sectors pad the
file to exactly FILE_SIZE bytes. Everything is deterministic (no times, fixed identifiers), so
every build writes the same bytes.
"""
import struct
import sys
from pathlib import Path

FILE_SIZE = 326_656
CODE_PAGE = 936  # the sources and names are written in the Simplified Chinese ANSI code page
PROJECT_NAME = "CadTools"
PROJECT_ID = "{5E3B1C2A-7D41-4F0B-9A6E-2C8D4B1F0E3A}"
STDOLE_LIBID = "*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\Windows\\System32\\stdole2.tlb#OLE Automation"

SECTOR = 512
MINI_SECTOR = 64
MINI_CUTOFF = 4096
FREESECT, ENDOFCHAIN, FATSECT = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD
NOSTREAM = 0xFFFFFFFF
STORAGE, STREAM, ROOT = 1, 2, 5
RED, BLACK = 0, 1


# --- Compression of the VBA project format: a signature byte, then chunks of up to 4096 bytes -----
def compress(data: bytes) -> bytes:
    out = bytearray(b"\x01")
    for start in range(0, len(data), 4096):
        out += _compress_chunk(data[start:start + 4096])
    return bytes(out)


def _copy_token_help(position: int):
    """Bits for the length in a copy token at `position` bytes into the chunk's decompressed data."""
    bit_count = max((position - 1).bit_length(), 4)
    return bit_count, (0xFFFF >> bit_count) + 3


def _compress_chunk(chunk: bytes) -> bytes:
    body = bytearray()
    pos = 0
    while pos < len(chunk):
        flags = 0
        tokens = bytearray()
        for bit in range(8):
            if pos >= len(chunk):
                break
            offset, length = _longest_match(chunk, pos)
            if length >= 3:
                bit_count, _ = _copy_token_help(pos)
                token = ((offset - 1) << (16 - bit_count)) | (length - 3)
                tokens += struct.pack("<H", token)
                flags |= 1 << bit
                pos += length
            else:
                tokens.append(chunk[pos])
                pos += 1
        body.append(flags)
        body += tokens
    if len(body) <= 4096 - 2 or len(chunk) < 4096:
        # Compressed chunk: header = size - 3 in 12 bits, signature 0b011, flag 1.
        return struct.pack("<H", (len(body) + 2 - 3) | (0b011 << 12) | 0x8000) + body
    return struct.pack("<H", (4096 + 2 - 3) | (0b011 << 12)) + chunk  # raw chunk: exactly 4096 bytes


def _longest_match(chunk: bytes, pos: int):
    if pos == 0:
        return 0, 0
    _, max_length = _copy_token_help(pos)
    max_length = min(max_length, len(chunk) - pos)
    best_offset, best_length = 0, 0
    for candidate in range(pos - 1, -1, -1):
        length = 0
        while length < max_length and chunk[candidate + length] == chunk[pos + length]:
            length += 1  # may run into the bytes being produced: an overlapping copy
        if length > best_length:
            best_offset, best_length = pos - candidate, length
            if length == max_length:
                break
    return best_offset, best_length


# --- Records of the dir stream ---------------------------------------------------------------------
def _record(record_id: int, payload: bytes) -> bytes:
    return struct.pack("<HI", record_id, len(payload)) + payload


def _mbcs(text: str) -> bytes:
    return text.encode(f"cp{CODE_PAGE}")


def _utf16(text: str) -> bytes:
    return text.encode("utf-16-le")


def dir_stream(modules) -> bytes:
    d = bytearray()
    d += _record(0x0001, struct.pack("<I", 1))  # SysKind: 32-bit Windows
    d += _record(0x0002, struct.pack("<I", 0x0804))  # LCID
    d += _record(0x0014, struct.pack("<I", 0x0804))  # LCID for invoking
    d += _record(0x0003, struct.pack("<H", CODE_PAGE))
    d += _record(0x0004, _mbcs(PROJECT_NAME))
    d += _record(0x0005, b"") + _record(0x0040, b"")  # doc string, MBCS and Unicode
    d += _record(0x0006, b"") + _record(0x003D, b"")  # help file
    d += _record(0x0007, struct.pack("<I", 0))  # help context
    d += _record(0x0008, struct.pack("<I", 0))  # library flags
    d += struct.pack("<HIIH", 0x0009, 4, 1, 0)  # version 1.0 (its size field is fixed at 4)
    d += _record(0x000C, b"") + _record(0x003C, b"")  # constants
    # One reference: OLE Automation.
    d += _record(0x0016, _mbcs("stdole")) + _record(0x003E, _utf16("stdole"))
    libid = _mbcs(STDOLE_LIBID)
    d += _record(0x000D, struct.pack("<I", len(libid)) + libid + struct.pack("<IH", 0, 0))
    d += _record(0x000F, struct.pack("<H", len(modules)))
    d += _record(0x0013, struct.pack("<H", 0xFFFF))  # project cookie
    for name in modules:
        d += _record(0x0019, _mbcs(name)) + _record(0x0047, _utf16(name))
        d += _record(0x001A, _mbcs(name)) + _record(0x0032, _utf16(name))
        d += _record(0x001C, b"") + _record(0x0048, b"")
        d += _record(0x0031, struct.pack("<I", 0))  # text offset: the stream is the compressed source
        d += _record(0x001E, struct.pack("<I", 0))
        d += _record(0x002C, struct.pack("<H", 0xFFFF))
        d += struct.pack("<HI", 0x0021, 0)  # procedural module
        d += struct.pack("<HI", 0x002B, 0)  # module terminator
    d += struct.pack("<HI", 0x0010, 0)  # dir terminator
    return bytes(d)


# --- The PROJECT stream and its obfuscated protection values ------------------------------------
def _encrypt(data: bytes, seed: int) -> str:
    version = 2
    project_key = sum(PROJECT_ID.encode("ascii")) & 0xFF
    version_enc, project_key_enc = seed ^ version, seed ^ project_key
    out = bytearray([seed, version_enc, project_key_enc])
    unencrypted1, encrypted1, encrypted2 = project_key, project_key_enc, version_enc
    ignored_length = (seed & 6) // 2
    plain = bytes(ignored_length) + struct.pack("<I", len(data)) + data
    for byte in plain:
        encrypted = byte ^ ((encrypted2 + unencrypted1) & 0xFF)
        out.append(encrypted)
        encrypted2, encrypted1, unencrypted1 = encrypted1, encrypted, byte
    return out.hex().upper()


def project_stream(modules) -> bytes:
    lines = [f'ID="{PROJECT_ID}"']
    lines += [f"Module={name}" for name in modules]
    lines += [
        f'Name="{PROJECT_NAME}"',
        'HelpContextID="0"',
        'VersionCompatible32="393222000"',
        f'CMG="{_encrypt(struct.pack("<I", 0), 0x3D)}"',  # not protected
        f'DPB="{_encrypt(bytes([0x00]), 0x41)}"',  # no password
        f'GC="{_encrypt(bytes([0xFF]), 0x5B)}"',  # visible
        "",
        "[Host Extender Info]",
        "&H00000001={3832D640-CF90-11CF-8E43-00A0C911005A};VBE;&H00000000",
        "",
        "[Workspace]",
    ]
    lines += [f"{name}=0, 0, 0, 0, C" for name in modules]
    return _mbcs("\r\n".join(lines) + "\r\n")


def project_wm_stream(modules) -> bytes:
    return b"".join(_mbcs(name) + b"\x00" + _utf16(name) + b"\x00\x00" for name in modules) + b"\x00\x00"


# --- The compound file ------------------------------------------------------------------------------
class Entry:
    def __init__(self, name, kind, data=b"", children=()):
        self.name, self.kind, self.data, self.children = name, kind, data, list(children)
        self.index = self.left = self.right = self.child = NOSTREAM
        self.color = BLACK
        self.start, self.size = ENDOFCHAIN, 0


def _name_key(entry):
    return (len(entry.name), entry.name.upper())


def _balanced_tree(entries, depth, max_depth, perfect):
    """Binary search tree of siblings, middle first; the deepest level is red when the tree is not
    complete, so that every path holds the same number of black nodes."""
    if not entries:
        return NOSTREAM
    middle = len(entries) // 2
    node = entries[middle]
    node.color = RED if (depth == max_depth and not perfect) else BLACK
    node.left = _balanced_tree(entries[:middle], depth + 1, max_depth, perfect)
    node.right = _balanced_tree(entries[middle + 1:], depth + 1, max_depth, perfect)
    return node.index


def _tree_depth(n):
    return 0 if n == 0 else 1 + _tree_depth(n // 2)


def _flatten(root):
    order = [root]
    for entry in order:
        order.extend(entry.children)
    for index, entry in enumerate(order):
        entry.index = index
    for entry in order:
        if entry.children:
            siblings = sorted(entry.children, key=_name_key)
            depth = _tree_depth(len(siblings))
            perfect = len(siblings) == (1 << depth) - 1
            entry.child = _balanced_tree(siblings, 1, depth, perfect)
    return order


def _directory_entry(entry) -> bytes:
    name = _utf16(entry.name) + b"\x00\x00"
    assert len(name) <= 64
    return (name.ljust(64, b"\x00") + struct.pack("<HBB", len(name), entry.kind, entry.color)
            + struct.pack("<III", entry.left, entry.right, entry.child) + bytes(16) + struct.pack("<I", 0)
            + bytes(16) + struct.pack("<IQ", entry.start, entry.size))


def compound_file(root) -> bytes:
    entries = _flatten(root)
    total_sectors = (FILE_SIZE - SECTOR) // SECTOR
    fat_sectors = -(-total_sectors // (SECTOR // 4))
    fat = [FREESECT] * (fat_sectors * SECTOR // 4)
    sectors = []  # content of sectors fat_sectors, fat_sectors + 1, ...

    def allocate(data: bytes) -> int:
        count = max(1, -(-len(data) // SECTOR))
        first = fat_sectors + len(sectors)
        for i in range(count):
            sectors.append(data[i * SECTOR:(i + 1) * SECTOR].ljust(SECTOR, b"\x00"))
            fat[first + i] = first + i + 1 if i + 1 < count else ENDOFCHAIN
        return first

    # Small streams go to the mini stream, described by the mini FAT.
    mini_stream = bytearray()
    mini_fat = []
    for entry in entries:
        if entry.kind != STREAM:
            continue
        entry.size = len(entry.data)
        if entry.size == 0:
            entry.start = ENDOFCHAIN
        elif entry.size < MINI_CUTOFF:
            count = -(-entry.size // MINI_SECTOR)
            entry.start = len(mini_fat)
            mini_fat += [entry.start + i + 1 for i in range(count - 1)] + [ENDOFCHAIN]
            mini_stream += entry.data.ljust(count * MINI_SECTOR, b"\x00")
        else:
            entry.start = allocate(entry.data)
    mini_fat_bytes = struct.pack(f"<{len(mini_fat)}I", *mini_fat)
    mini_fat_bytes += struct.pack("<I", FREESECT) * ((-len(mini_fat)) % (SECTOR // 4))
    first_mini_fat = allocate(mini_fat_bytes) if mini_fat else ENDOFCHAIN
    root.start = allocate(bytes(mini_stream)) if mini_stream else ENDOFCHAIN
    root.size = len(mini_stream)

    directory = b"".join(_directory_entry(e) for e in entries)
    unused = bytes(64 + 4) + struct.pack("<III", NOSTREAM, NOSTREAM, NOSTREAM) + bytes(16 + 4 + 16 + 4 + 8)
    while len(directory) % SECTOR:
        directory += unused
    first_directory = allocate(directory)

    used = fat_sectors + len(sectors)
    if used > total_sectors:
        raise ValueError(f"the project needs {used} sectors, more than the {total_sectors} the file holds")
    for i in range(fat_sectors):
        fat[i] = FATSECT
    difat = list(range(fat_sectors)) + [FREESECT] * (109 - fat_sectors)
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16) + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + bytes(6)
              + struct.pack("<IIIIIIIII", 0, fat_sectors, first_directory, 0, MINI_CUTOFF, first_mini_fat,
                            -(-len(mini_fat_bytes) // SECTOR) if mini_fat else 0, ENDOFCHAIN, 0)
              + struct.pack("<109I", *difat))
    assert len(header) == SECTOR
    fat_bytes = struct.pack(f"<{len(fat)}I", *fat)
    body = fat_bytes + b"".join(sectors)
    body += bytes(total_sectors * SECTOR - len(body))  # free sectors
    return header + body


def build(module_files) -> bytes:
    sources = {}
    for path in module_files:
        text = Path(path).read_text(encoding="utf-8")
        name = Path(path).stem
        if not text.startswith(f'Attribute VB_Name = "{name}"'):
            raise ValueError(f"{path}: the module must begin with its Attribute VB_Name line for {name}")
        sources[name] = _mbcs(text.replace("\r\n", "\n").replace("\n", "\r\n"))
    modules = list(sources)
    vba = Entry("VBA", STORAGE, children=[
        Entry("_VBA_PROJECT", STREAM, struct.pack("<HHBH", 0x61CC, 0xFFFF, 0, 0)),
        Entry("dir", STREAM, compress(dir_stream(modules))),
        *[Entry(name, STREAM, compress(source)) for name, source in sources.items()],
    ])
    root = Entry("Root Entry", ROOT, children=[
        vba,
        Entry("PROJECT", STREAM, project_stream(modules)),
        Entry("PROJECTwm", STREAM, project_wm_stream(modules)),
    ])
    data = compound_file(root)
    assert len(data) == FILE_SIZE
    return data


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    data = build(argv[2:])
    out = Path(argv[1])
    tmp = out.with_name(out.name + ".tmp")
    tmp.write_bytes(data)
    tmp.replace(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
