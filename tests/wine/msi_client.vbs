' A late-bound client of what the installer registered: creates every ProgID named in its arguments;
' from Hollin.Cls64 it also takes a FunCad object across the process boundary and calls it; with
' "version=V FILE" it compares FILE's version resource with V. Prints "FAIL: ..." for each failed
' check and "ALL-OK" as its last line when all passed (Wine's cscript exits 0 on a script error).
Option Explicit

Dim failures, i, argument, made, cad, files, number
failures = 0

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & what
  End If
End Sub

Set files = CreateObject("Scripting.FileSystemObject")
i = 0
Do While i < WScript.Arguments.Count
  argument = WScript.Arguments(i)
  If Left(argument, 8) = "version=" Then
    i = i + 1
    Check files.GetFileVersion(WScript.Arguments(i)) = Mid(argument, 9), _
          WScript.Arguments(i) & " has version " & files.GetFileVersion(WScript.Arguments(i)) & ", expected " & Mid(argument, 9)
  Else
    On Error Resume Next
    Set made = Nothing
    Set made = CreateObject(argument)
    number = Err.Number
    On Error GoTo 0
    Check number = 0 And Not (made Is Nothing), "CreateObject(""" & argument & """) failed: " & Hex(number)
    If number = 0 And argument = "Hollin.Cls64" Then
      Set cad = made.LoadFcad()
      Check cad.JL(0, 0, 3, 4) = 5, "Hollin.Cls64's LoadFcad().JL(0, 0, 3, 4) = 5"
      Set cad = Nothing
    End If
    Set made = Nothing
  End If
  i = i + 1
Loop

If failures = 0 Then WScript.Echo "ALL-OK"
