/* Vector, matrix, quaternion and plane types and operations.
 *
 * Matrices are 16 floats row by row; vectors are rows multiplied on the left (v' = v x M), so
 * transforms compose left to right and the translation sits in the fourth row. Angles are radians.
 * Every operation takes its output first and returns it (unless documented otherwise); the output may
 * be the same object as any input. The records are plain C layouts; the C++ conveniences add no data
 * and keep them trivial. */
#ifndef ZENTU_D3DX_MATH_H
#define ZENTU_D3DX_MATH_H

#include "zentu/d3dx_core.h"

/* D3DVECTOR, D3DMATRIX and D3DVIEWPORT8 come from the graphics-device API. */

#ifdef __cplusplus

struct D3DXVECTOR2 {
  FLOAT x, y;

  D3DXVECTOR2() = default;
  D3DXVECTOR2(const FLOAT* pf) : x(pf[0]), y(pf[1]) {}
  D3DXVECTOR2(FLOAT fx, FLOAT fy) : x(fx), y(fy) {}

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) { return x += v.x, y += v.y, *this; }
  D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) { return x -= v.x, y -= v.y, *this; }
  D3DXVECTOR2& operator*=(FLOAT f) { return x *= f, y *= f, *this; }
  D3DXVECTOR2& operator/=(FLOAT f) { return *this *= 1.0f / f; }

  D3DXVECTOR2 operator+() const { return *this; }
  D3DXVECTOR2 operator-() const { return D3DXVECTOR2(-x, -y); }
  D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x + v.x, y + v.y); }
  D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x - v.x, y - v.y); }
  D3DXVECTOR2 operator*(FLOAT f) const { return D3DXVECTOR2(x * f, y * f); }
  D3DXVECTOR2 operator/(FLOAT f) const { return *this * (1.0f / f); }
  friend D3DXVECTOR2 operator*(FLOAT f, const D3DXVECTOR2& v) { return v * f; }

  bool operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
  bool operator!=(const D3DXVECTOR2& v) const { return !(*this == v); }
};

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(const FLOAT* pf) : D3DVECTOR{pf[0], pf[1], pf[2]} {}
  D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
  D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) : D3DVECTOR{fx, fy, fz} {}

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) { return x += v.x, y += v.y, z += v.z, *this; }
  D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) { return x -= v.x, y -= v.y, z -= v.z, *this; }
  D3DXVECTOR3& operator*=(FLOAT f) { return x *= f, y *= f, z *= f, *this; }
  D3DXVECTOR3& operator/=(FLOAT f) { return *this *= 1.0f / f; }

  D3DXVECTOR3 operator+() const { return *this; }
  D3DXVECTOR3 operator-() const { return D3DXVECTOR3(-x, -y, -z); }
  D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
  D3DXVECTOR3 operator*(FLOAT f) const { return D3DXVECTOR3(x * f, y * f, z * f); }
  D3DXVECTOR3 operator/(FLOAT f) const { return *this * (1.0f / f); }
  friend D3DXVECTOR3 operator*(FLOAT f, const D3DXVECTOR3& v) { return v * f; }

  bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
  FLOAT x, y, z, w;

  D3DXVECTOR4() = default;
  D3DXVECTOR4(const FLOAT* pf) : x(pf[0]), y(pf[1]), z(pf[2]), w(pf[3]) {}
  D3DXVECTOR4(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXVECTOR4& operator+=(const D3DXVECTOR4& v) { return x += v.x, y += v.y, z += v.z, w += v.w, *this; }
  D3DXVECTOR4& operator-=(const D3DXVECTOR4& v) { return x -= v.x, y -= v.y, z -= v.z, w -= v.w, *this; }
  D3DXVECTOR4& operator*=(FLOAT f) { return x *= f, y *= f, z *= f, w *= f, *this; }
  D3DXVECTOR4& operator/=(FLOAT f) { return *this *= 1.0f / f; }

  D3DXVECTOR4 operator+() const { return *this; }
  D3DXVECTOR4 operator-() const { return D3DXVECTOR4(-x, -y, -z, -w); }
  D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const {
    return D3DXVECTOR4(x + v.x, y + v.y, z + v.z, w + v.w);
  }
  D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const {
    return D3DXVECTOR4(x - v.x, y - v.y, z - v.z, w - v.w);
  }
  D3DXVECTOR4 operator*(FLOAT f) const { return D3DXVECTOR4(x * f, y * f, z * f, w * f); }
  D3DXVECTOR4 operator/(FLOAT f) const { return *this * (1.0f / f); }
  friend D3DXVECTOR4 operator*(FLOAT f, const D3DXVECTOR4& v) { return v * f; }

  bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
  bool operator!=(const D3DXVECTOR4& v) const { return !(*this == v); }
};

struct D3DXQUATERNION {
  FLOAT x, y, z, w;

  D3DXQUATERNION() = default;
  D3DXQUATERNION(const FLOAT* pf) : x(pf[0]), y(pf[1]), z(pf[2]), w(pf[3]) {}
  D3DXQUATERNION(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXQUATERNION& operator+=(const D3DXQUATERNION& q) {
    return x += q.x, y += q.y, z += q.z, w += q.w, *this;
  }
  D3DXQUATERNION& operator-=(const D3DXQUATERNION& q) {
    return x -= q.x, y -= q.y, z -= q.z, w -= q.w, *this;
  }
  D3DXQUATERNION& operator*=(const D3DXQUATERNION& q); /* the rotation *this followed by q */
  D3DXQUATERNION& operator*=(FLOAT f) { return x *= f, y *= f, z *= f, w *= f, *this; }
  D3DXQUATERNION& operator/=(FLOAT f) { return *this *= 1.0f / f; }

  D3DXQUATERNION operator+() const { return *this; }
  D3DXQUATERNION operator-() const { return D3DXQUATERNION(-x, -y, -z, -w); }
  D3DXQUATERNION operator+(const D3DXQUATERNION& q) const {
    return D3DXQUATERNION(x + q.x, y + q.y, z + q.z, w + q.w);
  }
  D3DXQUATERNION operator-(const D3DXQUATERNION& q) const {
    return D3DXQUATERNION(x - q.x, y - q.y, z - q.z, w - q.w);
  }
  D3DXQUATERNION operator*(const D3DXQUATERNION& q) const;
  D3DXQUATERNION operator*(FLOAT f) const { return D3DXQUATERNION(x * f, y * f, z * f, w * f); }
  D3DXQUATERNION operator/(FLOAT f) const { return *this * (1.0f / f); }
  friend D3DXQUATERNION operator*(FLOAT f, const D3DXQUATERNION& q) { return q * f; }

  bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
  bool operator!=(const D3DXQUATERNION& q) const { return !(*this == q); }
};

struct D3DXPLANE {
  FLOAT a, b, c, d;

  D3DXPLANE() = default;
  D3DXPLANE(const FLOAT* pf) : a(pf[0]), b(pf[1]), c(pf[2]), d(pf[3]) {}
  D3DXPLANE(FLOAT fa, FLOAT fb, FLOAT fc, FLOAT fd) : a(fa), b(fb), c(fc), d(fd) {}

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXPLANE operator+() const { return *this; }
  D3DXPLANE operator-() const { return D3DXPLANE(-a, -b, -c, -d); }

  bool operator==(const D3DXPLANE& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
  bool operator!=(const D3DXPLANE& p) const { return !(*this == p); }
};

struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(const FLOAT* pf) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = pf[i];
  }
  D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
             FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
    _11 = f11, _12 = f12, _13 = f13, _14 = f14;
    _21 = f21, _22 = f22, _23 = f23, _24 = f24;
    _31 = f31, _32 = f32, _33 = f33, _34 = f34;
    _41 = f41, _42 = f42, _43 = f43, _44 = f44;
  }

  FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
  FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }

  operator FLOAT*() { return reinterpret_cast<FLOAT*>(this); }
  operator const FLOAT*() const { return reinterpret_cast<const FLOAT*>(this); }

  D3DXMATRIX& operator*=(const D3DXMATRIX& mat); /* *this := *this x mat */
  D3DXMATRIX& operator+=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] += mat.m[i / 4][i % 4];
    return *this;
  }
  D3DXMATRIX& operator-=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] -= mat.m[i / 4][i % 4];
    return *this;
  }
  D3DXMATRIX& operator*=(FLOAT f) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] *= f;
    return *this;
  }
  D3DXMATRIX& operator/=(FLOAT f) { return *this *= 1.0f / f; }

  D3DXMATRIX operator+() const { return *this; }
  D3DXMATRIX operator-() const { return *this * -1.0f; }
  D3DXMATRIX operator*(const D3DXMATRIX& mat) const;
  D3DXMATRIX operator+(const D3DXMATRIX& mat) const { return D3DXMATRIX(*this) += mat; }
  D3DXMATRIX operator-(const D3DXMATRIX& mat) const { return D3DXMATRIX(*this) -= mat; }
  D3DXMATRIX operator*(FLOAT f) const { return D3DXMATRIX(*this) *= f; }
  D3DXMATRIX operator/(FLOAT f) const { return D3DXMATRIX(*this) /= f; }
  friend D3DXMATRIX operator*(FLOAT f, const D3DXMATRIX& mat) { return mat * f; }

  bool operator==(const D3DXMATRIX& mat) const {
    for (int i = 0; i < 16; ++i)
      if (m[i / 4][i % 4] != mat.m[i / 4][i % 4]) return false;
    return true;
  }
  bool operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};

#else /* C: the plain records */

typedef struct D3DXVECTOR2 {
  FLOAT x, y;
} D3DXVECTOR2;
typedef D3DVECTOR D3DXVECTOR3;
typedef struct D3DXVECTOR4 {
  FLOAT x, y, z, w;
} D3DXVECTOR4;
typedef struct D3DXQUATERNION {
  FLOAT x, y, z, w;
} D3DXQUATERNION;
typedef struct D3DXPLANE {
  FLOAT a, b, c, d;
} D3DXPLANE;
typedef D3DMATRIX D3DXMATRIX;

#endif /* __cplusplus */

typedef D3DXVECTOR2* LPD3DXVECTOR2;
typedef D3DXVECTOR3* LPD3DXVECTOR3;
typedef D3DXVECTOR4* LPD3DXVECTOR4;
typedef D3DXQUATERNION* LPD3DXQUATERNION;
typedef D3DXPLANE* LPD3DXPLANE;
typedef D3DXMATRIX* LPD3DXMATRIX;

#ifdef __cplusplus

/* 2-component vectors */
D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV);
D3DXVECTOR2* D3DXVec2Hermite(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pT1,
                             const D3DXVECTOR2* pV2, const D3DXVECTOR2* pT2, FLOAT s);
D3DXVECTOR2* D3DXVec2CatmullRom(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV0, const D3DXVECTOR2* pV1,
                                const D3DXVECTOR2* pV2, const D3DXVECTOR2* pV3, FLOAT s);
D3DXVECTOR2* D3DXVec2BaryCentric(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,
                                 const D3DXVECTOR2* pV3, FLOAT f, FLOAT g);
D3DXVECTOR4* D3DXVec2Transform(D3DXVECTOR4* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM);
D3DXVECTOR2* D3DXVec2TransformCoord(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM);
D3DXVECTOR2* D3DXVec2TransformNormal(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM);

/* 3-component vectors */
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);
D3DXVECTOR3* D3DXVec3Hermite(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pT1,
                             const D3DXVECTOR3* pV2, const D3DXVECTOR3* pT2, FLOAT s);
D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV0, const D3DXVECTOR3* pV1,
                                const D3DXVECTOR3* pV2, const D3DXVECTOR3* pV3, FLOAT s);
D3DXVECTOR3* D3DXVec3BaryCentric(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                                 const D3DXVECTOR3* pV3, FLOAT f, FLOAT g);
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
/* pViewport, pProjection, pView and pWorld may each be NULL (skipped). */
D3DXVECTOR3* D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                             const D3DXMATRIX* pProjection, const D3DXMATRIX* pView,
                             const D3DXMATRIX* pWorld);
D3DXVECTOR3* D3DXVec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                               const D3DXMATRIX* pProjection, const D3DXMATRIX* pView,
                               const D3DXMATRIX* pWorld);

/* 4-component vectors */
D3DXVECTOR4* D3DXVec4Cross(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                           const D3DXVECTOR4* pV3);
D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV);
D3DXVECTOR4* D3DXVec4Hermite(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pT1,
                             const D3DXVECTOR4* pV2, const D3DXVECTOR4* pT2, FLOAT s);
D3DXVECTOR4* D3DXVec4CatmullRom(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV0, const D3DXVECTOR4* pV1,
                                const D3DXVECTOR4* pV2, const D3DXVECTOR4* pV3, FLOAT s);
D3DXVECTOR4* D3DXVec4BaryCentric(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                                 const D3DXVECTOR4* pV3, FLOAT f, FLOAT g);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM);

/* 4 x 4 matrices */
FLOAT D3DXMatrixfDeterminant(const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixMultiplyTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM);
/* Returns NULL (pOut unchanged) when pM is singular or not finite; stores the determinant through
 * pDeterminant (may be NULL) in every case. */
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT angle);
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, FLOAT angle);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ);
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll);
/* Every pointer argument after pOut may be NULL (an identity part). */
D3DXMATRIX* D3DXMatrixTransformation(D3DXMATRIX* pOut, const D3DXVECTOR3* pScalingCenter,
                                     const D3DXQUATERNION* pScalingRotation, const D3DXVECTOR3* pScaling,
                                     const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,
                                     const D3DXVECTOR3* pTranslation);
/* pRotationCenter, pRotation and pTranslation may be NULL. */
D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* pOut, FLOAT scaling,
                                           const D3DXVECTOR3* pRotationCenter,
                                           const D3DXQUATERNION* pRotation, const D3DXVECTOR3* pTranslation);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovY, FLOAT aspect, FLOAT zn, FLOAT zf);
D3DXMATRIX* D3DXMatrixShadow(D3DXMATRIX* pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane);
D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane);

/* Quaternions */
/* pAxis and pAngle may be NULL. */
void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, FLOAT* pAngle);
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, FLOAT angle);
D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll);
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                       const D3DXQUATERNION* pQ2);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
D3DXQUATERNION* D3DXQuaternionLn(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
D3DXQUATERNION* D3DXQuaternionExp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ);
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                    const D3DXQUATERNION* pQ2, FLOAT t);
D3DXQUATERNION* D3DXQuaternionSquad(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pA,
                                    const D3DXQUATERNION* pB, const D3DXQUATERNION* pC, FLOAT t);
/* Writes the three control points A, B and C for D3DXQuaternionSquad; returns nothing. */
void D3DXQuaternionSquadSetup(D3DXQUATERNION* pAOut, D3DXQUATERNION* pBOut, D3DXQUATERNION* pCOut,
                              const D3DXQUATERNION* pQ0, const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2,
                              const D3DXQUATERNION* pQ3);
D3DXQUATERNION* D3DXQuaternionBaryCentric(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                          const D3DXQUATERNION* pQ2, const D3DXQUATERNION* pQ3, FLOAT f,
                                          FLOAT g);

/* Planes */
D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP);
/* Returns NULL (pOut unchanged) when the line is parallel to the plane or meets it at no finite point. */
D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                    const D3DXVECTOR3* pV2);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal);
D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                               const D3DXVECTOR3* pV3);
D3DXPLANE* D3DXPlaneTransform(D3DXPLANE* pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM);

inline D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
  D3DXQuaternionMultiply(this, this, &q);
  return *this;
}
inline D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const {
  D3DXQUATERNION out;
  D3DXQuaternionMultiply(&out, this, &q);
  return out;
}
inline D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
  D3DXMatrixMultiply(this, this, &mat);
  return *this;
}
inline D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const {
  D3DXMATRIX out;
  D3DXMatrixMultiply(&out, this, &mat);
  return out;
}

#endif /* __cplusplus */

#endif /* ZENTU_D3DX_MATH_H */
