' The pictures on a camera's card and RAW development, in VBScript.
'
' Run it from the folder of the registered control, for example
'     cscript //nologo card.vbs
' It connects to the first EOS camera and lists the pictures on its card,
' saves the thumbnail of every JPEG picture as NAME-thumb.jpg and downloads
' the first RAW picture into the current folder. After disconnecting it
' develops that RAW file on the PC into NAME.tif (16 bits per channel, as
' shot) and NAME.jpg (at a colour temperature of 5200 K). The exit code is 0
' when everything went through, 1 when the control reported an error.
Option Explicit

' Values of the control's enumerations (a script host does not read them
' from the type library).
Const CamModEOS = 2
Const RAWParamWhiteBalanceSetting = 0
Const RAWParamWhiteBalanceKelvin = 1
Const FileFormatTIFF = 0
Const FileFormatJPEG = 3
Const BitsPerPixel24Bits = 0
Const BitsPerPixel48Bits = 1

Dim camera, fso
Set camera = CreateObject("VostrelActiveXXControl1.VostrelActiveXX")
Set fso = CreateObject("Scripting.FileSystemObject")

On Error Resume Next
Dim rawFile
rawFile = BrowseCard()
If Err.Number <> 0 Then ReportAndQuit
If rawFile <> "" Then
  DevelopRAW rawFile
  If Err.Number <> 0 Then ReportAndQuit
End If
camera.CloseCameraEnumeration
On Error GoTo 0
WScript.Quit 0

' Returns the downloaded RAW file, or "" when the card holds none.
Function BrowseCard()
  Dim count, i, name, rawNumber, extension
  BrowseCard = ""
  camera.OpenCameraEnumeration
  If camera.OpenCameraEnumeration_GetEOSNr = 0 Then
    WScript.Echo "No EOS camera is attached."
    camera.CloseCameraEnumeration
    WScript.Quit 1
  End If
  camera.Connect CamModEOS, 0
  WScript.Echo "Camera: " & camera.Connect_CameraModelName

  ' The thumbnails are read with the list; the folder is the control's
  ' scratch folder for them.
  camera.OpenCameraCollection fso.GetSpecialFolder(2).Path, True
  count = camera.OpenCameraCollection_GetNrOfPictures
  WScript.Echo "Pictures on the card: " & count
  rawNumber = -1
  For i = 0 To count - 1
    name = camera.OpenCameraCollection_NameOfImage(i)
    extension = UCase(fso.GetExtensionName(name))
    If extension = "JPG" Then
      camera.OpenCameraCollection_GetThumbnail i, _
        fso.GetAbsolutePathName(fso.GetBaseName(PlainFileName(name)) & "-thumb.jpg")
      WScript.Echo "  " & i & ": " & name & " (thumbnail saved)"
    Else
      WScript.Echo "  " & i & ": " & name
      If rawNumber < 0 And (extension = "CR2" Or extension = "CRW") Then rawNumber = i
    End If
  Next

  If rawNumber >= 0 Then
    BrowseCard = fso.GetAbsolutePathName( _
      PlainFileName(camera.OpenCameraCollection_NameOfImage(rawNumber)))
    camera.GetPicture rawNumber, False, BrowseCard
    WScript.Echo "RAW picture saved: " & BrowseCard & " (" & fso.GetFile(BrowseCard).Size & " bytes)"
  End If
  camera.CloseCameraCollection
  camera.Disconnect
End Function

' The file name part of a picture name. Picture names come from the camera
' and are never used as paths: a name such as "..\..\x.CR2" or "C:\x.CR2"
' would otherwise write outside the current folder.
Function PlainFileName(pictureName)
  Dim position, c
  PlainFileName = pictureName
  For position = Len(pictureName) To 1 Step -1
    c = Mid(pictureName, position, 1)
    If c = "\" Or c = "/" Or c = ":" Then
      PlainFileName = Mid(pictureName, position + 1)
      Exit For
    End If
  Next
  If PlainFileName = "" Or PlainFileName = "." Or PlainFileName = ".." Then
    Err.Raise vbObjectError + 1, "card.vbs", _
      "The camera reports a picture named """ & pictureName & """, which cannot be saved as a file"
  End If
End Function

' RAW development needs no camera: the control starts what it needs itself.
Sub DevelopRAW(fileName)
  Dim base
  base = fso.BuildPath(fso.GetParentFolderName(fileName), fso.GetBaseName(fileName))
  camera.OpenRAWObject fileName
  WScript.Echo "White balance as shot: " & _
    camera.GetRAWDevelopmentParameters(RAWParamWhiteBalanceSetting)
  WScript.Echo "White balances it takes: " & _
    camera.OpenRAWObject_GetRemoteParamSupported(RAWParamWhiteBalanceSetting)
  camera.DevelopRAWPicture base & ".tif", FileFormatTIFF, BitsPerPixel48Bits, "", 0
  WScript.Echo "Developed: " & base & ".tif"
  ' A colour temperature selects the colour-temperature setting as well.
  camera.SetRAWDevelopmentParameters RAWParamWhiteBalanceKelvin, 5200
  camera.DevelopRAWPicture base & ".jpg", FileFormatJPEG, BitsPerPixel24Bits, "", 90
  WScript.Echo "Developed: " & base & ".jpg"
  camera.CloseRAWObject
End Sub

Sub ReportAndQuit()
  WScript.Echo "Error " & Hex(Err.Number) & " from " & Err.Source & ": " & Err.Description
  Err.Clear
  On Error Resume Next
  ' Leave the camera in a clean state; these calls may fail in turn.
  camera.CloseRAWObject
  camera.CloseCameraCollection
  camera.Disconnect
  camera.CloseCameraEnumeration
  WScript.Quit 1
End Sub
