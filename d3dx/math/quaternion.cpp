// Portable quaternion operations: products, normalisation, inverse, logarithm and exponential, the
// conversions from axes, matrices and Euler angles, and spherical interpolation (slerp, squad).
#include <cmath>

#include "d3dx/math/math_internal.h"

namespace zentu {
namespace base {

namespace {
constexpr float kInverseFloor = 1.0842022e-19f;  // 2^-63

float dot(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
}  // namespace

D3DXQUATERNION* quaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                   const D3DXQUATERNION* pQ2) {
  const D3DXQUATERNION a = *pQ1, b = *pQ2;
  *pOut = D3DXQUATERNION(
      b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + a.w * b.y + a.x * b.z,
      b.w * a.z + b.x * a.y - a.x * b.y + a.w * b.z, b.w * a.w - a.x * b.x - b.y * a.y - a.z * b.z);
  return pOut;
}

D3DXQUATERNION* quaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  const D3DXQUATERNION q = *pQ;
  float n = dot(q, q);
  if (nearOne(n)) {
    *pOut = q;
  } else if (tinySquare(n)) {
    *pOut = D3DXQUATERNION(0, 0, 0, 0);
  } else {
    float k = 1.0f / std::sqrt(n);
    *pOut = D3DXQUATERNION(q.x * k, q.y * k, q.z * k, q.w * k);
  }
  return pOut;
}

D3DXQUATERNION* quaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  const D3DXQUATERNION q = *pQ;
  float n = dot(q, q);
  if (n <= kInverseFloor) {
    *pOut = D3DXQUATERNION(0, 0, 0, 0);
  } else if (nearOne(n)) {
    *pOut = D3DXQUATERNION(-q.x, -q.y, -q.z, q.w);
  } else {
    float k = 1.0f / n;
    *pOut = D3DXQUATERNION(-q.x * k, -q.y * k, -q.z * k, q.w * k);
  }
  return pOut;
}

D3DXQUATERNION* quaternionLn(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  const D3DXQUATERNION q = *pQ;
  if (q.w < 1.0f) {
    float theta = std::acos(q.w);
    float s = std::sin(theta);
    if (!nearZero(s)) {
      float k = theta / s;
      *pOut = D3DXQUATERNION(q.x * k, q.y * k, q.z * k, 0.0f);
      return pOut;
    }
  }
  *pOut = D3DXQUATERNION(q.x, q.y, q.z, 0.0f);
  return pOut;
}

D3DXQUATERNION* quaternionExp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  const D3DXQUATERNION q = *pQ;
  float theta = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
  float s = std::sin(theta), c = std::cos(theta);
  if (nearZero(s)) {
    *pOut = D3DXQUATERNION(q.x, q.y, q.z, c);
  } else {
    float k = s / theta;
    *pOut = D3DXQUATERNION(q.x * k, q.y * k, q.z * k, c);
  }
  return pOut;
}

D3DXQUATERNION* quaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                                FLOAT t) {
  const D3DXQUATERNION a = *pQ1, b = *pQ2;
  float d = dot(a, b);
  float sign = d >= 0.0f ? 1.0f : -1.0f;
  float u = sign * d;
  float k0, k1;
  if (1.0f - u > kNearOneEpsilon) {
    float root = std::sqrt(1.0f - u * u);
    float theta = std::atan2(root, u);
    k0 = std::sin((1.0f - t) * theta) / root;
    k1 = std::sin(t * theta) / root;
  } else {
    k0 = 1.0f - t;
    k1 = t;
  }
  k1 *= sign;
  *pOut = D3DXQUATERNION(k0 * a.x + k1 * b.x, k0 * a.y + k1 * b.y, k0 * a.z + k1 * b.z, k0 * a.w + k1 * b.w);
  return pOut;
}

D3DXQUATERNION* quaternionSquad(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pA,
                                const D3DXQUATERNION* pB, const D3DXQUATERNION* pC, FLOAT t) {
  D3DXQUATERNION outer, inner;
  D3DXQuaternionSlerp(&outer, pQ1, pC, t);
  D3DXQuaternionSlerp(&inner, pA, pB, t);
  return D3DXQuaternionSlerp(pOut, &outer, &inner, 2.0f * t * (1.0f - t));
}

namespace {
// True when q is nearer to -p than to p (the squared difference exceeds the squared sum).
bool fartherThanNegation(const D3DXQUATERNION& q, const D3DXQUATERNION& p) {
  D3DXQUATERNION diff = q - p, sum = q + p;
  return dot(diff, diff) > dot(sum, sum);
}

// M(q, Exp(-0.25 (Ln(M(Inv(q), prev)) + Ln(M(Inv(q), next))))).
D3DXQUATERNION innerControlPoint(const D3DXQUATERNION& prev, const D3DXQUATERNION& q,
                                 const D3DXQUATERNION& next) {
  D3DXQUATERNION inv, a, b;
  D3DXQuaternionInverse(&inv, &q);
  D3DXQuaternionMultiply(&a, &inv, &prev);
  D3DXQuaternionLn(&a, &a);
  D3DXQuaternionMultiply(&b, &inv, &next);
  D3DXQuaternionLn(&b, &b);
  D3DXQUATERNION e = (a + b) * -0.25f;
  D3DXQuaternionExp(&e, &e);
  D3DXQUATERNION out;
  D3DXQuaternionMultiply(&out, &q, &e);
  return out;
}
}  // namespace

void quaternionSquadSetup(D3DXQUATERNION* pAOut, D3DXQUATERNION* pBOut, D3DXQUATERNION* pCOut,
                          const D3DXQUATERNION* pQ0, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                          const D3DXQUATERNION* pQ3) {
  D3DXQUATERNION q0 = *pQ0, q1 = *pQ1, q2 = *pQ2, q3 = *pQ3;
  if (fartherThanNegation(q0, q1)) q0 = -q0;
  if (fartherThanNegation(q2, q1)) q2 = -q2;
  if (fartherThanNegation(q3, q2)) q3 = -q3;
  D3DXQUATERNION a = innerControlPoint(q0, q1, q2);
  D3DXQUATERNION b = innerControlPoint(q1, q2, q3);
  *pAOut = a;
  *pBOut = b;
  *pCOut = q2;
}

D3DXQUATERNION* quaternionBaryCentric(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                      const D3DXQUATERNION* pQ2, const D3DXQUATERNION* pQ3, FLOAT f,
                                      FLOAT g) {
  float sum = f + g;
  if (nearZero(sum)) {
    *pOut = *pQ1;
    return pOut;
  }
  D3DXQUATERNION a, b;
  D3DXQuaternionSlerp(&a, pQ1, pQ2, sum);
  D3DXQuaternionSlerp(&b, pQ1, pQ3, sum);
  return D3DXQuaternionSlerp(pOut, &a, &b, g / sum);
}

D3DXQUATERNION* quaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, FLOAT angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, pV);
  float s = std::sin(angle * 0.5f), c = std::cos(angle * 0.5f);
  *pOut = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, c);
  return pOut;
}

D3DXQUATERNION* quaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
  const D3DXMATRIX& m = *pM;
  float trace = m._11 + m._22 + m._33;
  D3DXQUATERNION q;
  if (trace > 0.0f) {
    float w = std::sqrt(trace + 1.0f) * 0.5f;
    float k = 0.25f / w;
    q = D3DXQUATERNION((m._23 - m._32) * k, (m._31 - m._13) * k, (m._12 - m._21) * k, w);
  } else if (m._11 >= m._22 && m._11 >= m._33) {
    float x = std::sqrt(1.0f + m._11 - m._22 - m._33) * 0.5f;
    float k = 0.25f / x;
    q = D3DXQUATERNION(x, (m._12 + m._21) * k, (m._13 + m._31) * k, (m._23 - m._32) * k);
  } else if (m._22 >= m._33) {
    float y = std::sqrt(1.0f + m._22 - m._11 - m._33) * 0.5f;
    float k = 0.25f / y;
    q = D3DXQUATERNION((m._12 + m._21) * k, y, (m._23 + m._32) * k, (m._31 - m._13) * k);
  } else {
    float z = std::sqrt(1.0f + m._33 - m._11 - m._22) * 0.5f;
    float k = 0.25f / z;
    q = D3DXQUATERNION((m._13 + m._31) * k, (m._23 + m._32) * k, z, (m._12 - m._21) * k);
  }
  *pOut = q;
  return pOut;
}

D3DXQUATERNION* quaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll) {
  float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
  float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
  float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
  *pOut = D3DXQUATERNION(cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr,
                         cy * cp * sr - sy * sp * cr, cy * cp * cr + sy * sp * sr);
  return pOut;
}

void quaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, FLOAT* pAngle) {
  const D3DXQUATERNION q = *pQ;
  float n = dot(q, q);
  D3DXVECTOR3 axis(1.0f, 0.0f, 0.0f);
  float angle = 0.0f;
  if (n > kTinySquare) {
    float k = 1.0f / std::sqrt(n);
    axis = D3DXVECTOR3(q.x * k, q.y * k, q.z * k);
    angle = 2.0f * std::acos(q.w);
  }
  if (pAxis != nullptr) *pAxis = axis;
  if (pAngle != nullptr) *pAngle = angle;
}

}  // namespace base
}  // namespace zentu
