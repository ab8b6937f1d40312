/* The media command interface: a sound file opened, played, stopped and closed by command strings
 * such as "open music.mp3 type mpegvideo alias music", "play music from 0", "stop music" and
 * "close music". MP3 files are understood. */
#ifndef ZENTU_MMSYSTEM_H
#define ZENTU_MMSYSTEM_H

#include "zentu/wintypes.h"

typedef DWORD MCIERROR;

/* Results: 0 for success, otherwise one of these. */
#define MCIERR_BASE 256
#define MCIERR_INVALID_DEVICE_ID (MCIERR_BASE + 1)
#define MCIERR_UNRECOGNIZED_KEYWORD (MCIERR_BASE + 3)
#define MCIERR_UNRECOGNIZED_COMMAND (MCIERR_BASE + 5)
#define MCIERR_HARDWARE (MCIERR_BASE + 6)
#define MCIERR_INVALID_DEVICE_NAME (MCIERR_BASE + 7)
#define MCIERR_OUT_OF_MEMORY (MCIERR_BASE + 8)
#define MCIERR_DEVICE_OPEN (MCIERR_BASE + 9)
#define MCIERR_CANNOT_LOAD_DRIVER (MCIERR_BASE + 10)
#define MCIERR_MISSING_COMMAND_STRING (MCIERR_BASE + 11)
#define MCIERR_PARAM_OVERFLOW (MCIERR_BASE + 12)
#define MCIERR_MISSING_STRING_ARGUMENT (MCIERR_BASE + 13)
#define MCIERR_BAD_INTEGER (MCIERR_BASE + 14)
#define MCIERR_MISSING_PARAMETER (MCIERR_BASE + 17)
#define MCIERR_UNSUPPORTED_FUNCTION (MCIERR_BASE + 18)
#define MCIERR_FILE_NOT_FOUND (MCIERR_BASE + 19)
#define MCIERR_EXTENSION_NOT_FOUND (MCIERR_BASE + 25)
#define MCIERR_OUTOFRANGE (MCIERR_BASE + 26)
#define MCIERR_DEVICE_TYPE_REQUIRED (MCIERR_BASE + 31)
#define MCIERR_DUPLICATE_ALIAS (MCIERR_BASE + 33)
#define MCIERR_MISSING_DEVICE_NAME (MCIERR_BASE + 36)
#define MCIERR_NO_CLOSING_QUOTE (MCIERR_BASE + 38)
#define MCIERR_DUPLICATE_FLAGS (MCIERR_BASE + 39)
#define MCIERR_INVALID_FILE (MCIERR_BASE + 40)
#define MCIERR_EXTRA_CHARACTERS (MCIERR_BASE + 49)

#ifdef __cplusplus
extern "C" {
#endif

/* Runs one command. Understood, keywords in any case, names compared without case:
 *   open FILE [type mpegvideo|mpegaudio] [alias NAME]   FILE may be quoted; the name is NAME or FILE
 *   play NAME [from MS] [to MS]                          asynchronous; from the current position
 *   stop NAME | stop all                                 keeps the position
 *   close NAME | close all
 *   status NAME mode|position|length                     "playing"/"stopped", milliseconds
 * Positions are milliseconds. lpstrReturnString, when not NULL, receives the command's answer (the
 * device number for open, the value for status, otherwise an empty text) within uReturnLength
 * bytes including the terminator. hwndCallback is not used. Sound never plays when no output can
 * be opened, but positions still advance with time. */
MCIERROR mciSendStringA(LPCSTR lpstrCommand, LPSTR lpstrReturnString, UINT uReturnLength, HWND hwndCallback);

#ifdef __cplusplus
}
#endif

#endif /* ZENTU_MMSYSTEM_H */
