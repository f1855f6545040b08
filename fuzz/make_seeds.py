"""Makes the fuzz targets' seed corpus (fuzz/corpus/<target>/) from the bundled sample survey,
with the kestrel tool writing the data files and workbooks. Run again when a format changes:
  python3 fuzz/make_seeds.py build/linux/cli/kestrel
Seeds stay small (a few KB): libFuzzer mutates them, it does not need them large."""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "samples")


def head(path, lines):
    with open(path, encoding="utf-8") as f:
        return "".join(f.readlines()[:lines])


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def main():
    kestrel = sys.argv[1]
    corpus = os.path.join(HERE, "corpus")
    # Every target's seeds are made anew.
    for target in os.listdir(corpus) if os.path.isdir(corpus) else []:
        shutil.rmtree(os.path.join(corpus, target))
    work = tempfile.mkdtemp(prefix="kestrel-seeds-")
    seeds = {}

    def seed(target, name, data):
        os.makedirs(os.path.join(corpus, target), exist_ok=True)
        with open(os.path.join(corpus, target, name), "wb") as f:
            f.write(data.encode("utf-8") if isinstance(data, str) else data)

    def tool(*args):
        subprocess.run([kestrel, *args], check=True, capture_output=True)

    def sample_book(name, lines):
        path = os.path.join(work, name + ".csv")
        with open(path, "w", encoding="utf-8") as f:
            f.write(head(os.path.join(SAMPLES, name + ".csv"), lines))
        return path

    # Data files, written by the tool's own save commands.
    tool("save-dic", sample_book("stations", 6), os.path.join(work, "s.Dic"))
    tool("save-zm", sample_book("profile", 4), os.path.join(work, "p.ZM"))
    tool("save-hp", sample_book("crossfall", 5), os.path.join(work, "c.hp"))
    for target, name in (("dic_file", "s.Dic"), ("profile_file", "p.ZM"), ("slope_file", "c.hp")):
        with open(os.path.join(work, name), "rb") as f:
            data = f.read()
        seed(target, name, data)
        # A blank line between records, and a record cut short.
        text = data[2:].decode("utf-16-le")
        lines = text.split("\r\n")
        seed(target, "blank-" + name, utf16("\r\n".join(lines[:2] + [""] + lines[2:])))
        seed(target, "short-" + name, utf16("\r\n".join(lines[:2] + [lines[2].rsplit(",", 1)[0]])))

    # Templates: the tool's commented example (UTF-16), the sample's (UTF-8), one with side keys.
    tool("template", os.path.join(work, "example.tpl"))
    with open(os.path.join(work, "example.tpl"), "rb") as f:
        seed("template_file", "example.tpl", f.read())
    seed("template_file", "road.tpl", head(os.path.join(SAMPLES, "road.tpl"), 40))
    seed("template_file", "sides.tpl", "\ufeffKestrelFile2.0-TPL\r\nleft.fill_slopes = 1.5x2, 1.75\r\n"
                                       "right.ditch = 0.6, 0.6, 0, 1\r\nareas_to = subgrade\r\npavement_thickness = 0.5\r\n")

    ini = "; Kestrel\r\n[CAD]\r\nPath = \"C:\\CAD\\acad.exe\"\r\nVersion=2018\r\n\r\n[ Kestrel ]\r\nVersion=0.1\r\n"
    seed("ini_file", "settings.ini", ini)
    seed("ini_file", "settings-utf16.ini", utf16(ini))

    for name, lines in (("survey", 12), ("stations", 6), ("profile", 4)):
        seed("csv", name + ".csv", head(os.path.join(SAMPLES, name + ".csv"), lines))
    seed("csv", "quoted.csv", 'K,"a ""b"", c",\r\n1.5,-2E3,"\n"\r\n')

    # Workbooks: a converted sample, and the sorted sample with its station column and notes.
    converted = os.path.join(work, "stations.xlsx")
    tool("convert", sample_book("stations", 6), converted)
    sorted_book = os.path.join(work, "survey.xlsx")
    tool("convert", sample_book("survey", 25), sorted_book)
    tool("sort", sorted_book, "--yes")
    for path in (converted, sorted_book):
        with open(path, "rb") as f:
            seed("xlsx_file", os.path.basename(path), f.read())
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
            stem = os.path.splitext(os.path.basename(path))[0]
            for target, part in (("xlsx_sheet", "xl/worksheets/sheet1.xml"), ("xlsx_strings", "xl/sharedStrings.xml"),
                                 ("xlsx_styles", "xl/styles.xml"), ("xlsx_workbook", "xl/workbook.xml")):
                if part in names:
                    seed(target, stem + ".xml", z.read(part))
            comments = [n for n in names if n.startswith("xl/comments")]
            drawings = [n for n in names if n.startswith("xl/drawings/vmlDrawing")]
            if comments:
                seed("xlsx_notes", stem + ".xml", z.read(comments[0]))
                if drawings:
                    seed("xlsx_notes", stem + "-vml.xml", z.read(comments[0]) + b"\0" + z.read(drawings[0]))

    # What a save carries beside the model, and values beyond what a cell holds.
    main = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
    rels = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
    seed("xlsx_sheet", "kept-elements.xml",
         f'<worksheet {main} {rels}><sheetViews><sheetView workbookViewId="0"><pane ySplit="1" topLeftCell="A2" '
         'state="frozen"/></sheetView></sheetViews><sheetData><row r="1"><c r="A1"><v>1e400</v></c>'
         '<c r="B1"><v>-1.797693134862316e+308</v></c><c r="C1"><v>1e-400</v></c></row></sheetData>'
         '<sheetProtection sheet="1"/><autoFilter ref="A1:C9"/><conditionalFormatting sqref="A1:A9"><cfRule '
         'type="cellIs" dxfId="7" priority="1" operator="greaterThan"><formula>0</formula></cfRule>'
         '</conditionalFormatting><dataValidations count="1"><dataValidation type="whole" sqref="B1:B9">'
         '<formula1>0</formula1></dataValidation></dataValidations><hyperlinks><hyperlink ref="C1" r:id="rId9"/>'
         '</hyperlinks><pageSetup r:id="rId8"/><drawing r:id="rId7"/><tableParts count="1"><tablePart r:id="rId6"/>'
         '</tableParts><extLst><ext uri="{0}"/></extLst></worksheet>')
    seed("xlsx_workbook", "kept-workbook.xml",
         f'<workbook {main} {rels}><sheets><sheet name="a" sheetId="1" r:id="rId1"/><sheet name="b" sheetId="2" '
         'state="veryHidden" r:id="rId1"/></sheets><pivotCaches><pivotCache cacheId="1" r:id="rId5"/></pivotCaches>'
         '</workbook>')
    seed("number_text", "general", b"\x03" + b"12235.689")
    seed("number_text", "leading", b"\x2a" + b"  -3.5E+2abc")
    seed("number_text", "station", b"\x00" + b"12+300")
    seed("formula", "sum", b"\x00\x04\x02" + b"=(B5+B4)/2*SUM(A1:A3,D:D)-$A$1")
    seed("formula", "sheets", b"\x03\x01\x01" + b"='Data Sheet'!A2&\"K\"&Sheet1!B$2")
    seed("formula", "text", b"\x02\x07\x00" + b"=\"200,\" & 0+K1 & TRUE")
    # LandXML: every element the reader takes (lines, an arc, clothoids, a profile, sections with a
    # gap and a design), another writer's prefix and comments, and an entity bomb it refuses.
    head_xml = '<LandXML xmlns="http://www.landxml.org/schema/LandXML-1.2" date="2026-12-08" time="09:00:00" version="1.2">'
    seed("landxml", "road.xml", head_xml + """<Units><Metric areaUnit="squareMeter" linearUnit="meter"
 volumeUnit="cubicMeter" temperatureUnit="celsius" pressureUnit="HPA"/></Units><Alignments>
<Alignment name="A" length="400" staStart="1000"><CoordGeom>
<Line staStart="1000" length="100"><Start>0 0</Start><End>100 0</End></Line>
<Spiral length="60" radiusStart="INF" radiusEnd="200" rot="cw" spiType="clothoid"><Start>100 0</Start><PI>140 0</PI><End>159.7 3</End></Spiral>
<Curve rot="cw" radius="200" length="80"><Start>159.7 3</Start><Center>145 202.5</Center><End>230 21.4</End></Curve>
</CoordGeom><StaEquation staInternal="1100" staAhead="2100"/>
<Profile><ProfSurf name="g"><PntList2D>1000 50 1100 51</PntList2D></ProfSurf><ProfAlign name="d">
<PVI>1000 50</PVI><ParaCurve length="40">1100 52</ParaCurve><CircCurve length="30" radius="3000">1200 51</CircCurve><PVI>1300 53</PVI></ProfAlign></Profile>
<CrossSects calcMethod="AverageEndArea"><CrossSect sta="1010" areaCut="1" areaFill="2" volumeCut="0" volumeFill="0">
<CrossSectSurf name="g"><PntList2D>-5 50 -1 50.1</PntList2D><PntList2D>1 50 5 49</PntList2D></CrossSectSurf>
<DesignCrossSectSurf><CrossSectPnt>-4 50.5</CrossSectPnt><CrossSectPnt>4 50.5</CrossSectPnt></DesignCrossSectSurf>
</CrossSect></CrossSects></Alignment></Alignments></LandXML>""")
    seed("landxml", "prefix.xml", '<?xml version="1.0"?><!-- c --><x:LandXML xmlns:x="urn:x" version="1.2">'
         '<x:Alignments><x:Alignment name="&#x4E3B;&amp;" length="1" staStart="0"><x:CoordGeom><x:Line>'
         '<x:Start>0 0</x:Start><x:End><![CDATA[1 1]]></x:End></x:Line></x:CoordGeom></x:Alignment></x:Alignments></x:LandXML>')
    seed("landxml", "bomb.xml", '<!DOCTYPE l [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;">]><LandXML>&b;</LandXML>')
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
