Attribute VB_Name = "noone"
' About the plug-in.
Option Explicit

Public Sub aaabbbccc()
    MsgBox "Kestrel CAD tools" & vbCrLf & "Road cross-section helpers for AutoCAD.", vbInformation, "Kestrel CAD"
    NewFunCad().GotoWeb "index"
End Sub
