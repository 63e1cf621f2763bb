#pragma once
// A square image's relief set up as the open routine does it: unit ranges,
// the start view, resolution 50 and Z depth 5 (scale 0.5). Levels of 1 mm
// pixels, heights 0..32 mm.
#include "image/ImageModel.h"
#include "view3d/HeightSource.h"
#include "view3d/ReliefSetup.h"
#include "view3d/Scene.h"
#include "view3d/TrackBarRules.h"

#include <algorithm>
#include <vector>

struct OpenedRelief {
    orvane::view3d::Scene Scene;
    orvane::image::ImageModel Src;

    OpenedRelief(int side, const std::vector<std::uint8_t>& levels) {
        using namespace orvane::view3d;
        Src.SampleBuffer.reset(orvane::image::TryAllocate(levels.size()));
        std::copy(levels.begin(), levels.end(), Src.SampleBuffer.get());
        Src.ImageWidth = Src.ImageHeight = Src.SpanWidth = Src.SpanHeight = side;
        Src.Resolution = 25.4f; // 1 mm pixels
        Src.ZMin = 0;
        Src.ZMax = 32;
        HeightField& hf = Scene.heightField;
        SetReliefRanges(hf, side, side);
        hf.SetOnGetHeight([this](float x, float y, float& z, Vector4f&, TexPoint&) {
            ReliefHeight(Src, Scene.heightField, x, y, z);
        });
        ResetView(Scene);
        ApplyResolutionPosition(hf, 50);
        ApplyZDepthPosition(Scene, 5);
        hf.SetVisible(true);
    }
};
