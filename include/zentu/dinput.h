/* The input-device API: the input object, its keyboard and mouse devices, their data formats,
 * cooperative levels and properties. Set-up succeeds or fails as on the system it comes from;
 * the devices report no input (every key up, the mouse at rest). */
#ifndef ZENTU_DINPUT_H
#define ZENTU_DINPUT_H

#include "zentu/wintypes.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

/* Results. */
#define DI_OK S_OK
#define DI_NOEFFECT S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DIERR_GENERIC E_FAIL
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047E)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481)
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015)
#define DIERR_OTHERAPPHASPRIO ((HRESULT)0x80070005)
#define DIERR_ACQUIRED ((HRESULT)0x800700AA)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000C)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154)
#define DIERR_NOAGGREGATION ((HRESULT)0x80040110)

/* Cooperative levels. */
#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008
#define DISCL_NOWINKEY 0x00000010

/* Property headers: how dwObj is read. */
#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2
#define DIPH_BYUSAGE 3

/* Data format flags and object types. */
#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002
#define DIDFT_RELAXIS 0x00000001
#define DIDFT_ABSAXIS 0x00000002
#define DIDFT_AXIS 0x00000003
#define DIDFT_PSHBUTTON 0x00000004
#define DIDFT_TGLBUTTON 0x00000008
#define DIDFT_BUTTON 0x0000000C
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_OPTIONAL 0x80000000
#define DIDFT_MAKEINSTANCE(n) ((DWORD)(WORD)(n) << 8)

typedef struct DIPROPHEADER {
  DWORD dwSize;       /* size of the whole property record */
  DWORD dwHeaderSize; /* sizeof(DIPROPHEADER) */
  DWORD dwObj;
  DWORD dwHow;
} DIPROPHEADER, *LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

typedef struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
} DIPROPDWORD, *LPDIPROPDWORD;
typedef const DIPROPDWORD* LPCDIPROPDWORD;

typedef struct _DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
  DWORD dwSize;    /* sizeof(DIDATAFORMAT) */
  DWORD dwObjSize; /* sizeof(DIOBJECTDATAFORMAT) */
  DWORD dwFlags;
  DWORD dwDataSize; /* bytes of device state, a multiple of 4 */
  DWORD dwNumObjs;
  LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT, *LPDIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

/* The state that c_dfDIMouse describes: 16 bytes, 7 objects. */
typedef struct _DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
} DIMOUSESTATE, *LPDIMOUSESTATE;

#ifdef __cplusplus
extern "C" {
#endif
/* The keyboard: 256 bytes of state, one byte per key. */
extern const DIDATAFORMAT c_dfDIKeyboard;
/* The mouse: a DIMOUSESTATE. */
extern const DIDATAFORMAT c_dfDIMouse;
#ifdef __cplusplus
}
#endif

#ifdef __cplusplus

/* {BF798030-483A-4DA2-AA99-5D64ED369700} */
inline constexpr GUID IID_IDirectInput8A = {
    0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
/* {54D41080-DC15-4833-A41B-748F73A38179} */
inline constexpr GUID IID_IDirectInputDevice8A = {
    0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};
/* {6F1D2B61-D5A0-11CF-BFC7-444553540000} */
inline constexpr GUID GUID_SysKeyboard = {
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
/* {6F1D2B60-D5A0-11CF-BFC7-444553540000} */
inline constexpr GUID GUID_SysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
/* Object kinds named in data formats. */
inline constexpr GUID GUID_XAxis = {
    0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_YAxis = {
    0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_ZAxis = {
    0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Key = {
    0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

/* Properties are named by a small number. Here each is a GUID record whose Data1 is that number
 * and whose other fields are zero, so a property always refers to a real object. */
inline constexpr GUID DIPROP_BUFFERSIZE = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

/* A keyboard or a mouse. Set-up order: SetDataFormat, SetCooperativeLevel, SetProperty, Acquire;
 * format, level and properties are refused while the device is acquired. */
struct IDirectInputDevice8A : IUnknown {
  virtual HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) = 0;
  virtual HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) = 0;
  /* DI_NOEFFECT when already acquired. A foreground level needs the window in the foreground. */
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  /* Copies the device state (cbData must be the data format's size): every key up, mouse at rest. */
  virtual HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) = 0;
  /* The format is copied; the caller's record is only read during the call. */
  virtual HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) = 0;
  /* The window is not kept alive by the device; it must outlive the acquisition. */
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
  virtual HRESULT Poll() = 0;

 protected:
  ~IDirectInputDevice8A() = default;
};
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;

struct IDirectInput8A : IUnknown {
  /* *lplpDirectInputDevice receives a new reference to a device for GUID_SysKeyboard or
   * GUID_SysMouse; the device keeps a reference to this object. No aggregation (pUnkOuter NULL). */
  virtual HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* lplpDirectInputDevice,
                               LPUNKNOWN pUnkOuter) = 0;

 protected:
  ~IDirectInput8A() = default;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;

/* *ppvOut receives a new reference to an IDirectInput8A (riidltf IID_IDirectInput8A, dwVersion
 * 0x0800, punkOuter NULL). Any hinst is accepted. */
HRESULT DirectInput8Create(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut,
                           LPUNKNOWN punkOuter);

#endif /* __cplusplus */

#endif /* ZENTU_DINPUT_H */
