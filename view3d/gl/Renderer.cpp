#include "view3d/gl/Renderer.h"

#include "view3d/BandedMeshBuild.h"
#include "view3d/Projection.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <algorithm>
#include <new>
#include <vector>

#ifndef GL_DEPTH_CLAMP
#define GL_DEPTH_CLAMP 0x864F
#endif

namespace orvane::view3d {

namespace {

// Change requests made while drawing (none are expected) must not schedule another frame.
class RenderingGuard {
public:
    explicit RenderingGuard(ChangeNotifier& n) : notifier_(n) { notifier_.SetRendering(true); }
    ~RenderingGuard() { notifier_.SetRendering(false); }
    RenderingGuard(const RenderingGuard&) = delete;
    RenderingGuard& operator=(const RenderingGuard&) = delete;

private:
    ChangeNotifier& notifier_;
};

void ApplyFace(GLenum face, const FaceProperties& p) {
    glMaterialfv(face, GL_AMBIENT, p.Ambient.V);
    glMaterialfv(face, GL_DIFFUSE, p.Diffuse.V);
    glMaterialfv(face, GL_SPECULAR, p.Specular.V);
    glMaterialfv(face, GL_EMISSION, p.Emission.V);
    glMaterialf(face, GL_SHININESS, p.Shininess);
}

GLint TextureEnvMode(TextureMode mode) {
    switch (mode) {
    case TextureMode::Decal:
        return GL_DECAL;
    case TextureMode::Modulate:
        return GL_MODULATE;
    case TextureMode::Blend:
        return GL_BLEND;
    case TextureMode::Add:
        return GL_ADD;
    case TextureMode::Replace:
        break;
    }
    return GL_REPLACE;
}

bool HasDepthClamp() {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (!ctx) {
        return false;
    }
    const QSurfaceFormat f = ctx->format();
    return f.version() >= qMakePair(3, 2) || ctx->hasExtension("GL_ARB_depth_clamp");
}

} // namespace

SceneRenderer::SceneRenderer(ReliefPath path)
    : path_(path), fullMesh_(path == ReliefPath::OnePassDisplayList ? MeshPath::DisplayList
                                                                    : MeshPath::VertexBuffer) {}

void SceneRenderer::SetupContextState(const Scene& scene) {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, scene.AmbientColor.V);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glShadeModel(GL_SMOOTH);
    // The height field's z scale stretches the normals; GL renormalises them.
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_FOG);
    if (HasDepthClamp()) {
        glDisable(GL_DEPTH_CLAMP);
    }
    GLint blueBits = 8;
    glGetIntegerv(GL_BLUE_BITS, &blueBits);
    if (blueBits < 8) {
        glEnable(GL_DITHER);
    } else {
        glDisable(GL_DITHER);
    }

    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    QOpenGLFunctions* f = ctx ? ctx->functions() : nullptr;
    glMatrixMode(GL_TEXTURE);
    for (GLint i = 0; i < std::max(units, 1); ++i) {
        if (f) {
            f->glActiveTexture(GL_TEXTURE0 + i);
        } else if (i > 0) {
            break;
        }
        glLoadIdentity();
    }
    if (f) {
        f->glActiveTexture(GL_TEXTURE0);
    }
}

void SceneRenderer::SetupLights(Scene& scene, const float* view) {
    GLint maxLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    glMatrixMode(GL_MODELVIEW);
    int n = 0;
    for (LightSource* light : scene.Lights()) {
        if (n >= maxLights) {
            break;
        }
        const GLenum id = GL_LIGHT0 + n;
        ++n;
        if (!light->Shining()) {
            glDisable(id);
            continue;
        }
        glEnable(id);
        glLoadMatrixf(view);
        if (light->Parent()) {
            glMultMatrixf(light->Parent()->AbsoluteMatrix().Data());
        }
        const Vector4f& p = light->position.AsVector();
        const GLfloat pos[4] = {p[0], p[1], p[2], 1.0f};
        glLightfv(id, GL_POSITION, pos);
        glLightfv(id, GL_AMBIENT, light->Ambient().V);
        glLightfv(id, GL_DIFFUSE, light->Diffuse().V);
        glLightfv(id, GL_SPECULAR, light->Specular().V);
        glLightf(id, GL_CONSTANT_ATTENUATION, light->ConstAttenuation());
        glLightf(id, GL_LINEAR_ATTENUATION, light->LinearAttenuation());
        glLightf(id, GL_QUADRATIC_ATTENUATION, light->QuadraticAttenuation());
        glLightf(id, GL_SPOT_EXPONENT, light->SpotExponent());
        glLightf(id, GL_SPOT_CUTOFF, light->SpotCutOff());
    }
    for (; n < maxLights; ++n) {
        glDisable(GL_LIGHT0 + n);
    }
    glLoadMatrixf(view);
}

void SceneRenderer::DrawHeightField(HeightField& heightField) {
    const Material& mat = heightField.material;
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    ApplyFace(GL_FRONT, mat.FrontProperties());
    ApplyFace(GL_BACK, mat.BackProperties());
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);

    PrepareMeshes(heightField);
    const bool coarse = inMotion_ && !coarseMesh_.Empty();
    const CompiledMesh& mesh = coarse ? coarseMesh_ : fullMesh_;
    // A picture laid on the relief wins over its colours by height.
    const bool textured = BeginTexture(mat.texture);
    const bool coloured = !textured && BeginHeightColours(mat);
    if (!mesh.Empty()) {
        mesh.Draw();
        ++(coarse ? coarseDraws_ : fullDraws_);
        lastDrawCoarse_ = coarse;
    }
    if (textured) {
        EndTexture();
    }
    if (coloured) {
        EndHeightColours();
    }
}

bool SceneRenderer::BeginHeightColours(const Material& material) {
    const HeightColours& colours = material.heightColours;
    if (!colours.Enabled()) {
        ReleaseHeightColours();
        return false;
    }
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx) {
        ctx->functions()->glActiveTexture(GL_TEXTURE0);
    }
    if (heightColours_ == 0) {
        glGenTextures(1, &heightColours_);
        heightColoursRevision_ = 0;
    }
    if (heightColours_ == 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_1D, heightColours_);
    if (heightColoursRevision_ != colours.Revision()) {
        std::vector<GLubyte> texels;
        texels.reserve(colours.Colours().size() * 3);
        for (std::uint32_t c : colours.Colours()) {
            texels.push_back(static_cast<GLubyte>(c >> 16));
            texels.push_back(static_cast<GLubyte>(c >> 8));
            texels.push_back(static_cast<GLubyte>(c));
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, static_cast<GLsizei>(colours.Colours().size()), 0,
                     GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        heightColoursRevision_ = colours.Revision();
        ++heightColoursUploads_;
    }
    glEnable(GL_TEXTURE_1D);
    // The lighting shades the colours: a white material lets them show as they are.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    FaceProperties front = material.FrontProperties();
    FaceProperties back = material.BackProperties();
    for (FaceProperties* face : {&front, &back}) {
        face->Ambient = {1, 1, 1, 1};
        face->Diffuse = {1, 1, 1, 1};
    }
    ApplyFace(GL_FRONT, front);
    ApplyFace(GL_BACK, back);
    // s follows the mesh's own height, whatever the z scale of the Z depth bar.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, colours.Plane().V);
    glEnable(GL_TEXTURE_GEN_S);
    return true;
}

void SceneRenderer::EndHeightColours() {
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_GEN_S);
}

void SceneRenderer::ReleaseHeightColours() {
    if (heightColours_ != 0) {
        glDeleteTextures(1, &heightColours_);
    }
    heightColours_ = 0;
    heightColoursRevision_ = 0;
}

void SceneRenderer::PrepareMeshes(const HeightField& heightField) {
    if (meshRevision_ == heightField.StructureRevision()) {
        return;
    }
    // Marked built first: a mesh too large for memory is not tried again every frame.
    meshRevision_ = heightField.StructureRevision();
    ++meshBuilds_;
    try {
        if (path_ == ReliefPath::OnePassDisplayList) {
            fullMesh_.CompileOnePass(heightField);
            return;
        }
        const int stride = CoarseMeshStride(HeightFieldGridSize(heightField));
        if (stride > 1) {
            coarseMesh_.Compile(MeshLayout(heightField, stride));
        } else {
            coarseMesh_.Release();
        }
        fullMesh_.Compile(MeshLayout(heightField));
    } catch (const std::bad_alloc&) {
        // Rows too large for memory: draw whatever was compiled rather than fail the frame.
    }
}

bool SceneRenderer::BeginTexture(const Texture& texture) {
    if (texture.Disabled()) {
        if (texture.Image().isNull() && texture_.Name() != 0) {
            // The picture was removed: give its texels back to the driver.
            texture_.Release();
        }
        return false;
    }
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx) {
        ctx->functions()->glActiveTexture(GL_TEXTURE0);
    }
    const TextureCaps caps = QueryTextureCaps();
    const unsigned name = texture_.Update(texture, caps);
    if (name == 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, TextureEnvMode(texture.Mode()));
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, texture.EnvColor().V);
    // Object planes act on the mesh's own (x, y, z, 1): with no z term the picture lies
    // straight down on the relief whatever the heights and the z scale.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, texture.MappingSCoordinates().V);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, texture.MappingTCoordinates().V);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    cubeMapGen_ = caps.CubeMap;
    if (cubeMapGen_) {
        static const GLfloat rPlane[4] = {0, 0, 1, 0};
        static const GLfloat qPlane[4] = {0, 0, 0, 1};
        glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGenfv(GL_R, GL_OBJECT_PLANE, rPlane);
        glTexGeni(GL_Q, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGenfv(GL_Q, GL_OBJECT_PLANE, qPlane);
        glEnable(GL_TEXTURE_GEN_R);
        glEnable(GL_TEXTURE_GEN_Q);
    }
    return true;
}

void SceneRenderer::EndTexture() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    if (cubeMapGen_) {
        glDisable(GL_TEXTURE_GEN_R);
        glDisable(GL_TEXTURE_GEN_Q);
    }
}

void SceneRenderer::DrawObject(SceneObject& object, const float* view) {
    if (!object.Visible()) {
        return;
    }
    if (auto* hf = dynamic_cast<HeightField*>(&object)) {
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LIGHTING_BIT);
        glPushMatrix();
        glLoadMatrixf(view);
        glMultMatrixf(hf->AbsoluteMatrix().Data());
        DrawHeightField(*hf);
        glPopMatrix();
        glPopAttrib();
    }
    // Lights, the target node and the camera have no geometry.
    for (SceneObject* child : object.Children()) {
        DrawObject(*child, view);
    }
}

void SceneRenderer::Render(Scene& scene, int width, int height, int deviceWidth, int deviceHeight) {
    RenderingGuard guard(scene.notifier);
    width = std::max(width, 1);
    height = std::max(height, 1);
    deviceWidth = std::max(deviceWidth, 1);
    deviceHeight = std::max(deviceHeight, 1);

    SetupContextState(scene);

    const Vector4f& bg = scene.BackgroundColor;
    glClearColor(bg[0], bg[1], bg[2], 1.0f);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glViewport(0, 0, deviceWidth, deviceHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const Camera& cam = scene.camera;
    Frustum frustum;
    const PerspectiveSettings settings{cam.FocalLength(), cam.SceneScale(), cam.NearPlaneBias(),
                                       cam.DepthOfView()};
    if (PerspectiveFrustum(width, height, settings, frustum)) {
        glMultMatrixf(FrustumMatrix(frustum).Data());
    }

    const Vector4f eye = cam.AbsolutePosition();
    Vector4f centre;
    if (cam.TargetObject()) {
        centre = cam.TargetObject()->AbsolutePosition();
    } else {
        const Matrix4f& m = cam.AbsoluteMatrix();
        centre = {eye[0] + m.M[2][0], eye[1] + m.M[2][1], eye[2] + m.M[2][2], 1};
    }
    const Matrix4f view = LookAtMatrix(eye, centre, cam.up.AsVector());

    SetupLights(scene, view.Data());

    glMatrixMode(GL_MODELVIEW);
    for (SceneObject* obj : scene.Objects()) {
        DrawObject(*obj, view.Data());
    }
    ++frames_;
}

void SceneRenderer::ReleaseGL() {
    texture_.Release();
    ReleaseHeightColours();
    fullMesh_.Release();
    coarseMesh_.Release();
    meshRevision_ = 0;
}

} // namespace orvane::view3d
