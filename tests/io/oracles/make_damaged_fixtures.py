"""Writes damaged and hostile .xlsx files: each must be refused with a clear message, or read,
but never crash or hang the reader. Usage: make_damaged_fixtures.py OUTDIR GROUP...
Groups: files (OUTDIR/NAME.xlsx for each small case below), mutants (OUTDIR/mutants/*.xlsx: cut
and bit-flipped variants of a small sound workbook), deep (deep.xlsx), bomb (bomb.xlsx)."""
import os
import random
import sys
import zipfile
import zlib

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def rels(items):
    body = "".join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % (i, REL, t, target)
                   for i, t, target in items)
    return '<Relationships xmlns="%s">%s</Relationships>' % (PKG, body)


def book(sheet_xml, strings=None, sheets=(("Sheet1", "rId1"),), extra_rels=(), drop=()):
    names = "".join('<sheet name="%s" sheetId="%d" r:id="%s"/>' % (name, i + 1, rid)
                    for i, (name, rid) in enumerate(sheets))
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
        "_rels/.rels": rels([("rId1", "officeDocument", "xl/workbook.xml")]),
        "xl/workbook.xml": '<workbook xmlns="%s" xmlns:r="%s"><sheets>%s</sheets></workbook>' % (MAIN, REL, names),
        "xl/_rels/workbook.xml.rels": rels(
            [(rid, "worksheet", "worksheets/sheet%d.xml" % (i + 1)) for i, (_, rid) in enumerate(sheets)]
            + ([("rIdS", "sharedStrings", "sharedStrings.xml")] if strings is not None else [])
            + list(extra_rels)),
        "xl/worksheets/sheet1.xml": sheet_xml,
    }
    if strings is not None:
        parts["xl/sharedStrings.xml"] = '<sst xmlns="%s">%s</sst>' % (
            MAIN, "".join("<si><t>%s</t></si>" % s for s in strings))
    for name in drop:
        parts.pop(name, None)
    return parts


def with_raw_member(path, parts, name, raw, crc, size):
    """The package with `name` holding the raw deflate bytes `raw`, stated as deflated, with the CRC
    and uncompressed size given: written stored, then its method, CRC and size are set in both the
    local and the central header."""
    write(path, {k: v for k, v in parts.items() if k != name}, zipfile.ZIP_DEFLATED)
    with zipfile.ZipFile(path, "a", zipfile.ZIP_STORED) as z:
        z.writestr(name, raw)
    with zipfile.ZipFile(path) as z:
        local = z.getinfo(name).header_offset
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        central = data.rfind(b"PK\x01\x02" + data[local + 4:local + 6])
        while data[central + 46:central + 46 + len(name)] != name.encode():
            central = data.rfind(b"PK\x01\x02", 0, central)
        for at, fields in ((local, (8, 14, 22)), (central, (10, 16, 24))):
            method, crc_at, size_at = fields
            data[at + method:at + method + 2] = (8).to_bytes(2, "little")
            data[at + crc_at:at + crc_at + 4] = crc.to_bytes(4, "little")
            data[at + size_at:at + size_at + 4] = size.to_bytes(4, "little")
        f.seek(0)
        f.write(data)


def raw_deflate(data, flush=zlib.Z_FINISH):
    packer = zlib.compressobj(6, zlib.DEFLATED, -15)
    return packer.compress(data) + packer.flush(flush)


def sheet(rows):
    return '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>' % (MAIN, rows)


def write(path, parts, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", compression) as z:
        for name, text in parts.items():
            z.writestr(name, text.encode("utf-8") if isinstance(text, str) else text)


SOUND = sheet('<row r="1"><c r="A1"><v>1.5</v></c><c r="B1" t="s"><v>0</v></c>'
              '<c r="C1"><f>A1*2</f><v>3</v></c></row>'
              '<row r="2"><c r="A2" t="inlineStr"><is><t>路基</t></is></c><c r="B2" t="b"><v>1</v></c></row>')


def main():
    out, groups = sys.argv[1], set(sys.argv[2:])
    os.makedirs(out, exist_ok=True)
    sound = book(SOUND, strings=["K12+300"])
    write(os.path.join(out, "sound.xlsx"), sound)
    if "files" in groups:
        small_files(out)
    if "deep" in groups:
        deep_file(out)
    if "bomb" in groups:
        bomb_file(out)
    if "mutants" in groups:
        mutants(out, sound)


def small_files(out):
    with open(os.path.join(out, "not_zip.xlsx"), "w") as f:
        f.write("station,offset\n12235.689,-3.5\n")
    open(os.path.join(out, "empty.xlsx"), "wb").close()
    with open(os.path.join(out, "sound.xlsx"), "rb") as f:
        data = f.read()
    with open(os.path.join(out, "truncated.xlsx"), "wb") as f:
        f.write(data[: len(data) // 2])

    # A sheet part whose deflated bytes do not hold what the archive states.
    sound = book(SOUND, strings=["K12+300"])
    text = SOUND.encode()
    crc = zlib.crc32(text)
    name = "xl/worksheets/sheet1.xml"
    with_raw_member(os.path.join(out, "bad_crc.xlsx"), sound, name, raw_deflate(text), crc ^ 1, len(text))
    with_raw_member(os.path.join(out, "bad_deflate.xlsx"), sound, name, b"\xff" * 64, crc, len(text))
    with_raw_member(os.path.join(out, "short_deflate.xlsx"), sound, name, raw_deflate(text, zlib.Z_SYNC_FLUSH),
                    crc, len(text))
    with_raw_member(os.path.join(out, "wrong_size.xlsx"), sound, name, raw_deflate(text), crc, len(text) + 1)
    with_raw_member(os.path.join(out, "sound_raw.xlsx"), sound, name, raw_deflate(text), crc, len(text))

    write(os.path.join(out, "garbage_sheet.xlsx"),
          book('<worksheet xmlns="%s"><sheetData><row r="1"><c r="A1"><v>1</v></c>\x01\x02<<>>&&' % MAIN))
    write(os.path.join(out, "missing_sheet.xlsx"),
          book(SOUND, sheets=(("Sheet1", "rId1"), ("Data", "rId2"))))
    write(os.path.join(out, "missing_workbook.xlsx"), book(SOUND, drop=("xl/workbook.xml",)))
    unlinked = book(SOUND, sheets=(("Sheet1", "rId1"), ("Lost", "rId9")))
    unlinked["xl/_rels/workbook.xml.rels"] = rels([("rId1", "worksheet", "worksheets/sheet1.xml")])
    write(os.path.join(out, "unlinked_sheet.xlsx"), unlinked)
    write(os.path.join(out, "column_out_of_range.xlsx"), book(sheet('<row r="1"><c r="XFE1"><v>1</v></c></row>')))
    write(os.path.join(out, "row_out_of_range.xlsx"), book(sheet('<row r="1048577"><c><v>1</v></c></row>')))
    write(os.path.join(out, "bad_reference.xlsx"), book(sheet('<row r="1"><c r="1A"><v>1</v></c></row>')))
    write(os.path.join(out, "bad_shared_string.xlsx"),
          book(sheet('<row r="1"><c r="A1" t="s"><v>7</v></c></row>'), strings=["only one"]))
    write(os.path.join(out, "bad_number.xlsx"), book(sheet('<row r="1"><c r="A1"><v>12,5</v></c></row>')))
    write(os.path.join(out, "orphan_shared_formula.xlsx"),
          book(sheet('<row r="2"><c r="B2"><f t="shared" si="4"/><v>1</v></c></row>')))
    write(os.path.join(out, "huge_merge.xlsx"),
          book('<worksheet xmlns="%s"><dimension ref="A1:XFD1048576"/><sheetData>'
               '<row r="1"><c r="A1"><v>1</v></c></row></sheetData>'
               '<mergeCells><mergeCell ref="A1:XFD1048576"/></mergeCells></worksheet>' % MAIN))
    write(os.path.join(out, "merge_out_of_range.xlsx"),
          book('<worksheet xmlns="%s"><sheetData/><mergeCells><mergeCell ref="A1:XFE2"/></mergeCells>'
               '</worksheet>' % MAIN))
    # Whole-sheet column entries repeated: sound files never overlap them.
    write(os.path.join(out, "overlapping_columns.xlsx"),
          book('<worksheet xmlns="%s"><cols>%s</cols><sheetData/></worksheet>'
               % (MAIN, '<col min="1" max="16384" width="5" customWidth="1"/>' * 5000)))
    # A billion laughs: pugixml expands no entities of its own, so this stays small text.
    write(os.path.join(out, "entities.xlsx"),
          book('<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;">]>'
               '<worksheet xmlns="%s"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&lol2;</t></is>'
               '</c></row></sheetData></worksheet>' % MAIN))


def deep_file(out):
    # A million nested elements: nothing in the reader may recurse on the depth of the XML.
    deep = book(sheet('<row r="1"><c r="A1" t="s"><v>0</v></c></row>'), strings=["x"])
    deep["xl/sharedStrings.xml"] = '<sst xmlns="%s"><si><t>deep</t>%s%s</si></sst>' % (
        MAIN, "<r>" * 1000000, "</r>" * 1000000)
    deep["xl/worksheets/sheet1.xml"] = deep["xl/worksheets/sheet1.xml"].replace(
        "</worksheet>", "<x>" * 1000000 + "</x>" * 1000000 + "</worksheet>")
    write(os.path.join(out, "deep.xlsx"), deep)


def bomb_file(out):
    # 600 MB of blanks inside the sheet part, deflated to well under a megabyte.
    parts = book(SOUND)
    del parts["xl/worksheets/sheet1.xml"]
    with zipfile.ZipFile(os.path.join(out, "bomb.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            f.write(('<worksheet xmlns="%s">' % MAIN).encode())
            block = b" " * (1 << 24)
            for _ in range(600 // 16):
                f.write(block)
            f.write(b"<sheetData/></worksheet>")


def mutants(out, sound):
    # Mutants: the sheet part cut short at many places (the reader sees broken XML), and the
    # archive with bytes flipped (the zip layer sees damage). Stored, not deflated, so that the
    # flips land in the XML text as often as in the zip structures.
    mutants = os.path.join(out, "mutants")
    os.makedirs(mutants, exist_ok=True)
    text = SOUND
    for n, cut in enumerate(range(0, len(text), 9)):
        write(os.path.join(mutants, "cut%03d.xlsx" % n), book(text[:cut], strings=["K12+300"]))
    stored = os.path.join(mutants, "stored.xlsx")
    write(stored, sound, zipfile.ZIP_STORED)
    with open(stored, "rb") as f:
        base = bytearray(f.read())
    rng = random.Random(20240301)
    for n in range(300):
        data = bytearray(base)
        for _ in range(rng.randint(1, 4)):
            data[rng.randrange(len(data))] = rng.randrange(256)
        with open(os.path.join(mutants, "flip%03d.xlsx" % n), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
