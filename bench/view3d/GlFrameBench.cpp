// Display-list compile and frame time of a 1000 x 1000 sample relief, rendered into a
// 1000 x 700 framebuffer object of a compatibility-profile context. Needs an X server
// (xvfb-run -a). Prints wall-clock times including glFinish.
#include "view3d/HeightSource.h"
#include "view3d/Scene.h"
#include "view3d/TrackBarRules.h"
#include "view3d/gl/Renderer.h"

#include "view3d/gl/SurfaceFormat.h"
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace orvane::view3d;

namespace {
double Seconds(std::chrono::steady_clock::time_point a) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}
} // namespace

int main(int argc, char** argv) {
    UseCompatibilitySurfaceFormat();
    QGuiApplication app(argc, argv);

    QOpenGLContext ctx;
    ctx.setFormat(QSurfaceFormat::defaultFormat());
    if (!ctx.create()) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    QOffscreenSurface surface;
    surface.setFormat(ctx.format());
    surface.create();
    if (!ctx.makeCurrent(&surface)) {
        std::fprintf(stderr, "cannot make the context current\n");
        return 1;
    }
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    QOpenGLFramebufferObject fbo(1000, 700, QOpenGLFramebufferObject::Depth);
    fbo.bind();

    const int size = 2000;
    std::vector<std::uint8_t> levels(static_cast<size_t>(size) * size);
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            levels[static_cast<size_t>(r) * size + c] =
                static_cast<std::uint8_t>((r / 8 + c / 8) * 3);
        }
    }
    orvane::image::ImageModel src;
    src.SampleBuffer.reset(orvane::image::TryAllocate(levels.size()));
    std::copy(levels.begin(), levels.end(), src.SampleBuffer.get());
    src.ImageWidth = src.ImageHeight = src.SpanWidth = src.SpanHeight = size;
    src.Resolution = 1000;
    src.ZMin = 0;
    src.ZMax = 2;

    TGLScene scene;
    TGLHeightField& hf = scene.HeightField1;
    hf.XSamplingScale.SetMax(0.5f);
    hf.XSamplingScale.SetMin(-0.5f);
    hf.YSamplingScale.SetMax(0.5f);
    hf.YSamplingScale.SetMin(-0.5f);
    hf.SetOnGetHeight([&src, &hf](float x, float y, float& z, TVector4f&, TTexPoint&) {
        HeightField1GetHeight(src, hf, x, y, z);
    });
    scene.GLCamera1.Position.SetPoint(-1.5f, 1.5f, 1.5f);
    ApplyResolutionPosition(hf, 100);
    ApplyZDepthPosition(scene, 5);
    hf.SetVisible(true);

    TGLSceneRenderer renderer;
    auto t = std::chrono::steady_clock::now();
    renderer.Render(scene, 1000, 700, 1000, 700);
    glFinish();
    const double first = Seconds(t);

    const int frames = 5;
    t = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        scene.GLCamera1.MoveAroundTarget(0, 2);
        renderer.Render(scene, 1000, 700, 1000, 700);
        glFinish();
    }
    const double frame = Seconds(t) / frames;

    std::printf("mesh builds          %d\n", renderer.MeshBuildCount());
    std::printf("first frame          %.1f ms (build + compile + draw)\n", first * 1e3);
    std::printf("frame from the list  %.1f ms (mean of %d)\n", frame * 1e3, frames);
    std::printf("compile estimate     %.1f ms (first - frame)\n", (first - frame) * 1e3);
    renderer.ReleaseGL();
    fbo.release();
    ctx.doneCurrent();
    return 0;
}
