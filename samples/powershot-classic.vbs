' Remote shooting with an older PowerShot camera, in VBScript.
'
' Run it from the folder of the registered control, for example
'     cscript //nologo powershot-classic.vbs
' It connects to the first PowerShot camera, starts remote control and lets
' the control find out which values of each shooting parameter the camera
' accepts (the first start probes, later ones read the result from the
' folder "probe-cache" next to this script), shows and changes a few
' parameters, moves the zoom where the camera has one, takes one picture,
' saves it as powershot-classic.jpg, lists the pictures on the camera's card
' and closes the session. The exit code is 0 when the session went through, 1 when the
' control reported an error.
Option Explicit

' Values of the control's enumerations (a script host does not read them
' from the type library).
Const CamModPowerShot = 1
Const ReleaseModeOnlyToPC = 0
Const ReleaseDataKindTakeOnlyPicture = 1
Const PictureTypeFull = 1
Const RemoteParamImageMode = 7
Const RemoteParamWhiteBalanceSetting = 13
Const RemoteParamAv = 22
Const RemoteParamTv = 23
Const WhiteBalanceDaylight = 2

Dim camera, fso
Set camera = CreateObject("VostrelActiveXXControl1.VostrelActiveXX")
Set fso = CreateObject("Scripting.FileSystemObject")

On Error Resume Next
RunSession
If Err.Number <> 0 Then ReportAndQuit
On Error GoTo 0
WScript.Quit 0

Sub RunSession()
  Dim fileName, number
  camera.OpenCameraEnumeration
  If camera.OpenCameraEnumeration_GetPowerShotNr = 0 Then
    WScript.Echo "No PowerShot camera is attached."
    camera.CloseCameraEnumeration
    WScript.Quit 1
  End If
  camera.Connect CamModPowerShot, 0
  WScript.Echo "Model: " & camera.Connect_CameraModelName

  camera.RemoteStart ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, True, _
    fso.GetAbsolutePathName("probe-cache")
  WScript.Echo "Apertures it takes:      " & _
    camera.RemoteStart_GetRemoteParamSupported(RemoteParamAv)
  WScript.Echo "White balances it takes: " & _
    camera.RemoteStart_GetRemoteParamSupported(RemoteParamWhiteBalanceSetting)
  WScript.Echo "Image mode " & camera.RemoteGetRemoteParams(RemoteParamImageMode) & _
    ", aperture " & camera.RemoteGetRemoteParams(RemoteParamAv) & _
    ", shutter speed " & camera.RemoteGetRemoteParams(RemoteParamTv)
  camera.RemoteSetRemoteParams RemoteParamWhiteBalanceSetting, WhiteBalanceDaylight
  WScript.Echo "White balance now " & camera.RemoteGetRemoteParams(RemoteParamWhiteBalanceSetting)
  WScript.Echo "Shots left: " & camera.RemoteGetNumberOfAvailableShots
  If camera.RemoteStart_DoSupportZoom Then
    camera.RemoteSetZoomPos camera.RemoteGetZoomPos_MaxOpticalZoomPos
    WScript.Echo "Zoom " & camera.RemoteGetZoomPos_CurrentZoomPos & " of 0 to " & _
      camera.RemoteGetZoomPos_MaxZoomPos
  End If

  camera.RemoteTakePicture
  fileName = fso.GetAbsolutePathName("powershot-classic.jpg")
  camera.RemoteGetPicture fileName, PictureTypeFull
  WScript.Echo "Picture saved: " & fileName & " (" & fso.GetFile(fileName).Size & " bytes)"
  camera.RemoteEnd

  ' The card needs no remote mode. The folder receives the thumbnail file
  ' of the older PowerShot cameras when thumbnails are asked for.
  camera.OpenCameraCollection fso.GetAbsolutePathName("."), False
  WScript.Echo "Pictures on the card: " & camera.OpenCameraCollection_GetNrOfPictures
  For number = 0 To camera.OpenCameraCollection_GetNrOfPictures - 1
    WScript.Echo "  " & number & " " & camera.OpenCameraCollection_NameOfImage(number)
  Next
  camera.CloseCameraCollection
  camera.Disconnect
  camera.CloseCameraEnumeration
End Sub

Sub ReportAndQuit()
  WScript.Echo "Error " & Hex(Err.Number) & " from " & Err.Source & ": " & Err.Description
  Err.Clear
  On Error Resume Next
  ' Leave the camera in a clean state; these calls may fail in turn.
  camera.RemoteEnd
  camera.Disconnect
  camera.CloseCameraEnumeration
  WScript.Quit 1
End Sub
