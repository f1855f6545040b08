Attribute VB_Name = "mod1"
' Elevation mark: a triangle with the level picked from the drawing's Y.
Option Explicit

Public Sub DrawH()
    DrawLevelMark 0
End Sub

' Draws the mark at a picked point; the text is the point's Y plus the given datum, three decimals.
Public Sub DrawLevelMark(ByVal Datum As Double)
    Dim p As Variant, h As Double, size As Double, pts(0 To 5) As Double, mark As Object
    p = ThisDrawing.Utility.GetPoint(, vbCrLf & "Point of the elevation mark: ")
    size = Val(Setting("TextHeight", "2.5"))
    pts(0) = p(0): pts(1) = p(1)
    pts(2) = p(0) - size: pts(3) = p(1) + size
    pts(4) = p(0) + size: pts(5) = p(1) + size
    Set mark = ThisDrawing.ModelSpace.AddLightWeightPolyline(pts)
    mark.Closed = True
    h = p(1) + Datum
    p(1) = p(1) + size * 1.5
    ThisDrawing.ModelSpace.AddText Format$(h, "0.000"), p, size
End Sub
