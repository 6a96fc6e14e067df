// Normalising for every vector-like type (vectors, quaternions, planes): each
// is a run of floats reached through its float* conversion.
#pragma once

template <typename T>
T* DivideOrZero(T* pOut, const T& v, float len) {
  static_assert(sizeof(T) % sizeof(float) == 0);
  // A zero length has no direction: the result is all zero.
  T r = v;
  float* c = r;
  for (unsigned i = 0; i < sizeof(T) / sizeof(float); ++i) c[i] = len == 0.0f ? 0.0f : c[i] / len;
  *pOut = r;
  return pOut;
}
