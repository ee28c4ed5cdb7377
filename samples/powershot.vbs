' A session with a PowerShot camera and the Vostrel camera control, in
' VBScript: zoom, focus lock, the live viewfinder and a picture.
'
' Run it from the folder of the registered control, for example
'     cscript //nologo powershot.vbs
' It connects to the last PowerShot camera listed (the newer cameras come
' after the older ones), starts remote control and learns which settings the
' camera offers, zooms to the end of the optical zoom, locks and unlocks the
' focus, runs the viewfinder for a moment and keeps one of its frames as
' viewfinder.jpg, then takes a picture and saves it as powershot.jpg next to
' this script. The exit code is 0 when the session went through, 1 when the
' control reported an error or the camera lacks what the sample needs.
Option Explicit

' Values of the control's enumerations (a script host does not read them
' from the type library).
Const CamModPowerShot = 1
Const ReleaseModeOnlyToPC = 0
Const ReleaseDataKindTakeOnlyPicture = 1
Const PictureTypeFull = 1
Const RemoteViewFinderOutputLCD = 0
Const RemoteParamISO = 21
Const ControlError = &H8000FFFF

Dim camera, fso, frameFile
Set camera = CreateObject("VostrelActiveXXControl1.VostrelActiveXX")
Set fso = CreateObject("Scripting.FileSystemObject")
' While the viewfinder runs the control keeps its newest frame in this file.
frameFile = fso.BuildPath(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%Temp%"), _
  "0.jpg")

On Error Resume Next
RunSession
If Err.Number <> 0 Then ReportAndQuit
On Error GoTo 0
WScript.Quit 0

Sub RunSession()
  Dim count, number, zoomTo, copied
  camera.OpenCameraEnumeration
  count = camera.OpenCameraEnumeration_GetPowerShotNr
  WScript.Echo "PowerShot cameras: " & count
  If count = 0 Then
    Err.Raise ControlError, "powershot.vbs", "No PowerShot camera is attached."
  End If
  number = count - 1
  camera.Connect CamModPowerShot, number
  WScript.Echo "Model: " & camera.Connect_CameraModelName
  If Not camera.RemoteSupported Then
    Err.Raise ControlError, "powershot.vbs", "This camera cannot be controlled from the PC."
  End If

  ' Probing asks the camera for every value of every setting.
  camera.RemoteStart ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, True, ""
  WScript.Echo "ISO values offered: " & camera.RemoteStart_GetRemoteParamSupported(RemoteParamISO)

  If camera.RemoteStart_DoSupportZoom Then
    WScript.Echo "Zoom: " & camera.RemoteGetZoomPos_CurrentZoomPos & " of 0 to " & _
      camera.RemoteGetZoomPos_MaxZoomPos & ", optical up to " & _
      camera.RemoteGetZoomPos_MaxOpticalZoomPos
    zoomTo = camera.RemoteGetZoomPos_MaxOpticalZoomPos
    camera.RemoteSetZoomPos zoomTo
    WScript.Echo "Zoomed to " & camera.RemoteGetZoomPos_CurrentZoomPos
  End If

  If camera.RemoteStart_DoSupportAfLockUnlock Then
    camera.RemoteAFLock True
    WScript.Echo "Focus locked"
    camera.RemoteAFLock False
    WScript.Echo "Focus unlocked"
  End If

  If camera.RemoteStart_DoSupportViewfinder Then
    camera.RemoteStartViewfinder
    camera.RemoteSetViewfinderOutput RemoteViewFinderOutputLCD
    camera.RemoteActivateViewfinderAuto
    ' A script host receives no events: wait for the frame file instead.
    copied = KeepFrame(fso.GetAbsolutePathName("viewfinder.jpg"))
    camera.RemoteStopViewfinder
    If copied Then WScript.Echo "Viewfinder frame saved: viewfinder.jpg"
  End If

  camera.RemoteTakePicture
  FetchPicture fso.GetAbsolutePathName("powershot.jpg")
  WScript.Echo "Picture saved: powershot.jpg (" & _
    fso.GetFile(fso.GetAbsolutePathName("powershot.jpg")).Size & " bytes)"
  camera.RemoteEnd
  camera.Disconnect
  camera.CloseCameraEnumeration
End Sub

' Copies the viewfinder's frame file once the camera has sent a frame; waits
' about five seconds at most. A frame being written just then makes the copy
' fail, and the next try takes the following frame.
Function KeepFrame(target)
  Dim attempt
  KeepFrame = False
  For attempt = 1 To 50
    Pause 0.1
    If fso.FileExists(frameFile) Then
      On Error Resume Next
      fso.CopyFile frameFile, target, True
      If Err.Number = 0 Then
        On Error GoTo 0
        KeepFrame = True
        Exit Function
      End If
      Err.Clear
      On Error GoTo 0
    End If
  Next
End Function

' The camera announces a new picture with the OnRemoteEvent event, which a
' script host does not receive: ask for the picture until the control stops
' answering that none is waiting, for at most about ten seconds.
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
    If description <> "No released picture is waiting to be fetched" Then
      Err.Raise number, source, description
    End If
    Pause 0.1
  Next
  Err.Raise ControlError, "powershot.vbs", "The picture did not arrive in time"
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
  camera.RemoteStopViewfinder
  camera.RemoteEnd
  camera.Disconnect
  camera.CloseCameraEnumeration
  WScript.Quit 1
End Sub
