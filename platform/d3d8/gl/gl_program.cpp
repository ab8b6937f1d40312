// The fixed-function pipeline as one GLSL program: per-vertex lighting in view space with the
// material and light colours, the texture stage cascade of stages 0 and 1, specular add, fog
// (per pixel from eye depth, or per vertex) and alpha test. Every mode is a uniform, so one
// program serves every state and drawing never waits for a compile.
#include "platform/d3d8/gl/gl_program.h"

#include <vector>

namespace zentu {
namespace {

const char kBlocks[] = R"(#version 330 core
layout(std140) uniform DrawBlock {
  mat4 worldView;
  mat4 projection;
  mat4 normalMatrix;
  mat4 textureMatrix[2];
  vec4 matDiffuse;
  vec4 matAmbient;
  vec4 matSpecular;
  vec4 matEmissive;
  vec4 globalAmbient;
  vec4 textureFactor;
  vec4 fogColor;
  vec4 fogParams;
  vec4 viewportRect;
  vec4 pixelCentre;
  vec4 pointParams;
  ivec4 lighting;
  ivec4 sources;
  ivec4 fog;
  ivec4 vertexInfo;
  ivec4 stageColor[2];
  ivec4 texGen[2];
  ivec4 stageAlpha[2];
  ivec4 alphaTest;
  ivec4 shading;
};
struct Light {
  vec4 diffuse;
  vec4 specular;
  vec4 ambient;
  vec4 position;
  vec4 direction;
  vec4 attenuation;
  vec4 spot;
};
layout(std140) uniform LightBlock { Light lights[8]; };

// Fog factor: 1 leaves the colour, 0 is all fog colour.
float fogFactor(int mode, float depth) {
  if (mode == 3) {
    float range = fogParams.y - fogParams.x;
    return range != 0.0 ? (fogParams.y - depth) / range : (depth < fogParams.y ? 1.0 : 0.0);
  }
  float d = depth * fogParams.z;
  if (mode == 1) return exp(-d);
  if (mode == 2) return exp(-d * d);
  return 1.0;
}
)";

const char kVertex[] = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in float aPointSize;
layout(location = 3) in vec4 aDiffuse;
layout(location = 4) in vec4 aSpecular;
layout(location = 5) in vec4 aTex[8];
out vec4 vDiffuse;
out vec4 vSpecular;
flat out vec4 vDiffuseFlat;
flat out vec4 vSpecularFlat;
out vec4 vTex0;
out vec4 vTex1;
out float vFogDepth;
out float vVertexFog;

vec4 texSet(int i) {
  switch (i) {
    case 0: return aTex[0];
    case 1: return aTex[1];
    case 2: return aTex[2];
    case 3: return aTex[3];
    case 4: return aTex[4];
    case 5: return aTex[5];
    case 6: return aTex[6];
    default: return aTex[7];
  }
}

// The stage's texture coordinates: a vertex set, or generated in camera space, then through the
// stage's transform. A set of n floats reads as (n floats, 1, 0...), as the transform expects.
vec4 stageCoords(int s, vec3 viewPos, vec3 viewNormal) {
  ivec4 g = texGen[s];
  vec4 tc;
  if (g.x == 1) {
    tc = vec4(viewNormal, 1.0);
  } else if (g.x == 2) {
    tc = vec4(viewPos, 1.0);
  } else if (g.x == 3) {
    tc = vec4(reflect(normalize(viewPos), viewNormal), 1.0);
  } else {
    tc = texSet(stageColor[s].w);
    if (g.y == 1) tc = vec4(tc.x, 1.0, 0.0, 0.0);
    else if (g.y == 2) tc = vec4(tc.xy, 1.0, 0.0);
    else if (g.y == 3) tc = vec4(tc.xyz, 1.0);
  }
  if (g.z != 0) tc = textureMatrix[s] * tc;
  return tc;
}

vec4 pick(int source, vec4 material) {
  if (source == 1) return aDiffuse;
  if (source == 2) return aSpecular;
  return material;
}

void main() {
  vec3 viewPos;
  bool transformed = vertexInfo.w != 0;
  if (transformed) {
    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
    vec2 ndc = vec2((aPosition.x - viewportRect.x) / viewportRect.z * 2.0 - 1.0,
                    1.0 - (aPosition.y - viewportRect.y) / viewportRect.w * 2.0);
    gl_Position = vec4(ndc * w, aPosition.z * w, w);
    viewPos = vec3(0.0, 0.0, w);
  } else {
    vec4 p = worldView * vec4(aPosition.xyz, 1.0);
    viewPos = p.xyz;
    gl_Position = projection * p;
  }
  gl_Position.xy += pixelCentre.xy * gl_Position.w;

  vec4 diffuse = vertexInfo.y != 0 ? aDiffuse : vec4(1.0);
  vec4 specular = vertexInfo.z != 0 ? aSpecular : vec4(0.0);
  vec3 n = (normalMatrix * vec4(aNormal, 0.0)).xyz;
  if (lighting.y != 0 && dot(n, n) > 0.0) n = normalize(n);
  if (lighting.x != 0 && !transformed) {
    vec4 md = pick(sources.x, matDiffuse);
    vec4 ma = pick(sources.y, matAmbient);
    vec4 ms = pick(sources.z, matSpecular);
    vec4 me = pick(sources.w, matEmissive);
    vec3 toViewer = lighting.w != 0 ? normalize(-viewPos) : vec3(0.0, 0.0, -1.0);
    vec3 ambient = vec3(0.0);
    vec3 lit = vec3(0.0);
    vec3 shine = vec3(0.0);
    for (int i = 0; i < alphaTest.w; ++i) {
      int type = int(lights[i].direction.w);
      vec3 toLight;
      float atten = 1.0;
      if (type == 3) {
        toLight = -normalize(lights[i].direction.xyz);
      } else {
        vec3 d = lights[i].position.xyz - viewPos;
        float dist = length(d);
        if (dist > lights[i].position.w) continue;
        toLight = dist > 0.0 ? d / dist : vec3(0.0);
        vec4 a = lights[i].attenuation;
        float denom = a.x + a.y * dist + a.z * dist * dist;
        atten = denom > 0.0 ? 1.0 / denom : 1.0;
        if (type == 2) {
          float rho = dot(normalize(lights[i].direction.xyz), -toLight);
          float cosTheta = lights[i].spot.x;
          float cosPhi = lights[i].spot.y;
          float spot = 1.0;
          if (rho <= cosPhi) {
            spot = 0.0;
          } else if (rho <= cosTheta) {
            float t = (rho - cosPhi) / max(cosTheta - cosPhi, 1e-6);
            spot = a.w == 1.0 ? t : pow(t, a.w);
          }
          atten *= spot;
        }
      }
      ambient += lights[i].ambient.rgb * atten;
      float nDotL = dot(n, toLight);
      if (nDotL > 0.0) {
        lit += lights[i].diffuse.rgb * (nDotL * atten);
        if (lighting.z != 0) {
          vec3 h = normalize(toViewer + toLight);
          float nDotH = max(dot(n, h), 0.0);
          float power = fogParams.w > 0.0 ? pow(nDotH, fogParams.w) : 1.0;
          shine += lights[i].specular.rgb * (power * atten);
        }
      }
    }
    diffuse.rgb = clamp(me.rgb + ma.rgb * (globalAmbient.rgb + ambient) + md.rgb * lit, 0.0, 1.0);
    diffuse.a = clamp(md.a, 0.0, 1.0);
    specular.rgb = clamp(ms.rgb * shine, 0.0, 1.0);
    specular.a = vertexInfo.z != 0 ? aSpecular.a : 1.0;
  }
  vDiffuse = diffuse;
  vSpecular = specular;
  vDiffuseFlat = diffuse;
  vSpecularFlat = specular;
  vTex0 = stageCoords(0, viewPos, n);
  vTex1 = stageCoords(1, viewPos, n);
  vFogDepth = abs(viewPos.z);
  if (fog.z != 0 && !transformed) {
    vVertexFog = clamp(fogFactor(fog.z, fog.w != 0 ? length(viewPos) : abs(viewPos.z)), 0.0, 1.0);
  } else {
    vVertexFog = vertexInfo.z != 0 ? aSpecular.a : 1.0;
  }
  float size = alphaTest.z != 0 ? aPointSize : pointParams.x;
  gl_PointSize = clamp(size, pointParams.y, pointParams.z);
}
)";

const char kFragment[] = R"(
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
in vec4 vDiffuse;
in vec4 vSpecular;
flat in vec4 vDiffuseFlat;
flat in vec4 vSpecularFlat;
in vec4 vTex0;
in vec4 vTex1;
in float vFogDepth;
in float vVertexFog;
out vec4 fragColor;

vec4 argument(int a, vec4 tex, vec4 current, vec4 diffuse, vec4 specular) {
  int which = a & 15;
  vec4 v = current;
  if (which == 0) v = diffuse;
  else if (which == 2) v = tex;
  else if (which == 3) v = textureFactor;
  else if (which == 4) v = specular;
  if ((a & 16) != 0) v = vec4(1.0) - v;
  if ((a & 32) != 0) v = vec4(v.a);
  return v;
}

vec4 combine(int op, vec4 a1, vec4 a2, vec4 tex, vec4 current, vec4 diffuse) {
  switch (op) {
    case 2: return a1;
    case 3: return a2;
    case 4: return a1 * a2;
    case 5: return 2.0 * a1 * a2;
    case 6: return 4.0 * a1 * a2;
    case 7: return a1 + a2;
    case 8: return a1 + a2 - 0.5;
    case 9: return 2.0 * (a1 + a2 - 0.5);
    case 10: return a1 - a2;
    case 11: return a1 + a2 - a1 * a2;
    case 12: return mix(a2, a1, diffuse.a);
    case 13: return mix(a2, a1, tex.a);
    case 14: return mix(a2, a1, textureFactor.a);
    case 15: return a1 + a2 * (1.0 - tex.a);
    case 16: return mix(a2, a1, current.a);
    case 18: return vec4(a1.rgb + a1.a * a2.rgb, a1.a);
    case 19: return vec4(a1.rgb * a2.rgb, a1.a + a2.a);
    case 20: return vec4(a1.rgb + (1.0 - a1.a) * a2.rgb, a1.a);
    case 21: return vec4((vec3(1.0) - a1.rgb) * a2.rgb, a1.a + a2.a);
    case 24: return vec4(clamp(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5), 0.0, 1.0));
    default: return a1 * a2;
  }
}

// Projected coordinates divide by their last counted component, per pixel.
vec2 stageUv(int s, vec4 tc) {
  ivec4 g = texGen[s];
  if (g.z == 0 || g.w == 0) return tc.xy;
  float q = g.z == 1 ? tc.x : g.z == 2 ? tc.y : g.z == 3 ? tc.z : tc.w;
  return q != 0.0 ? tc.xy / q : tc.xy;
}

bool passes(int func, int value, int reference) {
  switch (func) {
    case 1: return false;
    case 2: return value < reference;
    case 3: return value == reference;
    case 4: return value <= reference;
    case 5: return value > reference;
    case 6: return value != reference;
    case 7: return value >= reference;
    default: return true;
  }
}

void main() {
  vec4 diffuse = shading.x != 0 ? vDiffuseFlat : vDiffuse;
  vec4 specular = shading.x != 0 ? vSpecularFlat : vSpecular;
  vec4 current = diffuse;
  for (int s = 0; s < 2; ++s) {
    int colorOp = stageColor[s].x;
    if (colorOp == 1) break;
    vec4 tex = s == 0 ? texture(uTexture0, stageUv(0, vTex0)) : texture(uTexture1, stageUv(1, vTex1));
    vec4 c = combine(colorOp, argument(stageColor[s].y, tex, current, diffuse, specular),
                     argument(stageColor[s].z, tex, current, diffuse, specular), tex, current, diffuse);
    float alpha = current.a;
    int alphaOp = stageAlpha[s].x;
    if (alphaOp != 1) {
      alpha = combine(alphaOp, argument(stageAlpha[s].y, tex, current, diffuse, specular),
                      argument(stageAlpha[s].z, tex, current, diffuse, specular), tex, current, diffuse).a;
    }
    current = clamp(vec4(c.rgb, alpha), 0.0, 1.0);
  }
  if (lighting.z != 0) current.rgb = min(current.rgb + specular.rgb, vec3(1.0));
  if (fog.x != 0) {
    float f = fog.y != 0 ? clamp(fogFactor(fog.y, vFogDepth), 0.0, 1.0) : vVertexFog;
    current.rgb = mix(fogColor.rgb, current.rgb, f);
  }
  if (alphaTest.x != 0 && !passes(alphaTest.x, int(current.a * 255.0 + 0.5), alphaTest.y)) discard;
  fragColor = current;
}
)";

GLuint compile(GLenum type, const char* body, std::string& error) {
  GLuint shader = glCreateShader(type);
  const char* sources[2] = {kBlocks, body};
  glShaderSource(shader, 2, sources, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 1 ? length : 1));
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
    error = std::string(type == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + log.data();
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

GLuint buildFixedFunctionProgram(std::string& error) {
  GLuint vs = compile(GL_VERTEX_SHADER, kVertex, error);
  if (vs == 0) return 0;
  GLuint fs = compile(GL_FRAGMENT_SHADER, kFragment, error);
  if (fs == 0) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    error = std::string("link: ") + log;
    glDeleteProgram(program);
    return 0;
  }
  glUniformBlockBinding(program, glGetUniformBlockIndex(program, "DrawBlock"), kDrawBlockBinding);
  glUniformBlockBinding(program, glGetUniformBlockIndex(program, "LightBlock"), kLightBlockBinding);
  GLint size = 0;
  glGetActiveUniformBlockiv(program, glGetUniformBlockIndex(program, "DrawBlock"), GL_UNIFORM_BLOCK_DATA_SIZE,
                            &size);
  if (size != static_cast<GLint>(sizeof(DrawBlock))) {
    error = "uniform block layout differs from the renderer's";
    glDeleteProgram(program);
    return 0;
  }
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "uTexture0"), 0);
  glUniform1i(glGetUniformLocation(program, "uTexture1"), 1);
  return program;
}

}  // namespace zentu
