#include "ocean_wave_field.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 9.81;
// Wave numbers below this count as this (the constant term has no length).
constexpr double kSmallestWaveNumber = 1e-8;
// No amplitude beyond this: 4096 of them, times the largest wave number,
// still sum to a finite float.
constexpr double kLargestAmplitude = 1e30;

float FiniteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

void OceanWaveField::Random::Seed(uint32_t seed) {
  state_[0] = seed | 1u;
  for (int n = 1; n < 624; ++n) state_[n] = state_[n - 1] * 69069u;
  next_ = 624;
}

uint32_t OceanWaveField::Random::Next() {
  if (next_ >= 624) {
    for (int k = 0; k < 624; ++k) {
      const uint32_t y = (state_[k] & 0x80000000u) | (state_[(k + 1) % 624] & 0x7FFFFFFFu);
      state_[k] = state_[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    next_ = 0;
  }
  uint32_t y = state_[next_++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

float OceanWaveField::Random::Gaussian() {
  double u, v, s;
  do {
    u = 2.0 * Next() / 4294967296.0 - 1.0;
    v = 2.0 * Next() / 4294967296.0 - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  return static_cast<float>(u * std::sqrt(-2.0 * std::log(s) / s));
}

OceanWaveField::OceanWaveField()
    : h0_(kSpectrumSize * kSpectrumSize),
      heights_(kSize * kSize),
      displacements_(kSize * kSize),
      slopes_(kSize * kSize),
      frequencies_(kSize * kSize),
      inverseLengths_(kSize * kSize) {
  SetParameters(kDefaultSeed, 1.5707964f, 16.0f, 256.0f, 2.0f, 0.015f, 0.00005f);
}

void OceanWaveField::SetParameters(unsigned seed, float windDirection, float windSpeed, float waveHeight,
                                   float windInfluence, float choppiness, float damping) {
  windSpeed_ = windSpeed;
  waveHeight_ = waveHeight;
  windInfluence_ = windInfluence;
  choppiness_ = FiniteOr(choppiness, 0.0f);
  damping_ = damping;
  windCos_ = std::cos(windDirection);
  windSin_ = std::sin(windDirection);
  largestWave_ = windSpeed * windSpeed / static_cast<float>(kGravity);
  smallestWave_ = largestWave_ * damping;
  random_.Seed(seed);

  const int half = kSize / 2;
  for (int r = -half; r <= half; ++r) {
    for (int c = -half; c <= half; ++c) {
      const float x1 = random_.Gaussian();
      const float x2 = random_.Gaussian();
      const double kr = 2.0 * kPi * r, kc = 2.0 * kPi * c;
      double k = std::sqrt(kr * kr + kc * kc);
      if (k < kSmallestWaveNumber) k = kSmallestWaveNumber;
      const double along = (kr / k) * windSin_ + (kc / k) * windCos_;
      // Waves against the wind grow like those with it: the direction term
      // is raised to the influence by its size, which is what an even
      // influence does and keeps any other influence defined.
      const double direction = std::pow(std::fabs(along), static_cast<double>(windInfluence_));
      const double kl = k * largestWave_, ks = k * smallestWave_;
      const double power = direction * std::exp(-1.0 / (kl * kl) - ks * ks) * waveHeight_ / (k * k * k * k);
      double a = std::sqrt(power) / std::sqrt(2.0);
      // A speed of zero, a negative height or numbers that are not finite
      // leave this wave number calm.
      if (!(a > 0.0) || !std::isfinite(a)) a = 0.0;
      if (a > kLargestAmplitude) a = kLargestAmplitude;
      h0_[(r + half) * kSpectrumSize + (c + half)] = Complex(static_cast<float>(x2 * a), static_cast<float>(x1 * a));
    }
  }
  for (int r = -half; r < half; ++r) {
    for (int c = -half; c < half; ++c) {
      const double kr = 2.0 * kPi * r, kc = 2.0 * kPi * c;
      const double k = std::sqrt(kr * kr + kc * kc);
      const int e = (r + half) * kSize + (c + half);
      inverseLengths_[e] = static_cast<float>(1.0 / std::max(k, kSmallestWaveNumber));
      frequencies_[e] = static_cast<float>(std::sqrt(kGravity * k));
    }
  }
}

void OceanWaveField::Update(float time) {
  const float t = FiniteOr(time, 0.0f);
  const int half = kSize / 2;
  for (int r = -half; r < half; ++r) {
    for (int c = -half; c < half; ++c) {
      const int e = (r + half) * kSize + (c + half);
      const int f = Index(c, r);
      const Complex a = h0_[(r + half) * kSpectrumSize + (c + half)];
      const Complex b = h0_[(half - r) * kSpectrumSize + (half - c)];
      const float w = t * frequencies_[e];
      const float cw = std::cos(w), sw = std::sin(w);
      // a e^(iw) + conj(b) e^(-iw): the field of a wave number and of its
      // opposite are conjugate, so the transformed field is real.
      const Complex h((a.real() + b.real()) * cw - (a.imag() + b.imag()) * sw,
                      (a.imag() - b.imag()) * cw + (a.real() - b.real()) * sw);
      heights_[f] = h;
      const float kc = static_cast<float>(2.0 * kPi * c), kr = static_cast<float>(2.0 * kPi * r);
      const float q = inverseLengths_[e];
      // Two real fields in one: x in the real part, z in the imaginary.
      slopes_[f] = Complex(-kc * h.imag() - kr * h.real(), kc * h.real() - kr * h.imag());
      displacements_[f] = Complex(kc * q * h.imag() + kr * q * h.real(), kr * q * h.imag() - kc * q * h.real());
    }
  }
  Transform(heights_);
  Transform(slopes_);
  Transform(displacements_);
}

void OceanWaveField::Transform(std::vector<Complex>& field) {
  for (int row = 0; row < kSize; ++row) Transform64(field.data() + row * kSize, 1);
  for (int column = 0; column < kSize; ++column) Transform64(field.data() + column, kSize);
}

// X[k] = sum over n of x[n] exp(-2 pi i n k / 64), radix 2, in place on the
// 64 values `step` apart.
void OceanWaveField::Transform64(Complex* x, int step) {
  for (int i = 0, j = 0; i < kSize - 1; ++i) {
    if (i < j) std::swap(x[i * step], x[j * step]);
    int bit = kSize >> 1;
    while (bit <= j) {
      j -= bit;
      bit >>= 1;
    }
    j += bit;
  }
  double c1 = -1.0, c2 = 0.0;
  for (int span = 1; span < kSize; span <<= 1) {
    double ur = 1.0, ui = 0.0;
    for (int m = 0; m < span; ++m) {
      for (int i = m; i < kSize; i += 2 * span) {
        Complex& top = x[i * step];
        Complex& bottom = x[(i + span) * step];
        const Complex turned(static_cast<float>(ur * bottom.real() - ui * bottom.imag()),
                             static_cast<float>(ur * bottom.imag() + ui * bottom.real()));
        bottom = top - turned;
        top += turned;
      }
      const double next = ur * c1 - ui * c2;
      ui = ur * c2 + ui * c1;
      ur = next;
    }
    c2 = -std::sqrt((1.0 - c1) / 2.0);
    c1 = std::sqrt((1.0 + c1) / 2.0);
  }
}
