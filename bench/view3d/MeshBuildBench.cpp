// Mesh build at the finest resolution (about 1000 x 1000 samples from a 2000 x 2000
// buffer) against a floor loop that only reads the same heights and writes positions and
// normals. Prints the best of several runs of each and their ratio.
#include "view3d/HeightField.h"
#include "view3d/HeightSource.h"
#include "view3d/TrackBarRules.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace orvane::view3d;

namespace {

struct CountingSink : HeightFieldSink {
    long long Vertices = 0;
    double Sum = 0;
    void BeginMesh(bool) override {}
    void BeginStrip() override {}
    void Vertex(const float n[3], float x, float y, float z) override {
        ++Vertices;
        Sum += n[0] + x + y + z;
    }
    void EndStrip() override {}
};

double Seconds(std::chrono::steady_clock::time_point a) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

} // namespace

int main() {
    const int size = 2000;
    std::vector<std::uint8_t> levels(static_cast<size_t>(size) * size);
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            levels[static_cast<size_t>(r) * size + c] =
                static_cast<std::uint8_t>((r * 7 + c * 13) ^ (r >> 3));
        }
    }
    orvane::image::ImageModel src;
    src.SampleBuffer.reset(orvane::image::TryAllocate(levels.size()));
    std::copy(levels.begin(), levels.end(), src.SampleBuffer.get());
    src.ImageWidth = src.ImageHeight = src.SpanWidth = src.SpanHeight = size;
    src.Resolution = 1000;
    src.ZMin = 0;
    src.ZMax = 2;

    HeightField hf;
    hf.xSamplingScale.SetMax(0.5f);
    hf.xSamplingScale.SetMin(-0.5f);
    hf.ySamplingScale.SetMax(0.5f);
    hf.ySamplingScale.SetMin(-0.5f);
    ApplyResolutionPosition(hf, 100);
    const HeightFieldGetHeightEvent callback = [&src, &hf](float x, float y, float& z, Vector4f&,
                                                           TexPoint&) {
        ReliefHeight(src, hf, x, y, z);
    };
    hf.SetOnGetHeight(callback);

    const int runs = 5;
    double best = 1e9;
    long long vertices = 0;
    double checksum = 0;
    for (int i = 0; i < runs; ++i) {
        CountingSink sink;
        const auto t = std::chrono::steady_clock::now();
        hf.BuildList(sink);
        best = std::min(best, Seconds(t));
        vertices = sink.Vertices;
        checksum += sink.Sum;
    }

    // Floor: the same grid walk and callback, positions and normals stored, nothing else.
    const float xBase = hf.xSamplingScale.StepBase();
    const float yBase = hf.ySamplingScale.StepBase();
    const float xStep = hf.xSamplingScale.Step();
    const float yStep = hf.ySamplingScale.Step();
    const int cap = hf.xSamplingScale.MaxStepCount() + 1;
    std::vector<float> row(static_cast<size_t>(cap) * 6);
    double floorBest = 1e9;
    long long samples = 0;
    for (int i = 0; i < runs; ++i) {
        samples = 0;
        const auto t = std::chrono::steady_clock::now();
        for (float y = yBase; y <= 0.5f; y = y + yStep) {
            int k = 0;
            for (float x = xBase; x <= 0.5f && k < cap; x = x + xStep, ++k) {
                float z = 0;
                Vector4f colour;
                TexPoint tp{x, y};
                callback(x, y, z, colour, tp);
                float* out = &row[static_cast<size_t>(k) * 6];
                out[0] = x;
                out[1] = y;
                out[2] = z;
                out[3] = 0;
                out[4] = 0;
                out[5] = 1;
            }
            samples += k;
            checksum += row[0] + row[2];
        }
        floorBest = std::min(floorBest, Seconds(t));
    }

    std::printf("grid samples        %lld (vertices emitted %lld)\n", samples, vertices);
    std::printf("mesh build (best)   %.1f ms\n", best * 1e3);
    std::printf("floor loop (best)   %.1f ms\n", floorBest * 1e3);
    std::printf("ratio build/floor   %.2f (goal <= 1.5)\n", best / floorBest);
    std::printf("checksum            %g\n", checksum);
    return 0;
}
