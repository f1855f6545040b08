"""The CAD plug-in's VBA project (Project.dll) read by an independent reader (olefile), its modules
decompressed by this test's own implementation of the VBA project compression.

Environment: PROJECT_DLL, the built file; KESTREL_SOURCE, the source tree (the loader template names
the macros the project must define; the module sources are what the streams must hold).
"""
import os
import re
import struct
import unittest
from pathlib import Path

import olefile

SOURCE = Path(os.environ["KESTREL_SOURCE"])
PROJECT_DLL = Path(os.environ["PROJECT_DLL"])


def decompress(data: bytes) -> bytes:
    """Decompresses a compressed container: signature 1, then chunks of at most 4096 bytes."""
    if not data or data[0] != 1:
        raise ValueError("no compressed container signature")
    out = bytearray()
    pos = 1
    while pos < len(data):
        header = struct.unpack_from("<H", data, pos)[0]
        size = (header & 0x0FFF) + 3
        if (header >> 12) & 0b111 != 0b011:
            raise ValueError(f"bad chunk signature at {pos}")
        chunk_end = min(pos + size, len(data))
        pos += 2
        chunk_start = len(out)
        if not header & 0x8000:  # raw chunk
            out += data[pos:pos + 4096]
            pos += 4096
            continue
        while pos < chunk_end:
            flags = data[pos]
            pos += 1
            for bit in range(8):
                if pos >= chunk_end:
                    break
                if not flags >> bit & 1:
                    out.append(data[pos])
                    pos += 1
                    continue
                token = struct.unpack_from("<H", data, pos)[0]
                pos += 2
                difference = len(out) - chunk_start
                bits = 4
                while (1 << bits) < difference:
                    bits += 1
                length = (token & (0xFFFF >> bits)) + 3
                offset = (token >> (16 - bits)) + 1
                if offset > difference:
                    raise ValueError("copy token reaches before the chunk")
                for _ in range(length):
                    out.append(out[-offset])
    return bytes(out)


def dir_modules(dir_data: bytes):
    """(module name, stream name, text offset) of each module record in the decompressed dir stream."""
    modules, pos, current = [], 0, {}
    while pos < len(dir_data):
        record_id, size = struct.unpack_from("<HI", dir_data, pos)
        pos += 6
        if record_id == 0x0009:  # PROJECTVERSION: its size field is fixed, the payload is 6 bytes
            size = 6
        payload = dir_data[pos:pos + size]
        pos += size
        if record_id == 0x0019:
            current = {"name": payload.decode("cp936")}
        elif record_id == 0x001A:
            current["stream"] = payload.decode("cp936")
        elif record_id == 0x0031:
            current["offset"] = struct.unpack("<I", payload)[0]
        elif record_id == 0x002B:
            modules.append(current)
        elif record_id == 0x0010:
            return modules, True
    return modules, False


class ProjectPayload(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = PROJECT_DLL.read_bytes()
        cls.ole = olefile.OleFileIO(str(PROJECT_DLL), raise_defects=olefile.DEFECT_INCORRECT)

    def test_compound_file_of_the_fixed_size_padded_with_free_sectors(self):
        self.assertEqual(len(self.data), 326_656)
        self.assertEqual(self.data[:8], bytes.fromhex("D0CF11E0A1B11AE1"))
        self.assertEqual(self.ole.dll_version, 3)
        self.assertEqual(self.ole.sector_size, 512)
        # Every sector past the ones in use is free (the padding), and there are many of them.
        sectors = (len(self.data) - 512) // 512
        fat = list(self.ole.fat[:sectors])
        free = [i for i, next_sector in enumerate(fat) if next_sector == olefile.FREESECT]
        self.assertGreater(len(free), 500)
        self.assertEqual(free, list(range(free[0], sectors)), "free sectors form the tail of the file")

    def test_storages_streams_and_project_properties(self):
        streams = {"/".join(path) for path in self.ole.listdir(streams=True, storages=False)}
        for name in ["PROJECT", "PROJECTwm", "VBA/dir", "VBA/_VBA_PROJECT", "VBA/inuse", "VBA/noone", "VBA/mod1",
                     "VBA/Nood"]:
            self.assertIn(name, streams)
        self.assertEqual(self.ole.get_type("VBA"), olefile.STGTY_STORAGE)
        vba_project = self.ole.openstream("VBA/_VBA_PROJECT").read()
        self.assertEqual(vba_project[:4], bytes.fromhex("CC61FFFF"), "source only: version 0xFFFF")
        project = self.ole.openstream("PROJECT").read().decode("cp936").split("\r\n")
        self.assertRegex(project[0], r'^ID="\{[0-9A-F-]{36}\}"$')
        self.assertEqual([line for line in project if line.startswith("Module=")],
                         ["Module=inuse", "Module=noone", "Module=mod1", "Module=Nood"])
        for key in ("Name=", "CMG=", "DPB=", "GC="):
            self.assertTrue(any(line.startswith(key) for line in project), key)

    def test_modules_hold_their_sources_with_every_macro_the_loader_runs(self):
        modules, terminated = dir_modules(decompress(self.ole.openstream("VBA/dir").read()))
        self.assertTrue(terminated, "the dir stream ends with its terminator")
        self.assertEqual([m["name"] for m in modules], ["inuse", "noone", "mod1", "Nood"])
        sources = {}
        for module in modules:
            stream = self.ole.openstream("VBA/" + module["stream"]).read()
            sources[module["name"]] = decompress(stream[module["offset"]:]).decode("cp936")
            original = (SOURCE / "wendlekit" / "vba" / f"{module['name']}.bas").read_text(encoding="utf-8")
            self.assertEqual(sources[module["name"]], original.replace("\r\n", "\n").replace("\n", "\r\n"))
            self.assertTrue(sources[module["name"]].startswith(f'Attribute VB_Name = "{module["name"]}"'))

        loader = (SOURCE / "wendlekit" / "loader_template.lsp").read_text(encoding="utf-8")
        macros = re.findall(r"Project\.dll!(\w+)\.(\w+)", loader)
        self.assertEqual(len(macros), 15)
        for module, macro in macros:
            self.assertRegex(sources[module], rf"(?m)^Public Sub {macro}\(\)\r$", f"{module}.{macro}")

        # The section macros order the polylines with FunCad and copy the values to the clipboard;
        # FunCad comes directly in a 32-bit host and through the loader server in a 64-bit one.
        inuse = sources["inuse"]
        self.assertRegex(inuse, r"\.StorArr\(")
        self.assertRegex(inuse, r"\.ClipboardSetText ")
        self.assertRegex(inuse, r'CreateObject\("Kestrel\.FunCad"\)')
        self.assertRegex(inuse, r'CreateObject\("Hollin\.Cls64"\)')
        self.assertRegex(inuse, r"\.LoadFcad\(\)")
        self.assertRegex(inuse, r"\.LoadIni\(\)")


if __name__ == "__main__":
    unittest.main()
