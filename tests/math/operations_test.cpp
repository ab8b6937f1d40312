// The operations through their public entry points: the behaviours every implementation set shares
// (run under base, SSE and SSE2), and the base set's own thresholds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "math/math_test_support.h"

namespace zentu {
namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTol = 2e-6f;

enum class Set { kBase, kSse, kSse2 };

MathTable tableFor(Set set) {
  MathTable t;
  fillBaseSet(t);
  if (set == Set::kSse) applySseSet(t);
  if (set == Set::kSse2) applySse2Set(t);
  return t;
}

D3DXMATRIX sampleMatrix() {
  D3DXMATRIX r, t, m;
  D3DXMatrixRotationYawPitchRoll(&r, 0.3f, -0.7f, 1.1f);
  D3DXMatrixTranslation(&t, 1.5f, -2, 3);
  D3DXMatrixMultiply(&m, &r, &t);
  m._11 *= 2.0f;
  m._34 = 0.25f;
  return m;
}

void expectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i / 4][i % 4], b.m[i / 4][i % 4], tol) << "entry " << i;
}

class EverySet : public ::testing::TestWithParam<Set> {
 protected:
  void SetUp() override { setMathTableForTesting(tableFor(GetParam()), 0); }
  void TearDown() override { resetMathDispatchForTesting(); }
};

TEST_P(EverySet, InverseOfTheZeroMatrixFails) {
  D3DXMATRIX zero, out;
  std::memset(&zero, 0, sizeof zero);
  for (int i = 0; i < 16; ++i) out.m[i / 4][i % 4] = 7.0f;
  const D3DXMATRIX before = out;
  float det = -1;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &zero), nullptr);
  EXPECT_EQ(det, 0.0f);
  EXPECT_EQ(out, before);
}

TEST_P(EverySet, InverseFailsOnNonFiniteDeterminants) {
  D3DXMATRIX huge, nan, out;
  D3DXMatrixScaling(&huge, 1e30f, 1e30f, 1e30f);  // the determinant overflows
  D3DXMatrixScaling(&nan, 1, std::numeric_limits<float>::quiet_NaN(), 1);
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &huge), nullptr);
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &nan), nullptr);
  D3DXMATRIX tinyScale;  // 1/det overflows
  D3DXMatrixScaling(&tinyScale, 1e-15f, 1e-15f, 1e-15f);
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &tinyScale), nullptr);
}

TEST_P(EverySet, InverseInPlaceAndDeterminant) {
  const D3DXMATRIX m = sampleMatrix();
  D3DXMATRIX inv = m, product, identity;
  float det = 0;
  ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &inv), &inv);
  EXPECT_NEAR(det, D3DXMatrixfDeterminant(&m), 1e-5f);
  D3DXMatrixMultiply(&product, &m, &inv);
  D3DXMatrixScaling(&identity, 1, 1, 1);
  expectMatrixNear(product, identity, 1e-5f);
}

TEST_P(EverySet, MultiplyIntoEitherOperand) {
  const D3DXMATRIX a = sampleMatrix();
  D3DXMATRIX b, expected;
  D3DXMatrixRotationX(&b, 0.4f);
  b._42 = 5;
  D3DXMatrixMultiply(&expected, &a, &b);
  D3DXMATRIX intoA = a, intoB = b;
  D3DXMatrixMultiply(&intoA, &intoA, &b);
  D3DXMatrixMultiply(&intoB, &a, &intoB);
  EXPECT_EQ(intoA, expected);
  EXPECT_EQ(intoB, expected);
  D3DXMATRIX square = a, expectedSquare;
  D3DXMatrixMultiply(&expectedSquare, &a, &a);
  D3DXMatrixMultiply(&square, &square, &square);
  EXPECT_EQ(square, expectedSquare);
  D3DXMATRIX transposed = a, expectedT;
  D3DXMatrixTranspose(&expectedT, &expected);
  D3DXMatrixMultiplyTranspose(&transposed, &transposed, &b);
  EXPECT_EQ(transposed, expectedT);
}

TEST_P(EverySet, RotationsMapTheAxes) {
  struct Case {
    const char* name;
    D3DXMATRIX* (*build)(D3DXMATRIX*, FLOAT);
    D3DXVECTOR3 from, to;
  };
  const Case cases[] = {
      {"Z maps x to y", D3DXMatrixRotationZ, {1, 0, 0}, {0, 1, 0}},
      {"X maps y to z", D3DXMatrixRotationX, {0, 1, 0}, {0, 0, 1}},
      {"Y maps z to x", D3DXMatrixRotationY, {0, 0, 1}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    D3DXMATRIX m;
    c.build(&m, kPi / 2);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &c.from, &m);
    EXPECT_NEAR(out.x, c.to.x, kTol);
    EXPECT_NEAR(out.y, c.to.y, kTol);
    EXPECT_NEAR(out.z, c.to.z, kTol);
  }
}

TEST_P(EverySet, AffineTransformCoordDoesNotDivide) {
  D3DXMATRIX m = sampleMatrix();
  m._14 = m._24 = m._34 = 0, m._44 = 1;
  D3DXVECTOR3 v(0.1f, 0.2f, 0.3f), coord;
  D3DXVec3TransformCoord(&coord, &v, &m);
  D3DXVECTOR4 full;
  D3DXVec3Transform(&full, &v, &m);
  EXPECT_EQ(full.w, 1.0f);
  EXPECT_EQ(coord, D3DXVECTOR3(full.x, full.y, full.z));
}

TEST_P(EverySet, ProjectiveTransformCoordDivides) {
  D3DXMATRIX proj;
  D3DXMatrixPerspectiveFovLH(&proj, kPi / 2, 1, 1, 2);
  D3DXVECTOR3 v(1, 1, 2), out;
  D3DXVec3TransformCoord(&out, &v, &proj);
  EXPECT_NEAR(out.x, 0.5f, kTol);
  EXPECT_NEAR(out.y, 0.5f, kTol);
  EXPECT_NEAR(out.z, 1.0f, kTol);
}

TEST_P(EverySet, NormalizeOrdinaryAndZeroVectors) {
  D3DXVECTOR3 v(2, 0, 0), zero(0, 0, 0), out;
  D3DXVec3Normalize(&out, &v);
  EXPECT_NEAR(out.x, 1.0f, 1.6e-6f);
  D3DXVec3Normalize(&out, &zero);
  EXPECT_EQ(out, D3DXVECTOR3(0, 0, 0));
  D3DXVECTOR3 unit(1, 0, 0);
  D3DXVec3Normalize(&out, &unit);
  EXPECT_NEAR(out.x, 1.0f, 1e-6f);
  D3DXVECTOR3 skew(3, -4, 12);  // length 13
  D3DXVec3Normalize(&skew, &skew);
  EXPECT_NEAR(skew.y, -4.0f / 13, 2e-6f);
}

TEST_P(EverySet, QuaternionRoundTrips) {
  D3DXQUATERNION q, back;
  D3DXQuaternionRotationYawPitchRoll(&q, 0.5f, -0.25f, 1.0f);
  D3DXMATRIX fromQ, fromEuler;
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  D3DXMatrixRotationYawPitchRoll(&fromEuler, 0.5f, -0.25f, 1.0f);
  expectMatrixNear(fromQ, fromEuler, 1e-6f);
  D3DXQuaternionRotationMatrix(&back, &fromQ);
  EXPECT_NEAR(std::fabs(back.x * q.x + back.y * q.y + back.z * q.z + back.w * q.w), 1.0f, 1e-5f);
  // Yaw, pitch and roll compose as roll, then pitch, then yaw.
  D3DXMATRIX rx, ry, rz, composed;
  D3DXMatrixRotationZ(&rz, 1.0f);
  D3DXMatrixRotationX(&rx, -0.25f);
  D3DXMatrixRotationY(&ry, 0.5f);
  D3DXMatrixMultiply(&composed, &rz, &rx);
  D3DXMatrixMultiply(&composed, &composed, &ry);
  expectMatrixNear(composed, fromEuler, 1e-6f);
  // Every branch of the matrix-to-quaternion conversion.
  for (const D3DXVECTOR3& axis : {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1)}) {
    D3DXQUATERNION turn, recovered;
    D3DXQuaternionRotationAxis(&turn, &axis, 3.0f);  // trace below zero
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &turn);
    D3DXQuaternionRotationMatrix(&recovered, &m);
    EXPECT_NEAR(
        std::fabs(turn.x * recovered.x + turn.y * recovered.y + turn.z * recovered.z + turn.w * recovered.w),
        1.0f, 1e-5f);
  }
}

TEST_P(EverySet, QuaternionInverseOfATinyQuaternionIsZero) {
  D3DXQUATERNION q(0, 0, 0, 1e-10f), out;
  D3DXQuaternionInverse(&out, &q);
  EXPECT_EQ(out, D3DXQUATERNION(0, 0, 0, 0));
  D3DXQUATERNION r(0, 0.6f, 0, 0.8f), product;
  D3DXQuaternionInverse(&out, &r);
  D3DXQuaternionMultiply(&product, &r, &out);
  EXPECT_NEAR(product.w, 1.0f, kTol);
  EXPECT_NEAR(product.y, 0.0f, kTol);
}

TEST_P(EverySet, PlaneOperations) {
  D3DXPLANE plane;
  D3DXVECTOR3 a(0, 0, 1), b(1, 0, 1), c(0, 1, 1), hit;
  D3DXPlaneFromPoints(&plane, &a, &b, &c);
  EXPECT_NEAR(std::fabs(plane.c), 1.0f, kTol);
  EXPECT_NEAR(plane.d, -plane.c, kTol);
  D3DXVECTOR3 p1(0.5f, 0.5f, -1), p2(0.5f, 0.5f, 3);
  ASSERT_NE(D3DXPlaneIntersectLine(&hit, &plane, &p1, &p2), nullptr);
  EXPECT_NEAR(hit.z, 1.0f, kTol);
  EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &plane, &p1, &p1), nullptr);  // V1 = V2
  D3DXVECTOR3 q1(0, 0, 0), q2(1, 0, 0);                                // parallel
  EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &plane, &q1, &q2), nullptr);
  D3DXPLANE scaled(0, 0, 4, -8), normalized;
  D3DXPlaneNormalize(&normalized, &scaled);
  EXPECT_EQ(normalized, D3DXPLANE(0, 0, 1, -2));
}

TEST_P(EverySet, ShadowAndReflection) {
  D3DXPLANE ground(0, 2, 0, 0);   // normalised to y = 0
  D3DXVECTOR4 light(0, 1, 0, 0);  // a directional light from above
  D3DXMATRIX shadow, reflect;
  D3DXMatrixShadow(&shadow, &light, &ground);
  D3DXVECTOR3 p(3, 5, 7), flat, mirrored;
  D3DXVec3TransformCoord(&flat, &p, &shadow);
  EXPECT_NEAR(flat.y, 0.0f, kTol);
  EXPECT_NEAR(flat.x, 3.0f, kTol);
  D3DXPLANE mirror(0, 0, 1, -1);  // z = 1
  D3DXMatrixReflect(&reflect, &mirror);
  D3DXVec3TransformCoord(&mirrored, &p, &reflect);
  EXPECT_NEAR(mirrored.z, -5.0f, kTol);
  EXPECT_NEAR(mirrored.x, 3.0f, kTol);
}

TEST_P(EverySet, Vec4CrossIsOrthogonal) {
  D3DXVECTOR4 u(1, 2, 3, 4), v(-2, 1, 0.5f, 3), w(0.3f, -1, 2, 1), c;
  D3DXVec4Cross(&c, &u, &v, &w);
  for (const D3DXVECTOR4* x : {&u, &v, &w})
    EXPECT_NEAR(c.x * x->x + c.y * x->y + c.z * x->z + c.w * x->w, 0.0f, 1e-4f);
  D3DXVECTOR4 e1(1, 0, 0, 0), e2(0, 1, 0, 0), e3(0, 0, 1, 0);
  D3DXVec4Cross(&c, &e1, &e2, &e3);
  EXPECT_EQ(c, D3DXVECTOR4(0, 0, 0, -1));
}

TEST_P(EverySet, SplinesHitTheirEndPoints) {
  D3DXVECTOR3 p0(0, 0, 0), p1(1, 2, 3), p2(4, 5, 6), p3(7, 8, 10), out;
  D3DXVec3CatmullRom(&out, &p0, &p1, &p2, &p3, 0);
  EXPECT_EQ(out, p1);
  D3DXVec3CatmullRom(&out, &p0, &p1, &p2, &p3, 1);
  EXPECT_EQ(out, p2);
  D3DXVec3Hermite(&out, &p1, &p0, &p2, &p0, 1);
  EXPECT_EQ(out, p2);
  D3DXVec3BaryCentric(&out, &p1, &p2, &p3, 0.5f, 0.25f);
  EXPECT_NEAR(out.x, 1 + 0.5f * 3 + 0.25f * 6, kTol);
  D3DXVECTOR2 a(1, 2), b(3, 4), r;
  D3DXVec2Hermite(&r, &a, &b, &b, &a, 0);
  EXPECT_EQ(r, a);
  D3DXVECTOR4 f(1, 2, 3, 4), g(5, 6, 7, 8), h(9, 10, 11, 12), o;
  D3DXVec4BaryCentric(&o, &f, &g, &h, 0, 1);
  EXPECT_EQ(o, h);
}

TEST_P(EverySet, SlerpSquadAndBaryCentric) {
  D3DXQUATERNION a(0, 0, 0, 1), b, half, out;
  D3DXVECTOR3 up(0, 1, 0);
  D3DXQuaternionRotationAxis(&b, &up, 1.0f);
  D3DXQuaternionRotationAxis(&half, &up, 0.5f);
  D3DXQuaternionSlerp(&out, &a, &b, 0.5f);
  EXPECT_NEAR(out.y, half.y, kTol);
  EXPECT_NEAR(out.w, half.w, kTol);
  D3DXQUATERNION negB = -b;  // the shorter arc is taken
  D3DXQuaternionSlerp(&out, &a, &negB, 0.5f);
  EXPECT_NEAR(out.y, half.y, kTol);
  D3DXQuaternionBaryCentric(&out, &a, &b, &b, 0, 0);
  EXPECT_EQ(out, a);
  D3DXQUATERNION sa, sb, sc;
  D3DXQuaternionSquadSetup(&sa, &sb, &sc, &a, &a, &b, &b);
  D3DXQuaternionSquad(&out, &a, &sa, &sb, &sc, 1.0f);
  EXPECT_NEAR(out.y, b.y, 1e-5f);
  EXPECT_NEAR(out.w, b.w, 1e-5f);
}

TEST_P(EverySet, ProjectAndUnprojectInvertEachOther) {
  D3DVIEWPORT8 vp = {10, 20, 800, 600, 0.0f, 1.0f};
  D3DXMATRIX proj, view, world;
  D3DXMatrixPerspectiveFovLH(&proj, kPi / 2, 4.0f / 3, 1, 100);
  D3DXMatrixTranslation(&view, 0, 0, 15);
  D3DXMatrixRotationY(&world, 0.3f);
  D3DXVECTOR3 p(1, 2, 3), screen, back;
  D3DXVec3Project(&screen, &p, &vp, &proj, &view, &world);
  D3DXVec3Unproject(&back, &screen, &vp, &proj, &view, &world);
  EXPECT_NEAR(back.x, p.x, 1e-3f);
  EXPECT_NEAR(back.y, p.y, 1e-3f);
  EXPECT_NEAR(back.z, p.z, 1e-3f);
  D3DXVECTOR3 centre(0, 0, 0.5f), pixel;  // no matrices: only the viewport mapping
  D3DXVec3Project(&pixel, &centre, &vp, nullptr, nullptr, nullptr);
  EXPECT_EQ(pixel, D3DXVECTOR3(410, 320, 0.5f));
}

TEST_P(EverySet, Transformations) {
  D3DXVECTOR3 scaling(2, 3, 4), centre(1, 1, 1), move(10, 0, 0), p(2, 1, 1), out;
  D3DXMATRIX m;
  D3DXMatrixTransformation(&m, &centre, nullptr, &scaling, nullptr, nullptr, &move);
  D3DXVec3TransformCoord(&out, &p, &m);
  EXPECT_NEAR(out.x, 1 + 2 * 1 + 10, kTol);
  EXPECT_NEAR(out.y, 1, kTol);
  D3DXMatrixTransformation(&m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  D3DXMATRIX identity;
  D3DXMatrixScaling(&identity, 1, 1, 1);
  EXPECT_EQ(m, identity);
  D3DXQUATERNION quarter;
  D3DXVECTOR3 z(0, 0, 1);
  D3DXQuaternionRotationAxis(&quarter, &z, kPi / 2);
  D3DXMatrixAffineTransformation(&m, 2, &centre, &quarter, &move);
  D3DXVec3TransformCoord(&out, &p, &m);  // (2,1,1) scaled to (4,2,2), about (1,1,1): (3,1,1) -> (-1,3,1)
  EXPECT_NEAR(out.x, 1 - 1 + 10, 1e-5f);
  EXPECT_NEAR(out.y, 1 + 3, 1e-5f);
  EXPECT_NEAR(out.z, 2, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Sets, EverySet, ::testing::Values(Set::kBase, Set::kSse, Set::kSse2),
                         [](const ::testing::TestParamInfo<Set>& info) {
                           return info.param == Set::kBase  ? "Base"
                                  : info.param == Set::kSse ? "Sse"
                                                            : "Sse2";
                         });

// The base set's own thresholds.
class BaseSet : public ::testing::Test {
 protected:
  void SetUp() override { setMathTableForTesting(tableFor(Set::kBase), 0); }
  void TearDown() override { resetMathDispatchForTesting(); }
};

TEST_F(BaseSet, NormalizeThresholds) {
  D3DXVECTOR3 unit(1, 0, 0), nearUnit(1.000004f, 0, 0), out;
  D3DXVec3Normalize(&out, &unit);
  EXPECT_EQ(std::memcmp(&out, &unit, sizeof out), 0);
  D3DXVec3Normalize(&out, &nearUnit);
  EXPECT_EQ(out, nearUnit);
  D3DXVECTOR2 tiny(1e-20f, 0), r;
  D3DXVec2Normalize(&r, &tiny);
  EXPECT_EQ(r, D3DXVECTOR2(0, 0));
  D3DXVECTOR2 almost(std::sqrt(1 + 1e-7f), 0);  // squared length within 2^-23 of 1
  D3DXVec2Normalize(&r, &almost);
  EXPECT_EQ(r, almost);
  D3DXVECTOR4 v4(0, 3, 0, 4), o4;
  D3DXVec4Normalize(&o4, &v4);
  EXPECT_NEAR(o4.w, 0.8f, kTol);
  D3DXQUATERNION nanQ(std::numeric_limits<float>::quiet_NaN(), 0, 0, 0), oq;
  D3DXQuaternionNormalize(&oq, &nanQ);  // NaN counts as tiny
  EXPECT_EQ(oq, D3DXQUATERNION(0, 0, 0, 0));
}

TEST_F(BaseSet, PerspectiveProjection) {
  D3DXMATRIX m;
  D3DXMatrixPerspectiveFovLH(&m, kPi / 2, 1, 1, 2);
  EXPECT_NEAR(m._11, 1.0f, 1e-6f);
  EXPECT_NEAR(m._22, 1.0f, 1e-6f);
  EXPECT_EQ(m._33, 2.0f);
  EXPECT_EQ(m._34, 1.0f);
  EXPECT_EQ(m._43, -2.0f);
  EXPECT_EQ(m._44, 0.0f);
}

TEST_F(BaseSet, QuaternionLogExpAndAxisAngle) {
  D3DXQUATERNION identity(0, 0, 0, 1), ln, ex;
  D3DXQuaternionLn(&ln, &identity);
  EXPECT_EQ(ln, D3DXQUATERNION(0, 0, 0, 0));
  D3DXQUATERNION turn(0, std::sin(0.4f), 0, std::cos(0.4f));
  D3DXQuaternionLn(&ln, &turn);
  EXPECT_NEAR(ln.y, 0.4f, 1e-6f);
  D3DXQuaternionExp(&ex, &ln);
  EXPECT_NEAR(ex.y, turn.y, 1e-6f);
  EXPECT_NEAR(ex.w, turn.w, 1e-6f);
  D3DXVECTOR3 axis;
  float angle = 0;
  D3DXQUATERNION zero(0, 0, 0, 0);
  D3DXQuaternionToAxisAngle(&zero, &axis, &angle);
  EXPECT_EQ(axis, D3DXVECTOR3(1, 0, 0));
  EXPECT_EQ(angle, 0.0f);
  D3DXQuaternionToAxisAngle(&turn, nullptr, &angle);
  EXPECT_NEAR(angle, 0.8f, 1e-6f);
}

}  // namespace
}  // namespace zentu
