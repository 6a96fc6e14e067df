// One update of the ocean's wave field (64 x 64: every wave number advanced
// in time, then heights, slopes and displacements transformed with the
// radix-2 transform) beside the same work in plain C++ done the direct way
// (each 64-point transform as a sum of 64 products per value, in double).
// The closing line gives milliseconds per update and their ratio.
#include <benchmark/benchmark.h>

#include "median_reporter.h"
#include "ocean_wave_field.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <vector>

namespace {

constexpr int N = OceanWaveField::kSize;
using Complex = std::complex<double>;

// The direct way: the same spectrum size, the same three fields.
class DirectOcean {
 public:
  DirectOcean() : h0_(N * N), twiddle_(N) {
    const double pi = std::acos(-1.0);
    for (int k = 0; k < N * N; ++k) h0_[k] = Complex(std::sin(k * 0.37), std::cos(k * 0.11)) * 0.01;
    for (int k = 0; k < N; ++k) twiddle_[k] = std::polar(1.0, -2 * pi * k / N);
    for (auto* f : {&heights_, &slopes_, &displacements_}) f->resize(N * N);
  }
  void Update(double t) {
    const double pi = std::acos(-1.0);
    for (int r = 0; r < N; ++r)
      for (int c = 0; c < N; ++c) {
        const double kr = 2 * pi * (r - N / 2), kc = 2 * pi * (c - N / 2);
        const double k = std::sqrt(kr * kr + kc * kc);
        const Complex a = h0_[r * N + c], b = h0_[((N - r) % N) * N + (N - c) % N];
        const Complex h = a * std::polar(1.0, t * std::sqrt(9.81 * k)) + std::conj(b) * std::polar(1.0, -t * std::sqrt(9.81 * k));
        const double q = k > 0 ? 1 / k : 0;
        heights_[r * N + c] = h;
        slopes_[r * N + c] = Complex(0, kc) * h + Complex(0, kr) * Complex(0, 1) * h;
        displacements_[r * N + c] = Complex(kr * q, -kc * q) * h;
      }
    for (auto* f : {&heights_, &slopes_, &displacements_}) Transform(*f);
  }
  const std::vector<Complex>& Heights() const { return heights_; }

 private:
  void Transform(std::vector<Complex>& f) {
    std::vector<Complex> line(N);
    for (int pass = 0; pass < 2; ++pass)
      for (int l = 0; l < N; ++l) {
        auto at = [&](int n) -> Complex& { return pass == 0 ? f[l * N + n] : f[n * N + l]; };
        for (int k = 0; k < N; ++k) {
          Complex sum = 0;
          for (int n = 0; n < N; ++n) sum += at(n) * twiddle_[(n * k) % N];
          line[k] = sum;
        }
        for (int k = 0; k < N; ++k) at(k) = line[k];
      }
  }
  std::vector<Complex> h0_, heights_, slopes_, displacements_, twiddle_;
};

void BM_OceanFieldUpdate(benchmark::State& state) {
  OceanWaveField sea;
  float t = 0;
  for (auto _ : state) {
    sea.Update(t += 0.04f);
    benchmark::DoNotOptimize(sea.GetHeight(3, 5));
  }
}

void BM_OceanUpdateDirect(benchmark::State& state) {
  DirectOcean sea;
  double t = 0;
  for (auto _ : state) {
    sea.Update(t += 0.04);
    benchmark::DoNotOptimize(sea.Heights().data());
  }
}

BENCHMARK(BM_OceanFieldUpdate)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_OceanUpdateDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double field = reporter.Seconds("BM_OceanFieldUpdate"), direct = reporter.Seconds("BM_OceanUpdateDirect");
  if (field > 0 && direct > 0)
    std::printf("ocean field update 64x64: %.3f ms, direct plain C++ %.3f ms (field/direct %.3f)\n", field * 1e3,
                direct * 1e3, field / direct);
  benchmark::Shutdown();
  return 0;
}
