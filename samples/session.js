// A remote-control session with the Vostrel camera control, in JScript.
//
// Run it from the folder of the registered control, for example
//     cscript //nologo session.js
// It lists the attached cameras, connects to the first EOS camera, shows
// what the camera reports, takes one picture, saves it as session.jpg next
// to this script and closes the session again. The exit code is 0 when the
// session went through, 1 when the control reported an error.

// Values of the control's enumerations (a script host does not read them
// from the type library).
var CamModEOS = 2;
var ReleaseModeOnlyToPC = 0;
var ReleaseDataKindTakeOnlyPicture = 1;
var PictureTypeFull = 1;
var ControlError = 0x8000FFFF;

var batterySources = ["unknown", "mains", "lithium", "NiMH", "NiCd", "alkaline"];
var batteryStatuses = ["unknown", "normal", "weak", "safety low"];

var camera = new ActiveXObject("VostrelActiveXXControl1.VostrelActiveXX");
var fso = new ActiveXObject("Scripting.FileSystemObject");

// A failing member throws an error whose number is 0x8000FFFF (negative in
// JScript, hence the unsigned shift) and whose description is the control's
// message. Here: nothing is connected yet.
try {
  camera.Disconnect();
} catch (e) {
  if ((e.number >>> 0) === ControlError) {
    WScript.Echo("Expected error: " + e.description);
  }
}

// WScript.Sleep is not available in every script host: wait on the clock.
function pause(milliseconds) {
  var until = new Date().getTime() + milliseconds;
  while (new Date().getTime() < until) {
  }
}

// The camera announces a new picture with the OnRemoteEvent event. A script
// host receives no events, so the sample asks for the picture until the
// control stops answering "There are no pictures to download", for at most
// about ten seconds.
function fetchPicture(fileName) {
  for (var attempt = 0; attempt < 100; attempt++) {
    try {
      camera.RemoteGetPicture(fileName, PictureTypeFull);
      return;
    } catch (e) {
      if (e.description !== "There are no pictures to download") {
        throw e;
      }
    }
    pause(100);
  }
  throw new Error("The picture did not arrive in time");
}

function runSession() {
  camera.OpenCameraEnumeration();
  var eosCount = camera.OpenCameraEnumeration_GetEOSNr();
  WScript.Echo("EOS cameras: " + eosCount);
  for (var i = 0; i < eosCount; i++) {
    WScript.Echo("  " + i + ": " + camera.OpenCameraEnumeration_GetModel(CamModEOS, i));
  }
  WScript.Echo("PowerShot cameras: " + camera.OpenCameraEnumeration_GetPowerShotNr());
  if (eosCount === 0) {
    WScript.Echo("No EOS camera is attached.");
    camera.CloseCameraEnumeration();
    return false;
  }

  camera.Connect(CamModEOS, 0);
  WScript.Echo("Model:   " + camera.Connect_CameraModelName);
  WScript.Echo("Owner:   " + camera.Connect_OwnerName);
  WScript.Echo("Battery: " + batterySources[camera.Connect_Battery_BatterySource] + ", " +
               batteryStatuses[camera.Connect_Battery_BatteryStatus]);
  WScript.Echo("Body ID: " + camera.GetBodyID());

  if (camera.RemoteSupported()) {
    camera.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, "");
    WScript.Echo("Shots left: " + camera.RemoteGetNumberOfAvailableShots());
    camera.RemoteTakePicture();
    var fileName = fso.GetAbsolutePathName("session.jpg");
    fetchPicture(fileName);
    WScript.Echo("Picture saved: " + fileName + " (" + fso.GetFile(fileName).Size + " bytes)");
    camera.RemoteEnd();
  } else {
    WScript.Echo("This camera cannot be released remotely.");
  }

  camera.Disconnect();
  camera.CloseCameraEnumeration();
  return true;
}

// Leaves the camera in a clean state after a failure; these calls may fail
// in turn.
function cleanUp() {
  var steps = ["RemoteEnd", "Disconnect", "CloseCameraEnumeration"];
  for (var i = 0; i < steps.length; i++) {
    try {
      camera[steps[i]]();
    } catch (ignored) {
    }
  }
}

var exitCode = 1;
try {
  exitCode = runSession() ? 0 : 1;
} catch (e) {
  WScript.Echo("Error " + (e.number >>> 0).toString(16).toUpperCase() + ": " + e.description);
  cleanUp();
}
WScript.Quit(exitCode);
