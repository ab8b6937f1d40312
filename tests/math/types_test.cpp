// The public records keep their C layout and stay trivial; the C++ conveniences behave as documented.
#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

#include "zentu/d3dx_math.h"

namespace {

static_assert(sizeof(D3DXVECTOR2) == 8 && sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXVECTOR4) == 16);
static_assert(sizeof(D3DXQUATERNION) == 16 && sizeof(D3DXPLANE) == 16 && sizeof(D3DXMATRIX) == 64);
static_assert(sizeof(D3DVIEWPORT8) == 24 && offsetof(D3DVIEWPORT8, MinZ) == 16);
static_assert(std::is_trivial_v<D3DXVECTOR2> && std::is_trivial_v<D3DXVECTOR3> &&
              std::is_trivial_v<D3DXVECTOR4>);
static_assert(std::is_trivial_v<D3DXQUATERNION> && std::is_trivial_v<D3DXPLANE> &&
              std::is_trivial_v<D3DXMATRIX>);
static_assert(std::is_standard_layout_v<D3DXVECTOR3> && std::is_standard_layout_v<D3DXMATRIX>);
static_assert(offsetof(D3DXMATRIX, _11) == 0 && offsetof(D3DXMATRIX, _14) == 12 &&
              offsetof(D3DXMATRIX, _41) == 48 && offsetof(D3DXMATRIX, _44) == 60);
static_assert(offsetof(D3DXQUATERNION, w) == 12 && offsetof(D3DXPLANE, d) == 12);

TEST(MathTypes, VectorOperators) {
  D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6);
  EXPECT_EQ(a + b, D3DXVECTOR3(5, 7, 9));
  EXPECT_EQ(b - a, D3DXVECTOR3(3, 3, 3));
  EXPECT_EQ(2.0f * a, D3DXVECTOR3(2, 4, 6));
  EXPECT_EQ(a / 2.0f, D3DXVECTOR3(0.5f, 1, 1.5f));
  EXPECT_EQ(-a, D3DXVECTOR3(-1, -2, -3));
  a += b;
  EXPECT_EQ(a, D3DXVECTOR3(5, 7, 9));
  const float* f = a;
  EXPECT_EQ(f[2], 9.0f);
  D3DVECTOR plain = a;  // converts to the device record
  EXPECT_EQ(plain.y, 7.0f);
  EXPECT_EQ(D3DXVECTOR2(1, 2) * 3.0f, D3DXVECTOR2(3, 6));
  EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 4) - D3DXVECTOR4(1, 1, 1, 1), D3DXVECTOR4(0, 1, 2, 3));
}

TEST(MathTypes, MatrixAccessAndProduct) {
  const float values[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  D3DXMATRIX m(values);
  EXPECT_EQ(m(0, 1), 2.0f);
  EXPECT_EQ(m(3, 0), 13.0f);
  EXPECT_EQ(m._43, 15.0f);
  EXPECT_EQ(m.m[1][2], 7.0f);
  m(1, 2) = 70.0f;
  EXPECT_EQ(m._23, 70.0f);
  D3DXMATRIX id;
  D3DXMatrixScaling(&id, 1, 1, 1);
  EXPECT_EQ(m * id, m);
  D3DXMATRIX twice = m + m;
  EXPECT_EQ(twice, m * 2.0f);
  const float* f = m;
  EXPECT_EQ(f[5], 6.0f);
}

TEST(MathTypes, QuaternionProductFollowsTheDocumentedOrder) {
  D3DXQUATERNION a, b, ab;
  D3DXQuaternionRotationYawPitchRoll(&a, 0.3f, 0, 0);
  D3DXQuaternionRotationYawPitchRoll(&b, 0, 0.4f, 0);
  D3DXQuaternionMultiply(&ab, &a, &b);
  EXPECT_EQ(a * b, ab);
}

}  // namespace
