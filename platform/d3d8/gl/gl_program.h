// The one GLSL program of the GL renderer and the two uniform blocks it reads. Both blocks use
// the std140 layout with only vec4, ivec4 and mat4 members, so the C++ records below match it
// member for member.
#ifndef ZENTU_PLATFORM_D3D8_GL_GL_PROGRAM_H
#define ZENTU_PLATFORM_D3D8_GL_GL_PROGRAM_H

#include <epoxy/gl.h>

#include <cstdint>
#include <string>

#include "platform/d3d8/gl/renderer.h"

namespace zentu {

// Vertex attribute locations.
enum : GLuint {
  kAttribPosition = 0,
  kAttribNormal = 1,
  kAttribPointSize = 2,
  kAttribDiffuse = 3,
  kAttribSpecular = 4,
  kAttribTexCoord0 = 5,  // eight sets: 5 to 12
};

// Material and light colour sources, as the shader reads them.
enum : int32_t { kSourceMaterial = 0, kSourceDiffuse = 1, kSourceSpecular = 2 };

struct alignas(16) DrawBlock {
  float worldView[16];
  float projection[16];
  float normalMatrix[16];
  float textureMatrix[kRenderStages][16];
  float matDiffuse[4];
  float matAmbient[4];
  float matSpecular[4];
  float matEmissive[4];
  float globalAmbient[4];
  float textureFactor[4];
  float fogColor[4];
  float fogParams[4];                    // start, end, density, material power
  float viewport[4];                     // x, y, width, height: pre-transformed vertices
  float pixelCentre[4];                  // NDC shift that puts pixel centres where the device has them
  float pointParams[4];                  // size, minimum, maximum
  int32_t lighting[4];                   // on, normalize normals, specular enable, local viewer
  int32_t sources[4];                    // diffuse, ambient, specular, emissive
  int32_t fog[4];                        // enabled, table mode, vertex mode, range fog
  int32_t vertex[4];                     // has normal, has diffuse, has specular, pre-transformed
  int32_t stageColor[kRenderStages][4];  // op, arg1, arg2, texture coordinate set
  int32_t texGen[kRenderStages][4];      // generation (0 the set, 1 normal, 2 position, 3 reflection),
                                         // floats in the set, transform count (0 none), projected
  int32_t stageAlpha[kRenderStages][4];  // op, arg1, arg2
  int32_t alphaTest[4];                  // function (0 off), reference, has point size, light count
  int32_t shading[4];                    // flat
};

struct alignas(16) LightBlockEntry {
  float diffuse[4];
  float specular[4];
  float ambient[4];
  float position[4];     // view space, range
  float direction[4];    // view space (towards where the light shines), type
  float attenuation[4];  // a0, a1, a2, falloff
  float spot[4];         // cos(theta / 2), cos(phi / 2)
};

struct alignas(16) LightBlock {
  LightBlockEntry lights[kRenderLights];
};

constexpr GLuint kDrawBlockBinding = 0;
constexpr GLuint kLightBlockBinding = 1;

// Compiles and links the program and binds its blocks and samplers; 0 with `error` on failure.
GLuint buildFixedFunctionProgram(std::string& error);

}  // namespace zentu

#endif
