' A remote-control session with the Vostrel camera control, in VBScript.
'
' Run it from the folder of the registered control, for example
'     cscript //nologo session.vbs
' It lists the attached cameras, connects to the first EOS camera, shows
' what the camera reports, takes one picture, saves it as session.jpg next
' to this script and closes the session again. The exit code is 0 when the
' session went through, 1 when the control reported an error.
Option Explicit

' Values of the control's enumerations (a script host does not read them
' from the type library).
Const CamModPowerShot = 1
Const CamModEOS = 2
Const ReleaseModeOnlyToPC = 0
Const ReleaseDataKindTakeOnlyPicture = 1
Const PictureTypeFull = 1
Const ControlError = &H8000FFFF

Dim BatterySources, BatteryStatuses
BatterySources = Array("unknown", "mains", "lithium", "NiMH", "NiCd", "alkaline")
BatteryStatuses = Array("unknown", "normal", "weak", "safety low")

Dim camera, fso
Set camera = CreateObject("VostrelActiveXXControl1.VostrelActiveXX")
Set fso = CreateObject("Scripting.FileSystemObject")

' Every failing member raises an error with the code &H8000FFFF and the
' control's message as its description. Here: nothing is connected yet.
On Error Resume Next
camera.Disconnect
If Err.Number = ControlError Then
  WScript.Echo "Expected error: " & Err.Description
End If
Err.Clear
On Error GoTo 0

' The session proper: any error ends it through ReportAndQuit.
On Error Resume Next
RunSession
If Err.Number <> 0 Then ReportAndQuit
On Error GoTo 0
WScript.Quit 0

Sub RunSession()
  Dim eosCount, i, fileName
  camera.OpenCameraEnumeration
  eosCount = camera.OpenCameraEnumeration_GetEOSNr
  WScript.Echo "EOS cameras: " & eosCount
  For i = 0 To eosCount - 1
    WScript.Echo "  " & i & ": " & camera.OpenCameraEnumeration_GetModel(CamModEOS, i)
  Next
  WScript.Echo "PowerShot cameras: " & camera.OpenCameraEnumeration_GetPowerShotNr
  If eosCount = 0 Then
    WScript.Echo "No EOS camera is attached."
    camera.CloseCameraEnumeration
    WScript.Quit 1
  End If

  camera.Connect CamModEOS, 0
  WScript.Echo "Model:   " & camera.Connect_CameraModelName
  WScript.Echo "Owner:   " & camera.Connect_OwnerName
  WScript.Echo "Battery: " & BatterySources(camera.Connect_Battery_BatterySource) & ", " & _
    BatteryStatuses(camera.Connect_Battery_BatteryStatus)
  WScript.Echo "Body ID: " & camera.GetBodyID

  If camera.RemoteSupported Then
    camera.RemoteStart ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, False, ""
    WScript.Echo "Shots left: " & camera.RemoteGetNumberOfAvailableShots
    camera.RemoteTakePicture
    fileName = fso.GetAbsolutePathName("session.jpg")
    FetchPicture fileName
    WScript.Echo "Picture saved: " & fileName & " (" & fso.GetFile(fileName).Size & " bytes)"
    camera.RemoteEnd
  Else
    WScript.Echo "This camera cannot be released remotely."
  End If

  camera.Disconnect
  camera.CloseCameraEnumeration
End Sub

' The camera announces a new picture with the OnRemoteEvent event. A script
' host receives no events, so the sample asks for the picture until the
' control stops answering "There are no pictures to download", for at most
' about ten seconds.
Sub FetchPicture(fileName)
  Dim attempt, number, source, description
  For attempt = 1 To 100
    On Error Resume Next
    camera.RemoteGetPicture fileName, PictureTypeFull
    number = Err.Number
    source = Err.Source
    description = Err.Description
    On Error GoTo 0
    If number = 0 Then Exit Sub
    If description <> "There are no pictures to download" Then
      Err.Raise number, source, description
    End If
    Pause 0.1
  Next
  Err.Raise ControlError, "session.vbs", "The picture did not arrive in time"
End Sub

' WScript.Sleep is not available in every script host: wait on the timer.
' The timer restarts at midnight, which ends the pause early.
Sub Pause(seconds)
  Dim started
  started = Timer
  Do While Timer >= started And Timer < started + seconds
  Loop
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
