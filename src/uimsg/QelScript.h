/* The hook library ABI: what a product's Script.dll exports and what the launcher passes to it.
 *
 * On this platform Script.dll is a shared object named exactly "Script.dll" that lies beside
 * Setup.exe. Build it from C or C++ against this header alone, for example
 *
 *     cc -shared -fPIC -o Script.dll myscript.c
 *
 * Every hook has C linkage and is looked up by its name when the launcher starts; a hook the
 * library does not export answers 0, as the default library's hooks do. A missing Script.dll
 * therefore behaves like the default library (the log says that it was not found).
 *
 * The poster. Twelve hooks receive the launcher's message poster, through which they show
 * pages, ask questions, report progress and write log blocks:
 *
 *     int32_t poster(uint32_t type, const char* format, ...);
 *
 * `type` is a message type word: the kind in the top byte (0x01000000 error, 0x02000000
 * warning, 0x04000000 info, 0x0E000000 show a wizard page, ...) and message-box style bits in the
 * low 24 bits for the box kinds. `format` is UTF-8 text with printf conversions, of which the
 * launcher understands "%s" (a UTF-8 `const char*`), "%d" (an `int`), "%u" and "%%"; any other
 * conversion is copied into the text as written. The answer is the message's answer (for a box,
 * the button pressed: 1 OK, 2 Cancel, 6 Yes, 7 No, ...).
 *
 * Hooks that run inside a phase run on the phase's worker thread; the poster may be called from
 * that thread.
 *
 * Run-time exports. A page may name any other export of the library; those are called with no
 * arguments and answer a uint32_t.
 */
#ifndef QEL_SCRIPT_H
#define QEL_SCRIPT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*QelSetupMessagePoster)(uint32_t type, const char* format, ...);

/* The feature record given to Script_FeatureSelectionChanged, as it was before the toggle. The
 * strings are UTF-8 and valid only during the call. */
typedef struct QelFeatureData {
  const char* title;
  const char* description;
  const char* destination; /* name of the property holding the feature's destination folder */
  const char* property;    /* name of the feature's selection property */
  uint8_t checked;
  uint8_t checkedAtStart;
  uint8_t expanded;
  uint8_t redTick;
  uint8_t plainBox;
  int32_t index;
} QelFeatureData;

typedef uint32_t (*QelScriptHook)(QelSetupMessagePoster poster);
typedef uint32_t (*QelFeatureHook)(QelFeatureData feature);
typedef uint32_t (*QelScriptExport)(void);

#define QEL_SCRIPT_EXPORT __attribute__((visibility("default")))

/* The answer becomes the result of the initialisation phase. */
QEL_SCRIPT_EXPORT uint32_t Script_AfterSetupInitialization(QelSetupMessagePoster poster);
/* Full wizard only. 0: the launcher runs the wizard; any other answer ends it (1 counts as 0). */
QEL_SCRIPT_EXPORT uint32_t Script_UIWizardStart(QelSetupMessagePoster poster);
/* After the wizard at UI levels 4 and 5; the answer is not used. */
QEL_SCRIPT_EXPORT uint32_t Script_UIProgressStart(QelSetupMessagePoster poster);
/* After scheduling; the answer becomes the phase's result. */
QEL_SCRIPT_EXPORT uint32_t Script_BeforeExecuteChainInstall(QelSetupMessagePoster poster);
QEL_SCRIPT_EXPORT uint32_t Script_BeforeExecuteChainAdmin(QelSetupMessagePoster poster);
/* After the install chain; the answer is only logged. */
QEL_SCRIPT_EXPORT uint32_t Script_AfterExecuteChainInstall(QelSetupMessagePoster poster);
/* After a successful administrative chain; a non-zero answer replaces the chain's result. */
QEL_SCRIPT_EXPORT uint32_t Script_AfterExecuteChainAdmin(QelSetupMessagePoster poster);
/* After patches are found; the answer becomes the phase's result. */
QEL_SCRIPT_EXPORT uint32_t Script_AfterSchedulePatches(QelSetupMessagePoster poster);
/* After patches were applied successfully; the answer is not used. */
QEL_SCRIPT_EXPORT uint32_t Script_AfterExecutePatches(QelSetupMessagePoster poster);
/* The finish, full wizard only. 0: the launcher runs the wizard so that the finish page stays. */
QEL_SCRIPT_EXPORT uint32_t Script_UIWizardCompleteSuccess(QelSetupMessagePoster poster);
QEL_SCRIPT_EXPORT uint32_t Script_UIWizardCompleteError(QelSetupMessagePoster poster);
QEL_SCRIPT_EXPORT uint32_t Script_UIWizardCompleteReboot(QelSetupMessagePoster poster);
/* After the user toggled a feature; the answer is not used. */
QEL_SCRIPT_EXPORT uint32_t Script_FeatureSelectionChanged(QelFeatureData feature);

#ifdef __cplusplus
}
#endif

#endif /* QEL_SCRIPT_H */
