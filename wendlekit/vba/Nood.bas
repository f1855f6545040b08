Attribute VB_Name = "Nood"
' Elevation mark against a datum: the level of a picked point relative to a reference point.
Option Explicit

Public Sub DrawHH()
    Dim ref As Variant, level As String
    ref = ThisDrawing.Utility.GetPoint(, vbCrLf & "Reference point: ")
    level = ThisDrawing.Utility.GetString(False, vbCrLf & "Its elevation: ")
    If Len(level) = 0 Then Exit Sub
    DrawLevelMark Val(level) - ref(1)
End Sub
