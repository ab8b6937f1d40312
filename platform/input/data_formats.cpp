// The two predefined data formats: the keyboard as 256 key bytes and the mouse as three relative
// axes and four buttons in a DIMOUSESTATE.
#include <array>
#include <cstddef>

#include "zentu/dinput.h"

namespace {

std::array<DIOBJECTDATAFORMAT, 256> makeKeyboardObjects() {
  std::array<DIOBJECTDATAFORMAT, 256> objects{};
  for (DWORD key = 0; key < 256; ++key)
    objects[key] = {&GUID_Key, key, DIDFT_BUTTON | DIDFT_OPTIONAL | DIDFT_MAKEINSTANCE(key), 0};
  return objects;
}

std::array<DIOBJECTDATAFORMAT, 256> keyboardObjects = makeKeyboardObjects();

DIOBJECTDATAFORMAT mouseObjects[7] = {
    {&GUID_XAxis, offsetof(DIMOUSESTATE, lX), DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_YAxis, offsetof(DIMOUSESTATE, lY), DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, offsetof(DIMOUSESTATE, lZ), DIDFT_AXIS | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL, 0},
    {nullptr, offsetof(DIMOUSESTATE, rgbButtons) + 0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, offsetof(DIMOUSESTATE, rgbButtons) + 1, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, offsetof(DIMOUSESTATE, rgbButtons) + 2, DIDFT_BUTTON | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL, 0},
    {nullptr, offsetof(DIMOUSESTATE, rgbButtons) + 3, DIDFT_BUTTON | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL, 0},
};

}  // namespace

extern "C" {
const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256, keyboardObjects.data()};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7, mouseObjects};
}
