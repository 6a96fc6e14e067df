// Comparison helpers for the maths tests.
#pragma once

#include <d3dx8/d3dx8math.h>
#include <gtest/gtest.h>

#include <cmath>

inline ::testing::AssertionResult MatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected,
                                             float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tolerance))
        return ::testing::AssertionFailure() << "element (" << r << ", " << c << ") is " << actual.m[r][c]
                                             << ", expected " << expected.m[r][c];
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult VectorNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected,
                                             float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not ("
                                       << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

inline ::testing::AssertionResult QuaternionNear(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected,
                                                 float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
      std::fabs(actual.z - expected.z) <= tolerance && std::fabs(actual.w - expected.w) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", "
                                       << actual.w << ") is not (" << expected.x << ", " << expected.y << ", "
                                       << expected.z << ", " << expected.w << ")";
}
