// OceanWaveField: a statistical sea. A spectrum of wave amplitudes is drawn
// once from the wind parameters (random, but the same for the same seed);
// Update advances every wave number to a time and turns heights, slopes and
// horizontal displacements into 64 x 64 periodic fields with a Fourier
// transform. The grid accessors read (j, i) periodically, so row and column
// 64 repeat 0 and tiles meet without a seam.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

class OceanWaveField {
 public:
  static constexpr int kSize = 64;
  static constexpr int kSpectrumSize = kSize + 1;
  static constexpr unsigned kDefaultSeed = 4357;

  OceanWaveField();

  // Rebuilds the spectrum. Values that would make no sense (a wind speed of
  // zero, non-finite numbers, a negative wave height) give a calm sea, never
  // a NaN or infinity.
  void SetParameters(unsigned seed, float windDirection, float windSpeed, float waveHeight, float windInfluence,
                     float choppiness, float damping);
  // The sea at `time` (a non-finite time counts as 0).
  void Update(float time);

  float GetHeight(int j, int i) const { return heights_[Index(j, i)].real(); }
  float GetDisplacementX(int j, int i) const { return displacements_[Index(j, i)].real() * choppiness_; }
  float GetDisplacementZ(int j, int i) const { return displacements_[Index(j, i)].imag() * choppiness_; }
  float GetSlopeX(int j, int i) const { return slopes_[Index(j, i)].real(); }
  float GetSlopeZ(int j, int i) const { return slopes_[Index(j, i)].imag(); }

 private:
  using Complex = std::complex<float>;

  // A Mersenne twister of our own: the same numbers on every platform and
  // standard library for a seed.
  class Random {
   public:
    void Seed(uint32_t seed);
    uint32_t Next();
    // Normally distributed, mean 0, deviation 1 (polar method).
    float Gaussian();

   private:
    uint32_t state_[624] = {};
    int next_ = 624;
  };

  static int Index(int j, int i) {
    const int row = ((i % kSize) + kSize) % kSize;
    const int column = ((j % kSize) + kSize) % kSize;
    return row * kSize + column;
  }
  // Every row, then every column, replaced by its 64-point transform.
  static void Transform(std::vector<Complex>& field);
  static void Transform64(Complex* values, int step);

  std::vector<Complex> h0_;
  std::vector<Complex> heights_;
  std::vector<Complex> displacements_;
  std::vector<Complex> slopes_;
  std::vector<float> frequencies_;
  std::vector<float> inverseLengths_;
  float windCos_ = 0, windSin_ = 0;
  float windSpeed_ = 0;
  float largestWave_ = 0;
  float smallestWave_ = 0;
  float waveHeight_ = 0;
  float windInfluence_ = 0;
  float choppiness_ = 0;
  float damping_ = 0;
  Random random_;
};
