"""The parts around a hand-written sheet part: a workbook of one sheet, its styles and, when given,
its shared strings, as the fixture scripts that write a sheet's XML themselves need them."""

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def write_package(z, sheet, styles, shared_strings=None):
    """Writes into the open zip z every part but xl/worksheets/sheet1.xml, which the caller writes."""
    z.writestr("[Content_Types].xml", '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr("_rels/.rels", '<Relationships xmlns="%s"><Relationship Id="rId1" Type="%s/officeDocument" '
               'Target="xl/workbook.xml"/></Relationships>' % (PKG, REL))
    z.writestr("xl/workbook.xml", '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="%s" sheetId="1" '
               'r:id="rId1"/></sheets></workbook>' % (MAIN, REL, sheet))
    strings_rel = ('<Relationship Id="rId3" Type="%s/sharedStrings" Target="sharedStrings.xml"/>' % REL
                   if shared_strings is not None else "")
    z.writestr("xl/_rels/workbook.xml.rels", (
        '<Relationships xmlns="%s"><Relationship Id="rId1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" Type="%s/styles" Target="styles.xml"/>%s</Relationships>') % (PKG, REL, REL, strings_rel))
    z.writestr("xl/styles.xml", styles)
    if shared_strings is not None:
        z.writestr("xl/sharedStrings.xml", shared_strings)
