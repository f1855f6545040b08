' Late-bound client of Kestrel's public automation classes, as a VBA macro or the CAD plug-in
' reaches them. run_automation_script.py appends the worksheet-function calls of
' function_cases.json (Sub FunctionCases) and compares what this script writes to the file named by
' its first argument (UTF-16) with the answers of `kestrel fn`. Prints "FAIL: ..." for each failed
' check and "ALL-OK" as its last line when all passed (Wine's cscript exits 0 on a script error).
Option Explicit

Dim failures, fso, results
failures = 0

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & what
  End If
End Sub

' A result as text for the comparison: #VALUE! for the host's error value or a failed call.
Sub Record(id, value, errorNumber)
  Dim text
  If errorNumber = 2015 Then
    text = "#VALUE!"
  ElseIf errorNumber <> 0 Then
    text = "#ERROR " & errorNumber
  ElseIf VarType(value) = 10 Then
    ' The host's error value (CVErr); this VBScript cannot read its code (the in-process tests do).
    text = "#VALUE!"
  ElseIf VarType(value) = 5 Then
    text = "N:" & CStr(value)
  Else
    text = CStr(value)
  End If
  results.WriteLine id & vbTab & text
End Sub

Set fso = CreateObject("Scripting.FileSystemObject")
Set results = fso.CreateTextFile(WScript.Arguments(0), True, True)

' Every ProgID, version-independent and versioned.
Dim progIds, progId, created
progIds = Array("Kestrel.ClsFunction", "Kestrel.FunCad", "Kestrel.Ini", "Kestrel.OpenSaveDlg", _
                "Kestrel.cSpeedString", "Kestrel.Connect", "Kestrel.FunCad.1", "Kestrel.Ini.1")
For Each progId In progIds
  Set created = Nothing
  On Error Resume Next
  Set created = CreateObject(progId)
  Check Err.Number = 0, "CreateObject(" & progId & ") raised " & Err.Number
  On Error GoTo 0
  Check IsObject(created), progId & " gives an object"
Next

Dim f, cad, ini, builder, dlg, i, lines, model, zhDig, dDig, answer
Set f = CreateObject("Kestrel.ClsFunction")
Set cad = CreateObject("Kestrel.FunCad")

' A Range as the host hands it over: its Worksheet, its Address and, through the sheet's Range,
' its Value2 as one 2-D array.
Class FakeRange
  Public Worksheet
  Public Address
  Public Value2
End Class
Class FakeSheet
  Public Block
  Public Property Get Range(a1)
    Set Range = Block
  End Property
End Class
Dim table, sheet, cells(2, 2), r, c
For r = 0 To 2
  cells(r, 0) = 100 + 20 * r
  cells(r, 1) = r + 1
  cells(r, 2) = 10 * (r + 1)
Next
Set sheet = New FakeSheet
Set table = New FakeRange
Set table.Worksheet = sheet
table.Address = "$A$1:$C$3"
table.Value2 = cells
Set sheet.Block = table

' By-reference arguments come back changed: VlookZhD rounds the tolerances to 5 decimals, positive.
zhDig = -0.1234567
dDig = 0.5
answer = f.VlookZhD(120.1, "NO", table, 3, zhDig, dDig)
Check answer = 20, "VlookZhD finds the row within the rounded tolerance, not " & answer
Check zhDig = 0.12346, "zhDig comes back as 0.12346, not " & zhDig
Check dDig = 0.5, "dDig stays 0.5"
Check f.VlookZhD(100, "no", "no table", 2) = -999999, "VlookZhD without a table gives -999999"
' Named and omitted arguments.
Check f.DMS(12.5043055556, 3) = 12.30155, "DMS packed"
Check f.FWJ(0, 0, 10, 10, 3) = 45, "FWJ model 3"
model = 3
Check f.FWJ(0, 0, 10, 10, model) = 45, "FWJ with model in a variable"

' FunCad
Check cad.FunGetNumber("K12+345.6") = 12, "FunGetNumber(K12+345.6) = 12"
Check cad.FunGetNumber("ABC-5.5m") = -5.5, "FunGetNumber(ABC-5.5m) = -5.5"
Check cad.JL(0, 0, 3, 4) = 5, "FunCad.JL"
lines = Array(Array(0, 1, 10, 1), Array(10, 3, 0, 3), Array(0, 2, 10, 2))
Check cad.StorArr(lines) = 1, "StorArr returns 1"
Check lines(0)(1) = 3 And lines(1)(1) = 2 And lines(2)(1) = 1, "StorArr orders the lines 3, 2, 1"
Check lines(0)(0) = 0 And lines(0)(2) = 10, "the line drawn from the right is reversed"
Check cad.ClipboardSetText(0, "") = 0, "ClipboardSetText of an empty text gives 0"
Check cad.ClipboardSetText(0, "K1+000") = 1, "ClipboardSetText of a text gives 1"
Check cad.FunClipboardSetText(0, "LINE") = True, "FunClipboardSetText gives True"
Set dlg = cad.Dlg
Check Not (dlg Is Nothing), "FunCad.Dlg is made on first read"
dlg.DialogTitle = "x"
Check cad.Dlg.DialogTitle = "x", "FunCad.Dlg keeps its object"
Set cad.Speed = CreateObject("Kestrel.cSpeedString")
cad.Speed.Append "a"
Check cad.Speed.Data = "a", "FunCad.Speed can be set by reference"

' Ini: a value of 300 characters reads back as its first 255.
Set ini = CreateObject("Kestrel.Ini")
ini.INIFileName = WScript.Arguments(1)
Dim section, key, value
section = "Long"
key = "Value"
value = String(200, "a") & String(100, "b")
Check ini.WriteIniKey(section, key, value) <> 0, "WriteIniKey succeeds"
Check ini.GetIniKey(section, key, "none") = Left(value, 255), "GetIniKey cuts a value to 255 characters"
Check ini.GetIniKey(section, "missing", "none") = "none", "GetIniKey of a missing key gives the default"
ini.DelIniSec "Long"
Check ini.GetIniKey(section, key, "gone") = "gone", "DelIniSec removes the section"

' cSpeedString grows by 1024 slots: 2048 after 1024 appends, 3072 after 2048.
Set builder = CreateObject("Kestrel.cSpeedString")
For i = 1 To 1024
  builder.Append "x"
Next
Check builder.SlotCount = 2048, "2048 slots after 1024 appends, not " & builder.SlotCount
For i = 1 To 1024
  builder.Append "y"
Next
Check builder.SlotCount = 3072, "3072 slots after 2048 appends, not " & builder.SlotCount
Check Len(builder.Data) = 2048, "Data joins every piece"
builder.Reset
builder.Append vbCrLf
builder.Append "a"
Check builder.Data(-1) = "a", "Data(-1) drops the leading CR LF"

' Errors reach the caller's Err with the library's description.
On Error Resume Next
answer = f.RangeAddress()
Check Err.Number = 2015, "RangeAddress outside a cell raises 2015 (#VALUE!), not " & Err.Number
Check Err.Description = "#VALUE!", "its description is #VALUE!, not " & Err.Description
Err.Clear
On Error GoTo 0

FunctionCases
results.Close
If failures = 0 Then WScript.Echo "ALL-OK"
