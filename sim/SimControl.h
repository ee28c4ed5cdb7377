#pragma once
/*
 * Control interface of the simulated camera libraries. EDSDK.DLL (and the
 * other simulated SDK libraries) export these functions next to their SDK
 * entry points; no real SDK has them. Tests, tools and hosts resolve them by
 * name from the library they loaded (sim/SimControlClient.h does that).
 *
 * Conventions: functions returning int32_t give 0 on success and -1 on a
 * failure, whose text VostrelSim_GetLastError returns. Functions that copy
 * text or bytes into a caller's buffer return the size needed (text with its
 * terminating zero) and copy only when the buffer is large enough, so a
 * caller may ask with a null buffer first. Cameras are numbered from 0 in the
 * order of the scenario, volumes likewise.
 */

#include <stddef.h>
#include <stdint.h>

#if defined(VOSTREL_SIM_BUILDING_LIBRARY)
#if defined(_WIN32)
#define VOSTREL_SIM_API __declspec(dllexport)
#else
#define VOSTREL_SIM_API __attribute__((visibility("default")))
#endif
#else
#define VOSTREL_SIM_API
#endif

/* Kinds of VostrelSim_RaiseEvent. */
#define VOSTREL_SIM_PROPERTY_EVENT 1
#define VOSTREL_SIM_OBJECT_EVENT 2
#define VOSTREL_SIM_STATE_EVENT 3

/* failingCalls of VostrelSim_InjectFailure that never runs out. */
#define VOSTREL_SIM_ALWAYS 0xFFFFFFFFu

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces the world with a scenario given as JSON text (the whole file, with
 * one section per library). Every SDK reference handed out before becomes
 * invalid. A faulty scenario leaves the world as it was. */
VOSTREL_SIM_API int32_t VostrelSim_LoadScenario(const char* jsonText);
/* The same with the scenario in a file. */
VOSTREL_SIM_API int32_t VostrelSim_LoadScenarioFile(const char* path);
/* Replaces the world with the built-in default scenario. */
VOSTREL_SIM_API int32_t VostrelSim_ResetScenario(void);
/* Text of the last failure of a control function, or of the scenario named
 * by VOSTREL_SIM_SCENARIO when it could not be loaded. */
VOSTREL_SIM_API size_t VostrelSim_GetLastError(char* buffer, size_t size);

/* Lets passingCalls calls of the named entry point work, then makes the next
 * failingCalls calls return result without doing anything (calls counted
 * from now). VOSTREL_SIM_ALWAYS fails for good; 0 removes the injection. */
VOSTREL_SIM_API int32_t VostrelSim_InjectFailure(const char* entryPoint, uint32_t result,
                                                 uint32_t passingCalls, uint32_t failingCalls);
/* Makes every call of the named entry point fail with result, each with a
 * chance of perMillion in a million, drawn from the generator that
 * VostrelSim_SeedRandomFailures seeds: the same seed and the same calls give
 * the same failures. Counted injections of the entry point come first. 0
 * removes it. */
VOSTREL_SIM_API int32_t VostrelSim_InjectRandomFailure(const char* entryPoint, uint32_t result,
                                                       uint32_t perMillion);
VOSTREL_SIM_API void VostrelSim_SeedRandomFailures(uint32_t seed);
/* Calls failed by an injection of either kind since the library was loaded. */
VOSTREL_SIM_API uint64_t VostrelSim_InjectedFailures(void);
/* The disk of the PC takes only `bytes` more bytes of the files that the
 * library writes (downloads, released pictures); a write that does not fit
 * writes what fits and fails as on a full disk. -1 removes the limit. */
VOSTREL_SIM_API int32_t VostrelSim_LimitDiskSpace(int64_t bytes);
/* Removes every injection, unplugging during a call and the limit of the
 * disk. */
VOSTREL_SIM_API void VostrelSim_ClearFailures(void);

/* Raises a camera event on camera number `camera` to the handler the host
 * registered for it. EOS: property event (code, property id = argument,
 * parameter); object event (code, a new reference to the file most recently
 * added to the card, null when there is none; argument and parameter are
 * not used); state event (code, parameter). */
VOSTREL_SIM_API int32_t VostrelSim_RaiseEvent(int32_t camera, int32_t kind, uint32_t code,
                                              uint32_t argument, uint32_t parameter);
/* Unplugs a camera: it reports that it shut down, and every later call on it
 * fails as disconnected. It is no longer enumerated. */
VOSTREL_SIM_API int32_t VostrelSim_DetachCamera(int32_t camera);
/* Lets `calls` calls of the named entry point work (calls on any camera,
 * counted from now), then unplugs the camera in the middle of the next one,
 * as VostrelSim_DetachCamera does: right after that call's first callback to
 * the host (a transfer's first block, so that a transfer of more blocks
 * breaks off with the camera's disconnected error), or once the call has its
 * result when it makes no callback. Happens once; replaces an earlier one on
 * the entry point; VostrelSim_ClearFailures removes it. */
VOSTREL_SIM_API int32_t VostrelSim_DetachCameraDuring(int32_t camera, const char* entryPoint,
                                                      uint32_t calls);

/* Non-zero: callbacks run on the thread of the SDK call that causes them.
 * Zero (the default): they run on the simulator's own thread. */
VOSTREL_SIM_API void VostrelSim_SetSynchronousCallbacks(int32_t synchronous);
/* Returns once every callback raised so far has been delivered. */
VOSTREL_SIM_API void VostrelSim_WaitIdle(void);

/* The call log: one line per SDK call and per delivered callback. */
VOSTREL_SIM_API size_t VostrelSim_GetCallLog(char* buffer, size_t size);
VOSTREL_SIM_API void VostrelSim_ClearCallLog(void);

/* The whole world as a scenario (JSON), with the state the host left. */
VOSTREL_SIM_API size_t VostrelSim_DescribeWorld(char* buffer, size_t size);
/* The bytes of a property of a camera, or -1 when it has no such property. */
VOSTREL_SIM_API int64_t VostrelSim_GetProperty(int32_t camera, uint32_t propertyId, void* buffer,
                                               size_t size);
/* The files on a volume, one line each: path, a tab, the size in bytes. */
VOSTREL_SIM_API size_t VostrelSim_ListFiles(int32_t camera, int32_t volume, char* buffer,
                                            size_t size);
/* The bytes of a file on a volume, or -1 when there is no such file. */
VOSTREL_SIM_API int64_t VostrelSim_ReadFile(int32_t camera, int32_t volume, const char* path,
                                            void* buffer, size_t size);
/* Number of SDK references the host holds. */
VOSTREL_SIM_API size_t VostrelSim_LiveReferences(void);

#ifdef __cplusplus
}
#endif
