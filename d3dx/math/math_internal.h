// What the math module's files share: the list of dispatched operations, the dispatch table, the
// implementation sets (base, SSE, SSE2, 3DNow!, extended 3DNow!) and the hooks tests use.
#pragma once

#include <cstdint>
#include <cstring>

#include "zentu/d3dx_math.h"

// X(index, name, publicName, returnType, (parameters), (arguments)): the dispatched operations in
// table order.
#define ZENTU_MATH_OPS(X)                                                                                    \
  X(0, vec2Transform, D3DXVec2Transform, D3DXVECTOR4*,                                                       \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(1, vec3Transform, D3DXVec3Transform, D3DXVECTOR4*,                                                       \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(2, vec4Transform, D3DXVec4Transform, D3DXVECTOR4*,                                                       \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(3, matrixMultiply, D3DXMatrixMultiply, D3DXMATRIX*,                                                      \
    (D3DXMATRIX * pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2), (pOut, pM1, pM2))                     \
  X(4, matrixMultiplyTranspose, D3DXMatrixMultiplyTranspose, D3DXMATRIX*,                                    \
    (D3DXMATRIX * pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2), (pOut, pM1, pM2))                     \
  X(5, vec2TransformNormal, D3DXVec2TransformNormal, D3DXVECTOR2*,                                           \
    (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(6, vec3TransformNormal, D3DXVec3TransformNormal, D3DXVECTOR3*,                                           \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(7, vec3Normalize, D3DXVec3Normalize, D3DXVECTOR3*, (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV),          \
    (pOut, pV))                                                                                              \
  X(8, vec4Normalize, D3DXVec4Normalize, D3DXVECTOR4*, (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV),          \
    (pOut, pV))                                                                                              \
  X(9, vec2TransformCoord, D3DXVec2TransformCoord, D3DXVECTOR2*,                                             \
    (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(10, vec3TransformCoord, D3DXVec3TransformCoord, D3DXVECTOR3*,                                            \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM), (pOut, pV, pM))                       \
  X(11, matrixDeterminant, D3DXMatrixfDeterminant, FLOAT, (const D3DXMATRIX* pM), (pM))                      \
  X(12, planeFromPointNormal, D3DXPlaneFromPointNormal, D3DXPLANE*,                                          \
    (D3DXPLANE * pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal), (pOut, pPoint, pNormal))      \
  X(13, planeFromPoints, D3DXPlaneFromPoints, D3DXPLANE*,                                                    \
    (D3DXPLANE * pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3),              \
    (pOut, pV1, pV2, pV3))                                                                                   \
  X(14, vec3Project, D3DXVec3Project, D3DXVECTOR3*,                                                          \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,                               \
     const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld),                      \
    (pOut, pV, pViewport, pProjection, pView, pWorld))                                                       \
  X(15, vec3Unproject, D3DXVec3Unproject, D3DXVECTOR3*,                                                      \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,                               \
     const D3DXMATRIX* pProjection, const D3DXMATRIX* pView, const D3DXMATRIX* pWorld),                      \
    (pOut, pV, pViewport, pProjection, pView, pWorld))                                                       \
  X(16, vec4Cross, D3DXVec4Cross, D3DXVECTOR4*,                                                              \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2, const D3DXVECTOR4* pV3),            \
    (pOut, pV1, pV2, pV3))                                                                                   \
  X(17, vec2Hermite, D3DXVec2Hermite, D3DXVECTOR2*,                                                          \
    (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pT1, const D3DXVECTOR2* pV2,             \
     const D3DXVECTOR2* pT2, FLOAT s),                                                                       \
    (pOut, pV1, pT1, pV2, pT2, s))                                                                           \
  X(18, matrixInverse, D3DXMatrixInverse, D3DXMATRIX*,                                                       \
    (D3DXMATRIX * pOut, FLOAT * pDeterminant, const D3DXMATRIX* pM), (pOut, pDeterminant, pM))               \
  X(19, quaternionMultiply, D3DXQuaternionMultiply, D3DXQUATERNION*,                                         \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2), (pOut, pQ1, pQ2))         \
  X(20, quaternionNormalize, D3DXQuaternionNormalize, D3DXQUATERNION*,                                       \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ), (pOut, pQ))                                           \
  X(21, planeNormalize, D3DXPlaneNormalize, D3DXPLANE*, (D3DXPLANE * pOut, const D3DXPLANE* pP), (pOut, pP)) \
  X(22, planeIntersectLine, D3DXPlaneIntersectLine, D3DXVECTOR3*,                                            \
    (D3DXVECTOR3 * pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2),               \
    (pOut, pP, pV1, pV2))                                                                                    \
  X(23, quaternionToAxisAngle, D3DXQuaternionToAxisAngle, void,                                              \
    (const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, FLOAT* pAngle), (pQ, pAxis, pAngle))                      \
  X(24, quaternionRotationMatrix, D3DXQuaternionRotationMatrix, D3DXQUATERNION*,                             \
    (D3DXQUATERNION * pOut, const D3DXMATRIX* pM), (pOut, pM))                                               \
  X(25, quaternionRotationYawPitchRoll, D3DXQuaternionRotationYawPitchRoll, D3DXQUATERNION*,                 \
    (D3DXQUATERNION * pOut, FLOAT yaw, FLOAT pitch, FLOAT roll), (pOut, yaw, pitch, roll))                   \
  X(26, matrixTranslation, D3DXMatrixTranslation, D3DXMATRIX*,                                               \
    (D3DXMATRIX * pOut, FLOAT x, FLOAT y, FLOAT z), (pOut, x, y, z))                                         \
  X(27, matrixShadow, D3DXMatrixShadow, D3DXMATRIX*,                                                         \
    (D3DXMATRIX * pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane), (pOut, pLight, pPlane))         \
  X(28, matrixReflect, D3DXMatrixReflect, D3DXMATRIX*, (D3DXMATRIX * pOut, const D3DXPLANE* pPlane),         \
    (pOut, pPlane))                                                                                          \
  X(29, quaternionRotationAxis, D3DXQuaternionRotationAxis, D3DXQUATERNION*,                                 \
    (D3DXQUATERNION * pOut, const D3DXVECTOR3* pV, FLOAT angle), (pOut, pV, angle))                          \
  X(30, matrixRotationX, D3DXMatrixRotationX, D3DXMATRIX*, (D3DXMATRIX * pOut, FLOAT angle), (pOut, angle))  \
  X(31, matrixRotationY, D3DXMatrixRotationY, D3DXMATRIX*, (D3DXMATRIX * pOut, FLOAT angle), (pOut, angle))  \
  X(32, matrixRotationZ, D3DXMatrixRotationZ, D3DXMATRIX*, (D3DXMATRIX * pOut, FLOAT angle), (pOut, angle))  \
  X(33, matrixScaling, D3DXMatrixScaling, D3DXMATRIX*, (D3DXMATRIX * pOut, FLOAT sx, FLOAT sy, FLOAT sz),    \
    (pOut, sx, sy, sz))                                                                                      \
  X(34, planeTransform, D3DXPlaneTransform, D3DXPLANE*,                                                      \
    (D3DXPLANE * pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM), (pOut, pP, pM))                           \
  X(35, quaternionSlerp, D3DXQuaternionSlerp, D3DXQUATERNION*,                                               \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2, FLOAT t),                  \
    (pOut, pQ1, pQ2, t))                                                                                     \
  X(36, quaternionBaryCentric, D3DXQuaternionBaryCentric, D3DXQUATERNION*,                                   \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2, const D3DXQUATERNION* pQ3, \
     FLOAT f, FLOAT g),                                                                                      \
    (pOut, pQ1, pQ2, pQ3, f, g))                                                                             \
  X(37, matrixTranspose, D3DXMatrixTranspose, D3DXMATRIX*, (D3DXMATRIX * pOut, const D3DXMATRIX* pM),        \
    (pOut, pM))                                                                                              \
  X(38, matrixRotationQuaternion, D3DXMatrixRotationQuaternion, D3DXMATRIX*,                                 \
    (D3DXMATRIX * pOut, const D3DXQUATERNION* pQ), (pOut, pQ))                                               \
  X(39, matrixTransformation, D3DXMatrixTransformation, D3DXMATRIX*,                                         \
    (D3DXMATRIX * pOut, const D3DXVECTOR3* pScalingCenter, const D3DXQUATERNION* pScalingRotation,           \
     const D3DXVECTOR3* pScaling, const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,       \
     const D3DXVECTOR3* pTranslation),                                                                       \
    (pOut, pScalingCenter, pScalingRotation, pScaling, pRotationCenter, pRotation, pTranslation))            \
  X(40, matrixRotationYawPitchRoll, D3DXMatrixRotationYawPitchRoll, D3DXMATRIX*,                             \
    (D3DXMATRIX * pOut, FLOAT yaw, FLOAT pitch, FLOAT roll), (pOut, yaw, pitch, roll))                       \
  X(41, matrixAffineTransformation, D3DXMatrixAffineTransformation, D3DXMATRIX*,                             \
    (D3DXMATRIX * pOut, FLOAT scaling, const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,  \
     const D3DXVECTOR3* pTranslation),                                                                       \
    (pOut, scaling, pRotationCenter, pRotation, pTranslation))                                               \
  X(42, matrixRotationAxis, D3DXMatrixRotationAxis, D3DXMATRIX*,                                             \
    (D3DXMATRIX * pOut, const D3DXVECTOR3* pV, FLOAT angle), (pOut, pV, angle))                              \
  X(43, quaternionSquad, D3DXQuaternionSquad, D3DXQUATERNION*,                                               \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pA, const D3DXQUATERNION* pB,   \
     const D3DXQUATERNION* pC, FLOAT t),                                                                     \
    (pOut, pQ1, pA, pB, pC, t))                                                                              \
  X(44, quaternionInverse, D3DXQuaternionInverse, D3DXQUATERNION*,                                           \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ), (pOut, pQ))                                           \
  X(45, quaternionSquadSetup, D3DXQuaternionSquadSetup, void,                                                \
    (D3DXQUATERNION * pAOut, D3DXQUATERNION * pBOut, D3DXQUATERNION * pCOut, const D3DXQUATERNION* pQ0,      \
     const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2, const D3DXQUATERNION* pQ3),                       \
    (pAOut, pBOut, pCOut, pQ0, pQ1, pQ2, pQ3))                                                               \
  X(46, vec2Normalize, D3DXVec2Normalize, D3DXVECTOR2*, (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV),         \
    (pOut, pV))                                                                                              \
  X(47, vec2CatmullRom, D3DXVec2CatmullRom, D3DXVECTOR2*,                                                    \
    (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV0, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,             \
     const D3DXVECTOR2* pV3, FLOAT s),                                                                       \
    (pOut, pV0, pV1, pV2, pV3, s))                                                                           \
  X(48, vec2BaryCentric, D3DXVec2BaryCentric, D3DXVECTOR2*,                                                  \
    (D3DXVECTOR2 * pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2, const D3DXVECTOR2* pV3, FLOAT f,    \
     FLOAT g),                                                                                               \
    (pOut, pV1, pV2, pV3, f, g))                                                                             \
  X(49, vec3Hermite, D3DXVec3Hermite, D3DXVECTOR3*,                                                          \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pT1, const D3DXVECTOR3* pV2,             \
     const D3DXVECTOR3* pT2, FLOAT s),                                                                       \
    (pOut, pV1, pT1, pV2, pT2, s))                                                                           \
  X(50, vec3CatmullRom, D3DXVec3CatmullRom, D3DXVECTOR3*,                                                    \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV0, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,             \
     const D3DXVECTOR3* pV3, FLOAT s),                                                                       \
    (pOut, pV0, pV1, pV2, pV3, s))                                                                           \
  X(51, vec3BaryCentric, D3DXVec3BaryCentric, D3DXVECTOR3*,                                                  \
    (D3DXVECTOR3 * pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3, FLOAT f,    \
     FLOAT g),                                                                                               \
    (pOut, pV1, pV2, pV3, f, g))                                                                             \
  X(52, vec4Hermite, D3DXVec4Hermite, D3DXVECTOR4*,                                                          \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pT1, const D3DXVECTOR4* pV2,             \
     const D3DXVECTOR4* pT2, FLOAT s),                                                                       \
    (pOut, pV1, pT1, pV2, pT2, s))                                                                           \
  X(53, vec4CatmullRom, D3DXVec4CatmullRom, D3DXVECTOR4*,                                                    \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV0, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,             \
     const D3DXVECTOR4* pV3, FLOAT s),                                                                       \
    (pOut, pV0, pV1, pV2, pV3, s))                                                                           \
  X(54, vec4BaryCentric, D3DXVec4BaryCentric, D3DXVECTOR4*,                                                  \
    (D3DXVECTOR4 * pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2, const D3DXVECTOR4* pV3, FLOAT f,    \
     FLOAT g),                                                                                               \
    (pOut, pV1, pV2, pV3, f, g))                                                                             \
  X(55, quaternionLn, D3DXQuaternionLn, D3DXQUATERNION*, (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ),  \
    (pOut, pQ))                                                                                              \
  X(56, quaternionExp, D3DXQuaternionExp, D3DXQUATERNION*,                                                   \
    (D3DXQUATERNION * pOut, const D3DXQUATERNION* pQ), (pOut, pQ))

namespace zentu {

constexpr int kMathEntryCount = 57;

// Processor kinds that InitMathDispatch answers.
constexpr DWORD kProcessorUninitialised = 0xFFFF;
constexpr DWORD kProcessorBase = 0;
constexpr DWORD kProcessor3DNow = 1;
constexpr DWORD kProcessorSse2 = 2;
constexpr DWORD kProcessorSse = 3;

// Processor-feature numbers of the feature test.
constexpr DWORD kFeatureSse = 6;    // PF_XMMI_INSTRUCTIONS_AVAILABLE
constexpr DWORD kFeature3DNow = 7;  // PF_3DNOW_INSTRUCTIONS_AVAILABLE
constexpr DWORD kFeatureSse2 = 10;  // PF_XMMI64_INSTRUCTIONS_AVAILABLE

// One function pointer per dispatched operation, in table order.
struct MathTable {
#define ZENTU_TABLE_MEMBER(index, name, publicName, ret, params, args) ret(*name) params;
  ZENTU_MATH_OPS(ZENTU_TABLE_MEMBER)
#undef ZENTU_TABLE_MEMBER
};

// An entry of the table as an untyped pointer, for comparing entries by index.
using AnyMathFn = void (*)();
AnyMathFn mathTableEntry(const MathTable& table, int index);
const char* mathEntryName(int index);

#define ZENTU_DECLARE_OP(index, name, publicName, ret, params, args) ret name params;
namespace base {
ZENTU_MATH_OPS(ZENTU_DECLARE_OP)
}
#undef ZENTU_DECLARE_OP

// The implementation sets. Each apply function replaces exactly the entries of its set.
void fillBaseSet(MathTable& table);
void applySseSet(MathTable& table);
void applySse2Set(MathTable& table);
void apply3DNowSet(MathTable& table);
void applyExtended3DNowSet(MathTable& table);

// The feature test behind the choice of set (feature 6, 7 or 10; any other number is absent).
bool hasProcessorFeature(DWORD feature);

// The live table (stubs until the first math call) and the processor kind it was filled for.
const MathTable& mathTable();
DWORD mathProcessorKind();

// Test hooks: back to the state before the first math call (stubs, kind 0xFFFF, MMX state -1); or
// a table filled directly with one set, bypassing the feature test.
void resetMathDispatchForTesting();
void setMathTableForTesting(const MathTable& table, DWORD kind);

// Fast reciprocal square root of a positive float through the 512-segment table.
struct RsqrtSegment {
  float slope;
  float intercept;
};
extern const RsqrtSegment kRsqrtTable[512];
float fastRsqrt(float q);

// Shared thresholds.
constexpr float kNearOneEpsilon = 1.1920929e-7f;      // 2^-23
constexpr float kTinySquare = 1.17549435e-38f;        // 2^-126
constexpr float kVec3NearOne = 9.9999997e-6f;         // the float nearest 1e-5
constexpr float kSseNormalizeFloor = 1.4210855e-14f;  // 2^-46

inline bool nearOne(float f) {
  float d = f - 1.0f;
  return d >= -kNearOneEpsilon && d <= kNearOneEpsilon;
}
inline bool nearZero(float f) {
  return f >= -kNearOneEpsilon && f <= kNearOneEpsilon;
}
inline bool tinySquare(float q) {
  return !(q > kTinySquare);
}

inline uint32_t floatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}
inline float bitsFloat(uint32_t u) {
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

}  // namespace zentu
