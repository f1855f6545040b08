' Late-bound client of Kestrel.Connect, reaching it the way a macro or the host's ribbon does.
' Prints "FAIL: ..." for each failed check and "ALL-OK" as its last line when all passed: Wine's
' cscript prints nothing and exits 0 on a script error, so the harness trusts only the marker.
' The script is ASCII: expected Chinese texts are written as \uXXXX and compared through RegExp
' (this Wine's VBScript has neither ChrW nor AscW, and cannot create MSXML), so no file encoding can
' hide a mismatch.
Option Explicit

Const CustomUiNamespace = "http://schemas.microsoft.com/office/2006/01/customui"
Const PicTypeBitmap = 1

Dim failures
failures = 0

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & what
  End If
End Sub

' True when text is exactly the expected text, written with \uXXXX for each non-ASCII character
' (and no other regular-expression syntax): SameText(label, "\u521D\u6B21").
Function SameText(text, expected)
  Dim pattern
  Set pattern = New RegExp
  pattern.Pattern = "^" & expected & "$"
  SameText = pattern.Test(text)
End Function

' The value of an attribute in the attribute text of a start tag; "" when there is none.
Function AttributeOf(attributes, name)
  Dim pattern, found
  Set pattern = New RegExp
  pattern.Pattern = "(?:^|\s)" & name & "=""([^""]*)"""
  Set found = pattern.Execute(attributes)
  If found.Count = 0 Then AttributeOf = "" Else AttributeOf = found(0).SubMatches(0)
End Function

' The elements of an XML text in document order, each Array(name, attribute text, id of the
' parent element); reports end tags that do not close the open element. The ribbon description
' needs no more of XML than start, end and empty-element tags with double-quoted attributes.
' (Collections are dictionaries: this Wine's VBScript crashes on ReDim inside a function.)
Const MaxDepth = 64
Function ParseElements(xmlText)
  Dim tagPattern, tags, tag, names(64), ids(64), depth, elements, i, attributes, parentId
  Set tagPattern = New RegExp
  tagPattern.Global = True
  tagPattern.Pattern = "<(/?)([A-Za-z][\w:.-]*)((?:\s+[\w:.-]+=""[^""]*"")*)\s*(/?)>"
  Set tags = tagPattern.Execute(xmlText)
  Set elements = CreateObject("Scripting.Dictionary")
  depth = 0
  For i = 0 To tags.Count - 1
    Set tag = tags(i)
    If tag.SubMatches(0) = "/" Then
      Check depth > 0, "end tag " & tag.SubMatches(1) & " without a start tag"
      If depth > 0 Then
        Check names(depth - 1) = tag.SubMatches(1), "end tag " & tag.SubMatches(1) & " closes " & names(depth - 1)
        depth = depth - 1
      End If
    Else
      attributes = tag.SubMatches(2)
      parentId = ""
      If depth > 0 Then parentId = ids(depth - 1)
      elements.Add elements.Count, Array(tag.SubMatches(1), attributes, parentId)
      If tag.SubMatches(3) <> "/" And depth < MaxDepth Then
        names(depth) = tag.SubMatches(1)
        ids(depth) = AttributeOf(attributes, "id")
        depth = depth + 1
      End If
    End If
  Next
  Check depth = 0, depth & " element(s) left open"
  ParseElements = elements.Items()
End Function

' What the host passes to getImage: Kestrel reads only its Id.
Class RibbonControl
  Public Id
End Class

Class ControlWithoutId
End Class

Function ControlWithId(id)
  Dim control
  Set control = New RibbonControl
  control.Id = id
  Set ControlWithId = control
End Function

' Picture size in HIMETRIC for a width in pixels on the 96 dpi screen of a Wine prefix.
Function HiMetric(pixels)
  HiMetric = Round(pixels * 2540 / 96)
End Function

Dim connect, xml
Set connect = CreateObject("Kestrel.Connect")
xml = connect.GetRibbonXML()
Check Len(xml) > 0, "GetRibbonXML returns text"

' --- The ribbon description ---------------------------------------------------------------------
Dim elements, root
elements = ParseElements(xml)
Check UBound(elements) >= 0, "GetRibbonXML has elements"
root = elements(0)
Check root(0) = "customUI", "the root element is customUI"
Check AttributeOf(root(1), "xmlns") = CustomUiNamespace, "customUI is in the 2006/01 customUI namespace"
Check elements(1)(0) = "ribbon" And AttributeOf(elements(1)(1), "startFromScratch") = "false", _
      "customUI holds a ribbon with startFromScratch=""false"""
Check elements(2)(0) = "tabs", "the ribbon holds tabs"

' Every element with an id, in document order:
' element, id, label, size, getImage, onAction, imageMso, id of the parent element.
Dim expected
expected = Array( _
  Array("tab", "Kestrel", "Kestrel", "", "", "", "", ""), _
  Array("group", "CalcHdm", "\u5B9E\u6D4B\u6A2A\u65AD\u9762", "", "", "", "", "Kestrel"), _
  Array("button", "hdmStor", "\u521D\u6B21\u6392\u5E8F", "large", "GetImage", "FunHdmOrder", "", "CalcHdm"), _
  Array("button", "hdmDraw", "\u7ED8\u5236\u6570\u636E", "large", "GetImage", "FunHdmDrawData", "", "CalcHdm"), _
  Array("group", "DataSheet", "\u6570\u636E\u548C\u65B9\u91CF\u8868", "", "", "", "", "Kestrel"), _
  Array("button", "hdmDrawSheet", "\u7ED8\u65B9\u91CF\u8868", "large", "GetImage", "FunhdmDrawSheet", "", "DataSheet"), _
  Array("splitButton", "SaveAnything", "", "large", "", "", "", "DataSheet"), _
  Array("button", "SaveDicFile1", "\u4FDD\u5B58 ", "", "GetImage", "", "", "SaveAnything"), _
  Array("menu", "menuSave", "", "", "", "", "", "SaveAnything"), _
  Array("button", "SaveDicFile", "\u4FDD\u5B58\u5B57\u5178\u6587\u4EF6", "", "", "FunSaveDicFile", "", "menuSave"), _
  Array("button", "SaveSQXFile", "\u4FDD\u5B58\u7AD6\u66F2\u7EBF\u6587\u4EF6", "", "", "FunSaveSQXFile", "", "menuSave"), _
  Array("button", "SaveHPJKFile", "\u4FDD\u5B58\u6A2A\u5761\u6216\u52A0\u5BBD\u6587\u4EF6", "", "", "FunSaveHPJKFile", "", "menuSave"), _
  Array("group", "CalcCad", "CAD", "", "", "", "", "Kestrel"), _
  Array("splitButton", "CADtoolthing", "", "large", "", "", "", "CalcCad"), _
  Array("button", "CADtool", "CAD \u63D2\u4EF6", "", "GetImage", "", "", "CADtoolthing"), _
  Array("menu", "menuCAD", "", "", "", "", "", "CADtoolthing"), _
  Array("button", "CADToolsUpdata", "CAD \u63D2\u4EF6\u5B89\u88C5", "", "", "FunHdmCadTool", "", "menuCAD"), _
  Array("button", "CADToolsHelp", "CAD \u63D2\u4EF6\u89C6\u9891\u6559\u7A0B", "", "", "FunGoCadWeb", "", "menuCAD"), _
  Array("group", "Corvane", "Corvane", "", "", "", "", "Kestrel"), _
  Array("splitButton", "help", "", "large", "", "", "", "Corvane"), _
  Array("button", "AboatHelp", "\u5E2E\u52A9 ", "", "GetImage", "", "", "help"), _
  Array("menu", "menuhelp", "", "", "", "", "", "help"), _
  Array("button", "viewHelpFile", "\u67E5\u770B\u4F7F\u7528\u8BF4\u660E\u4E66", "", "", "FunGoHelp", "FileProperties", "menuhelp"), _
  Array("button", "viewHelpVidio", "\u67E5\u770B\u89C6\u9891\u6559\u7A0B", "", "", "FunGoWeb", "ViewWebLayoutView", "menuhelp"), _
  Array("button", "viewHelpQQgroup", "\u8BBF\u95EEQQ\u7FA4", "", "", "FunGoQQGroup", "ViewWebLayoutView", "menuhelp"), _
  Array("button", "viewHelpWeb", "\u8BBF\u95EE\u5B98\u7F51", "", "", "FunGoCorvane", "ViewWebLayoutView", "menuhelp"), _
  Array("button", "viewHelpUpdata", "\u68C0\u67E5\u66F4\u65B0", "", "", "FunGoWeb", "ViewWebLayoutView", "menuhelp"), _
  Array("group", "DesignHdm", "\u8BBE\u8BA1\u6A2A\u65AD\u9762", "", "", "", "", "Kestrel"), _
  Array("button", "hdmDesign", "\u8BBE\u8BA1\u65AD\u9762", "large", "", "FunHdmDesign", "TableInsert", "DesignHdm"), _
  Array("button", "hdmExport", "\u5BFC\u51FA LandXML/IFC", "large", "", "FunHdmExport", "XmlExport", "DesignHdm"), _
  Array("button", "hdmHaul", "\u571F\u77F3\u65B9\u8C03\u914D", "large", "", "FunHdmHaul", "ChartTypeLineInsertGallery", "DesignHdm"))

Dim withId, found, i, row, element, buttons
Set withId = CreateObject("Scripting.Dictionary")
For i = 0 To UBound(elements)
  If AttributeOf(elements(i)(1), "id") <> "" Then withId.Add withId.Count, elements(i)
Next
found = withId.Count
Check found = UBound(expected) + 1, found & " elements with an id, expected " & (UBound(expected) + 1)
Check UBound(elements) + 1 = found + 3, "no element without an id besides customUI, ribbon and tabs"
buttons = 0
For i = 0 To UBound(expected)
  row = expected(i)
  If row(0) = "button" Then buttons = buttons + 1
  If i < found Then
    element = withId.Item(i)
    Check element(0) = row(0) And AttributeOf(element(1), "id") = row(1), _
          "element " & (i + 1) & " is " & element(0) & " " & AttributeOf(element(1), "id") & ", expected " & row(0) & " " & row(1)
    Check SameText(AttributeOf(element(1), "label"), row(2)), "label of " & row(1)
    Check AttributeOf(element(1), "size") = row(3), "size of " & row(1)
    Check AttributeOf(element(1), "getImage") = row(4), "getImage of " & row(1)
    Check AttributeOf(element(1), "onAction") = row(5), "onAction of " & row(1)
    Check AttributeOf(element(1), "imageMso") = row(6), "imageMso of " & row(1)
    Check element(2) = row(7), "parent of " & row(1) & " is " & element(2) & ", expected " & row(7)
  End If
Next
Check buttons = 19, "the table lists 19 buttons"

' --- GetCustomUI returns the same document whatever the ribbon id ---------------------------
Check connect.GetCustomUI("Microsoft.Excel.Workbook") = xml, "GetCustomUI(Microsoft.Excel.Workbook) = GetRibbonXML"
Check connect.GetCustomUI("") = xml, "GetCustomUI("""") = GetRibbonXML"
Check connect.GetCustomUI("Microsoft.Outlook.Mail.Read") = xml, "GetCustomUI(another ribbon id) = GetRibbonXML"

' --- Pictures ----------------------------------------------------------------------------------
Dim pictures, picture, again
pictures = Array(Array("hdmStor", 64), Array("hdmDraw", 64), Array("SaveDicFile1", 64), _
                 Array("CADtool", 64), Array("hdmDrawSheet", 32), Array("AboatHelp", 64))
For i = 0 To UBound(pictures)
  Set picture = connect.GetImage(ControlWithId(pictures(i)(0)))
  Check Not picture Is Nothing, "GetImage(" & pictures(i)(0) & ") returns a picture"
  If Not picture Is Nothing Then
    Check picture.Type = PicTypeBitmap, "picture of " & pictures(i)(0) & " is a bitmap"
    Check picture.Width = HiMetric(pictures(i)(1)) And picture.Height = HiMetric(pictures(i)(1)), _
          "picture of " & pictures(i)(0) & " is " & pictures(i)(1) & " pixels square (" & picture.Width & " x " & picture.Height & " HIMETRIC)"
  End If
Next
Set picture = connect.GetImage(ControlWithId("hdmStor"))
Set again = connect.GetImage(ControlWithId("hdmStor"))
Check picture.Handle <> again.Handle, "each GetImage call loads the picture afresh"
Check connect.GetImage(ControlWithId("viewHelpFile")) Is Nothing, "no picture for viewHelpFile (a built-in image)"
Check connect.GetImage(ControlWithId("")) Is Nothing, "no picture for an empty id"
Check connect.GetImage(ControlWithId("HDMSTOR")) Is Nothing, "ids are compared exactly"
Check connect.GetImage(ControlWithId("STOR")) Is Nothing, "a picture name is not a control id"

' --- Failures reach the caller as errors with a description ------------------------------------
On Error Resume Next
connect.FunNoSuchCallback Nothing
Check Err.Number = 438, "an unknown member fails with error 438, got " & Err.Number
Err.Clear
Set picture = connect.GetImage(New ControlWithoutId)
Check Err.Number <> 0 And InStr(Err.Description, "Id") > 0, _
      "a control without Id fails with a description naming Id, got " & Err.Number & " " & Err.Description
Err.Clear
On Error GoTo 0

' --- Callbacks that open web pages (the harness records what the shell was asked to open) -----
connect.fungocadweb Nothing  ' the ribbon's name for FunGoCADWeb: names resolve without regard to case
connect.FunGoWeb Nothing
connect.FunGoQQGroup Nothing
connect.FunGoCorvane Nothing

If failures = 0 Then
  WScript.Echo "ALL-OK"
Else
  WScript.Echo failures & " check(s) failed"
  WScript.Quit 1
End If
