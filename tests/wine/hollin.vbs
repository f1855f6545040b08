' A 64-bit late-bound client of Hollin.Cls64, as the CAD plug-in's macros in a 64-bit host: every
' call crosses into the 32-bit server. Arguments: the INI file to write, the 64-bit client program
' (hollin_client_tests, for its --server-stays). Prints "FAIL: ..." for
' each failed check and "ALL-OK" as its last line when all passed (Wine's cscript exits 0 on a
' script error).
Option Explicit

Dim failures
failures = 0

' Whether the server outlives three lingers from now: a server that wrongly counted the client's
' objects out would end one linger after the last release. The client program (the second
' argument) waits on the server's end, which WScript cannot do.
Function ServerStays()
  ServerStays = CreateObject("WScript.Shell").Run("""" & WScript.Arguments(1) & """ --server-stays", 0, True) = 0
End Function

Sub Check(ok, what)
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & what
  End If
End Sub

Dim loader, cad, ini, named, missing, number, text, speed
Set loader = CreateObject("Hollin.Cls64")

Set cad = loader.LoadFcad()
Check cad.JL(0, 0, 3, 4) = 5, "LoadFcad().JL(0, 0, 3, 4) = 5"
Check cad.FunGetNumber("ABC-5.5m") = -5.5, "FunGetNumber of a text through the server"

Set ini = loader.LoadIni()
ini.INIFileName = WScript.Arguments(0)
Check ini.WriteIniKey("Plugin", "Layer", "Sections") <> 0, "LoadIni().WriteIniKey reports success"
Check ini.GetIniKey("Plugin", "Layer", "none") = "Sections", "LoadIni().GetIniKey reads the key back"
Check ini.GetIniKey("Plugin", "Missing", "none") = "none", "a missing key reads as the default"

' Any registered class by its ProgID, passed as a variable as the plug-in passes it.
number = "Kestrel.FunCad"
Set named = loader.LoadDll(number)
Check named.JL(1, 1, 4, 5) = 5, "LoadDll(""Kestrel.FunCad"") answers as LoadFcad's object"
Check Not (named Is cad), "every call makes a new object"

' A ProgID that names no class: the system's class-string error, and no object.
text = "No.Such"
On Error Resume Next
Set missing = loader.LoadDll(text)
number = Err.Number
On Error GoTo 0
Check number = &H800401F3, "LoadDll(""No.Such"") raised " & Hex(number) & ", not 800401F3 (invalid class string)"
Check IsEmpty(missing), "LoadDll(""No.Such"") gives no object"

' The client lets go of the loader and goes on with the objects it received.
Set speed = cad.Speed
Set loader = Nothing
Check ServerStays(), "Hollin stays while the objects the loader handed out are held"
On Error Resume Next
number = cad.JL(0, 0, 6, 8)
Check Err.Number = 0 And number = 10, "FunCad still answers after Cls64 is released (error " & Hex(Err.Number) & ")"
text = ini.GetIniKey("Plugin", "Layer", "none")
Check Err.Number = 0 And text = "Sections", "Ini still answers after Cls64 is released"
On Error GoTo 0

Set cad = Nothing
Set ini = Nothing
Set named = Nothing
' Last, an object that a handed-out object returned.
Check ServerStays(), "Hollin stays while an object a handed-out object returned is held"
text = ""
On Error Resume Next
speed.Append "K1+"
speed.Append "200"
text = speed.Data
Check Err.Number = 0 And text = "K1+200", "FunCad's Speed still answers after the FunCad is released (" & text & ")"
On Error GoTo 0
Set speed = Nothing

' The client let go of everything and at once comes back: the server it reaches serves it.
number = 0
On Error Resume Next
Set loader = CreateObject("Hollin.Cls64")
Set cad = loader.LoadFcad()
number = cad.JL(0, 0, 5, 12)
Check Err.Number = 0 And number = 13, "a client back right after the last release is served (error " & Hex(Err.Number) & ")"
On Error GoTo 0
Set cad = Nothing
Set loader = Nothing
If failures = 0 Then WScript.Echo "ALL-OK"
