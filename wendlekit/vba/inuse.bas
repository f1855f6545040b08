Attribute VB_Name = "inuse"
' The plug-in's commands, run by the loader's short AutoCAD commands through -vbarun.
' FunCad and Ini are Kestrel's automation classes: created directly in a 32-bit AutoCAD, and through
' the loader server Hollin.Cls64 in a 64-bit one (a 32-bit in-process server cannot load there).
Option Explicit

Private Const SettingsSection As String = "CadTools"

#If Win64 Then
Private Function Loader() As Object
    Set Loader = CreateObject("Hollin.Cls64")
End Function
#End If

Public Function NewFunCad() As Object
#If Win64 Then
    Set NewFunCad = Loader().LoadFcad()
#Else
    Set NewFunCad = CreateObject("Kestrel.FunCad")
#End If
End Function

Public Function NewIni() As Object
    Dim ini As Object
#If Win64 Then
    Set ini = Loader().LoadIni()
#Else
    Set ini = CreateObject("Kestrel.Ini")
#End If
    ini.INIFileName = SettingsFile()
    Set NewIni = ini
End Function

Private Function SettingsFile() As String
    SettingsFile = Environ$("APPDATA") & "\Kestrel\CadTools.ini"
End Function

Public Function Setting(ByVal Key As String, ByVal DefaultValue As String) As String
    Dim value As String
    value = NewIni().GetIniKey(SettingsSection, Key, DefaultValue)
    If Len(value) = 0 Then value = DefaultValue
    Setting = value
End Function

Public Sub SaveSetting2(ByVal Key As String, ByVal Value As String)
    NewIni().WriteIniKey SettingsSection, Key, Value
End Sub

' The entities the user picked for the loader command (the active selection set).
Private Function PickedEntities() As Object
    Dim ss As Object
    Set ss = ThisDrawing.PickfirstSelectionSet
    If ss.Count = 0 Then Set ss = ThisDrawing.ActiveSelectionSet
    Set PickedEntities = ss
End Function

Private Function IsPolyline(ByVal ent As Object) As Boolean
    IsPolyline = (ent.ObjectName = "AcDbPolyline" Or ent.ObjectName = "AcDb2dPolyline")
End Function

' The selected polylines as arrays x0, y0, x1, y1, ... ordered from the highest to the lowest.
Private Function SectionPolylines(ByRef polylines() As Object, ByRef count As Long) As Variant
    Dim ss As Object, ent As Object, coords As Variant, pts() As Variant
    Dim arr() As Variant, i As Long, k As Long, stride As Long
    Set ss = PickedEntities()
    count = 0
    If ss.Count = 0 Then Exit Function
    ReDim arr(0 To ss.Count - 1)
    ReDim polylines(0 To ss.Count - 1)
    For Each ent In ss
        If IsPolyline(ent) Then
            coords = ent.Coordinates
            If ent.ObjectName = "AcDbPolyline" Then stride = 2 Else stride = 3
            ReDim pts(0 To ((UBound(coords) + 1) \ stride) * 2 - 1)
            For i = 0 To (UBound(coords) + 1) \ stride - 1
                pts(2 * i) = coords(stride * i)
                pts(2 * i + 1) = coords(stride * i + 1)
            Next i
            arr(count) = pts
            Set polylines(count) = ent
            count = count + 1
        End If
    Next ent
    If count = 0 Then Exit Function
    ReDim Preserve arr(0 To count - 1)
    SectionPolylines = arr
End Function

' Puts one value per section, top to bottom, on the clipboard for the volume sheet.
Private Sub SectionValuesToClipboard(ByVal Area As Boolean)
    Dim polylines() As Object, count As Long, arr As Variant, fc As Object
    Dim text As String, i As Long, j As Long, ent As Object, value As Double
    arr = SectionPolylines(polylines, count)
    If count = 0 Then
        ThisDrawing.Utility.Prompt vbCrLf & "No polyline selected." & vbCrLf
        Exit Sub
    End If
    Set fc = NewFunCad()
    If fc.StorArr(arr) <> 1 Then
        ThisDrawing.Utility.Prompt vbCrLf & "The polylines could not be ordered." & vbCrLf
        Exit Sub
    End If
    ' StorArr returns the point arrays in order; match each back to its polyline by its points.
    For i = 0 To count - 1
        Set ent = MatchPolyline(arr(i), polylines, count)
        If Area Then value = ent.Area Else value = ent.Length
        text = text & Format$(value, "0.000") & vbCrLf
    Next i
    fc.ClipboardSetText 0, text
    ThisDrawing.Utility.Prompt vbCrLf & count & " sections copied to the clipboard." & vbCrLf
End Sub

Private Function MatchPolyline(ByVal pts As Variant, polylines() As Object, ByVal count As Long) As Object
    Dim j As Long, coords As Variant, stride As Long, n As Long
    Dim x0 As Double, y0 As Double, x1 As Double, y1 As Double
    x0 = pts(0): y0 = pts(1): x1 = pts(UBound(pts) - 1): y1 = pts(UBound(pts))
    For j = 0 To count - 1
        coords = polylines(j).Coordinates
        If polylines(j).ObjectName = "AcDbPolyline" Then stride = 2 Else stride = 3
        n = (UBound(coords) + 1) \ stride
        If (coords(0) = x0 And coords(1) = y0 And coords(stride * (n - 1)) = x1 And coords(stride * (n - 1) + 1) = y1) Or _
           (coords(0) = x1 And coords(1) = y1 And coords(stride * (n - 1)) = x0 And coords(stride * (n - 1) + 1) = y0) Then
            Set MatchPolyline = polylines(j)
            Exit Function
        End If
    Next j
    Set MatchPolyline = polylines(0)
End Function

Public Sub StartUp()
    ThisDrawing.Utility.Prompt vbCrLf & "Kestrel CAD tools loaded: type n for the commands, nn for the settings." & vbCrLf
End Sub

Public Sub ShowTools()
    Dim text As String
    text = "lj  JoinToPline      join the selected lines into one polyline" & vbCrLf & _
           "mj  GetArea          section areas, top to bottom, to the clipboard" & vbCrLf & _
           "cd  GetLenth         section lengths, top to bottom, to the clipboard" & vbCrLf & _
           "psa subPartSave      save the selection as a drawing of its own" & vbCrLf & _
           "fc  DrawFenCengLine  draw a layer boundary line" & vbCrLf & _
           "0   ZtoZero          set the Z of the selection to zero" & vbCrLf & _
           "gc  DrawHH           draw an elevation mark (Nood)" & vbCrLf & _
           "bg  DrawH            draw an elevation mark (mod1)" & vbCrLf & _
           "tk  InsertTK         insert a title-block frame" & vbCrLf & _
           "rq  DrawTime         write a date stamp" & vbCrLf & _
           "tc  NewDrawLayer     create a new layer" & vbCrLf & _
           "oo  aaabbbccc        about" & vbCrLf & _
           "nn  ShowOptions      the settings"
    MsgBox text, vbInformation, "Kestrel CAD"
End Sub

Public Sub ShowOptions()
    Dim height As String, layer As String, frame As String
    height = InputBox("Text height", "Kestrel CAD", Setting("TextHeight", "2.5"))
    If Len(height) = 0 Then Exit Sub
    layer = InputBox("Layer for layer boundary lines", "Kestrel CAD", Setting("BoundaryLayer", "FenCeng"))
    If Len(layer) = 0 Then Exit Sub
    frame = InputBox("Title-block frame width x height", "Kestrel CAD", Setting("FrameSize", "420x297"))
    If Len(frame) = 0 Then Exit Sub
    SaveSetting2 "TextHeight", height
    SaveSetting2 "BoundaryLayer", layer
    SaveSetting2 "FrameSize", frame
End Sub

Public Sub JoinToPline()
    Dim ss As Object, ent As Object, first As Object, others() As Object, n As Long
    Set ss = PickedEntities()
    For Each ent In ss
        If first Is Nothing And IsPolyline(ent) Then
            Set first = ent
        Else
            ReDim Preserve others(0 To n)
            Set others(n) = ent
            n = n + 1
        End If
    Next ent
    If first Is Nothing Or n = 0 Then Exit Sub
    ThisDrawing.SendCommand "_.PEDIT _M " & HandleList(first, others, n) & " _J 0 "
End Sub

Private Function HandleList(ByVal first As Object, others() As Object, ByVal n As Long) As String
    Dim i As Long, s As String
    s = "(handent """ & first.Handle & """) "
    For i = 0 To n - 1
        s = s & "(handent """ & others(i).Handle & """) "
    Next i
    HandleList = s & " "
End Function

Public Sub GetArea()
    SectionValuesToClipboard True
End Sub

Public Sub GetLenth()
    SectionValuesToClipboard False
End Sub

Public Sub subPartSave()
    Dim ss As Object, path As String
    Set ss = PickedEntities()
    If ss.Count = 0 Then Exit Sub
    path = InputBox("Drawing file for the selection", "Kestrel CAD", ThisDrawing.Path & "\part.dwg")
    If Len(path) = 0 Then Exit Sub
    ThisDrawing.Wblock path, ss
End Sub

Public Sub DrawFenCengLine()
    Dim p1 As Variant, p2 As Variant, line As Object, layer As String
    p1 = ThisDrawing.Utility.GetPoint(, vbCrLf & "First point: ")
    p2 = ThisDrawing.Utility.GetPoint(p1, vbCrLf & "Second point: ")
    layer = Setting("BoundaryLayer", "FenCeng")
    ThisDrawing.Layers.Add layer
    Set line = ThisDrawing.ModelSpace.AddLine(p1, p2)
    line.Layer = layer
End Sub

Public Sub ZtoZero()
    Dim ent As Object
    For Each ent In PickedEntities()
        ent.Move ZeroZ(0), ZeroZ(0)
        On Error Resume Next
        ent.Elevation = 0
        On Error GoTo 0
    Next ent
End Sub

Private Function ZeroZ(ByVal z As Double) As Variant
    Dim p(0 To 2) As Double
    p(2) = z
    ZeroZ = p
End Function

Public Sub InsertTK()
    Dim corner As Variant, size As String, w As Double, h As Double, pts(0 To 7) As Double, frame As Object
    size = Setting("FrameSize", "420x297")
    w = Val(Split(size, "x")(0)): h = Val(Split(size, "x")(1))
    corner = ThisDrawing.Utility.GetPoint(, vbCrLf & "Lower left corner of the frame: ")
    pts(0) = corner(0): pts(1) = corner(1)
    pts(2) = corner(0) + w: pts(3) = corner(1)
    pts(4) = corner(0) + w: pts(5) = corner(1) + h
    pts(6) = corner(0): pts(7) = corner(1) + h
    Set frame = ThisDrawing.ModelSpace.AddLightWeightPolyline(pts)
    frame.Closed = True
End Sub

Public Sub DrawTime()
    Dim p As Variant
    p = ThisDrawing.Utility.GetPoint(, vbCrLf & "Position of the date: ")
    ThisDrawing.ModelSpace.AddText Format$(Date, "yyyy-mm-dd"), p, Val(Setting("TextHeight", "2.5"))
End Sub

Public Sub NewDrawLayer()
    Dim name As String
    name = ThisDrawing.Utility.GetString(True, vbCrLf & "Name of the new layer: ")
    If Len(name) = 0 Then Exit Sub
    ThisDrawing.ActiveLayer = ThisDrawing.Layers.Add(name)
End Sub
