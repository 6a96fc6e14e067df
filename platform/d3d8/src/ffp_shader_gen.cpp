#include "ffp_shader_gen.h"

// Matrices reach the shaders as the row-major arrays Direct3D keeps; read as
// column-major by GLSL they are transposed, so `M * v` in GLSL is the row
// vector v times the Direct3D matrix M.

#include <sstream>
#include <string>
#include <vector>

namespace d3d8 {
namespace {

struct Varying {
  std::string type;
  std::string name;  // without prefix
  bool flat;
  bool noperspective;
};

const char* kComponents = "xyzw";

std::string MaterialSource(uint8_t source, const char* material) {
  switch (source) {
    case 1: return "vd";
    case 2: return "vs";
    default: return material;
  }
}

// The value of a stage argument as a vec4 expression.
std::string ArgExpr(uint8_t arg, int stage) {
  std::string v;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: v = "diffuse"; break;
    case D3DTA_CURRENT: v = "current"; break;
    case D3DTA_TEXTURE: v = "t" + std::to_string(stage); break;
    case D3DTA_TFACTOR: v = "uTFactor"; break;
    case D3DTA_SPECULAR: v = "specular"; break;
    case D3DTA_TEMP: v = "temp"; break;
    default: v = "current"; break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) v = "vec4(" + v + ".a)";
  if (arg & D3DTA_COMPLEMENT) v = "(vec4(1.0) - " + v + ")";
  return v;
}

// One operation on the components `c` (".rgb" or ".a") of the arguments.
std::string OpExpr(uint8_t op, const std::string a[3], const std::string& c, int stage) {
  auto A = [&](int i) { return "(" + a[i] + ")" + c; };
  const std::string t = "t" + std::to_string(stage);
  switch (op) {
    case D3DTOP_SELECTARG1: return A(1);
    case D3DTOP_SELECTARG2: return A(2);
    case D3DTOP_MODULATE: return A(1) + " * " + A(2);
    case D3DTOP_MODULATE2X: return A(1) + " * " + A(2) + " * 2.0";
    case D3DTOP_MODULATE4X: return A(1) + " * " + A(2) + " * 4.0";
    case D3DTOP_ADD: return A(1) + " + " + A(2);
    case D3DTOP_ADDSIGNED: return A(1) + " + " + A(2) + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(" + A(1) + " + " + A(2) + " - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return A(1) + " - " + A(2);
    case D3DTOP_ADDSMOOTH: return A(1) + " + " + A(2) + " - " + A(1) + " * " + A(2);
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + A(2) + ", " + A(1) + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + A(2) + ", " + A(1) + ", " + t + ".a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + A(2) + ", " + A(1) + ", uTFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return A(1) + " + " + A(2) + " * (1.0 - " + t + ".a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + A(2) + ", " + A(1) + ", current.a)";
    // Modulating with the next stage was rarely offered by hardware; the
    // stage passes its first argument on.
    case D3DTOP_PREMODULATE: return A(1);
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      return c == ".a" ? A(1) : A(1) + " + (" + a[1] + ").a * " + A(2);
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      return c == ".a" ? A(1) : A(1) + " * " + A(2) + " + (" + a[1] + ").a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      return c == ".a" ? A(1) : "(1.0 - (" + a[1] + ").a) * " + A(2) + " + " + A(1);
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      return c == ".a" ? A(1) : "(vec3(1.0) - " + A(1) + ") * " + A(2) + " + (" + a[1] + ").a";
    case D3DTOP_MULTIPLYADD: return A(0) + " + " + A(1) + " * " + A(2);
    case D3DTOP_LERP: return "mix(" + A(2) + ", " + A(1) + ", " + A(0) + ")";
    default: return "current" + c;
  }
}

std::string FogFunction(uint8_t mode) {
  std::ostringstream s;
  s << "float FogFactor(float d) {\n";
  switch (mode) {
    case D3DFOG_LINEAR:
      s << "  float range = uFogParams.y - uFogParams.x;\n"
           "  if (range == 0.0) return d < uFogParams.y ? 1.0 : 0.0;\n"
           "  return clamp((uFogParams.y - d) / range, 0.0, 1.0);\n";
      break;
    case D3DFOG_EXP: s << "  return clamp(exp(-d * uFogParams.z), 0.0, 1.0);\n"; break;
    case D3DFOG_EXP2: s << "  float x = d * uFogParams.z;\n  return clamp(exp(-x * x), 0.0, 1.0);\n"; break;
    default: s << "  return 1.0;\n"; break;
  }
  s << "}\n";
  return s.str();
}

bool UsesBumpFromPrevious(const FfpKey& k, int s) {
  return s > 0 && (k.stages[s - 1].colorOp == D3DTOP_BUMPENVMAP || k.stages[s - 1].colorOp == D3DTOP_BUMPENVMAPLUMINANCE);
}

std::vector<Varying> VaryingsOf(const FfpKey& k) {
  const FogKind fog = static_cast<FogKind>(k.fogKind);
  std::vector<Varying> varyings;
  varyings.push_back({"vec4", "Diffuse", k.flatShade != 0, false});
  varyings.push_back({"vec4", "Specular", k.flatShade != 0, false});
  if (fog == FogKind::Vertex || fog == FogKind::SpecularAlpha) varyings.push_back({"float", "Fog", false, false});
  if (fog == FogKind::Table) {
    varyings.push_back({"float", "EyeW", false, false});
    varyings.push_back({"float", "DepthZ", false, true});
  }
  for (int s = 0; s < k.stageCount; ++s)
    if (k.stages[s].sampled && !k.pointSprite)
      varyings.push_back({k.stages[s].twoCoords ? "vec2" : "vec4", "Tc" + std::to_string(s), false, false});
  return varyings;
}

// Whether the vertex program of `k` needs the camera-space position and
// the normal.
struct CameraNeeds {
  bool camera, normal;
};
CameraNeeds CameraNeedsOf(const FfpKey& k) {
  bool anyGen = false;
  for (int s = 0; s < k.stageCount; ++s)
    if (k.stages[s].sampled) anyGen |= k.stages[s].coordGen != 0;
  const bool vertexFog = static_cast<FogKind>(k.fogKind) == FogKind::Vertex;
  return {!k.rhw && (k.lighting || vertexFog || anyGen || k.pointScale), !k.rhw && (k.lighting || anyGen)};
}

}  // namespace

int FfpTransformRows(const FfpKey& k) {
  const CameraNeeds needs = CameraNeedsOf(k);
  return needs.normal ? 11 : needs.camera ? 8 : 4;
}

FfpSources GenerateFfpSources(const FfpKey& k, int instances) {
  FfpSources out;
  const FogKind fog = static_cast<FogKind>(k.fogKind);
  bool anyTransform = false, anyWrap = false;
  for (int s = 0; s < k.stageCount; ++s) {
    const StageKey& sk = k.stages[s];
    if (!sk.sampled) continue;
    anyTransform |= sk.transformCount != 0 && !sk.identityTransform;
    anyWrap |= sk.wrap != 0;
  }
  const CameraNeeds needs = CameraNeedsOf(k);
  const bool needCamera = needs.camera, needNormal = needs.normal;
  const int rows = FfpTransformRows(k);
  const bool useGeometry = anyWrap && !k.points;

  const std::vector<Varying> varyings = VaryingsOf(k);
  auto declare = [&](std::ostringstream& o, const char* dir, const char* prefix, const char* suffix) {
    for (const Varying& v : varyings) {
      if (v.flat) o << "flat ";
      if (v.noperspective) o << "noperspective ";
      o << dir << " " << v.type << " " << prefix << v.name << suffix << ";\n";
    }
  };

  // ------------------------------------------------------------------ vertex
  {
    const char* vp = useGeometry ? "g" : "v";
    std::ostringstream v;
    v << "#version 330 core\n";
    v << "layout(location = 0) in vec4 aPos;\n";
    if (k.hasNormal && needNormal) v << "layout(location = 2) in vec3 aNormal;\n";
    if (k.hasPsize && k.points) v << "layout(location = 3) in float aPsize;\n";
    if (k.hasDiffuse) v << "layout(location = 4) in vec4 aDiffuse;\n";
    if (k.hasSpecular) v << "layout(location = 5) in vec4 aSpecular;\n";
    for (int i = 0; i < k.texSets; ++i) v << "layout(location = " << 6 + i << ") in vec4 aTex" << i << ";\n";
    if (k.rhw) {
      v << "uniform vec4 uViewportRHW;\nuniform vec2 uDepthRHW;\n";
    } else {
      // One array for the object's transforms, sent with one call a draw:
      // rows 0-3 world-view-projection, 4-7 world-view, 8-10 the normals'
      // matrix (each D3D row a column of the GLSL matrix).
      if (instances > 0)
        v << "layout(std140) uniform uInstances { vec4 uInstanceXf[" << instances * rows << "]; };\n";
      else
        v << "uniform vec4 uXf[" << rows << "];\n";
    }
    if (k.lighting) {
      v << "uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;\nuniform float uMatPower;\n"
           "uniform vec4 uGlobalAmbient;\n";
      if (k.lightCount > 0)
        v << "uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8];\n"
             "uniform vec3 uLightPos[8], uLightDir[8];\nuniform vec4 uLightAtt[8], uLightSpot[8];\n";
    }
    if (fog == FogKind::Vertex) v << "uniform vec4 uFogParams;\n" << FogFunction(k.fogMode);
    if (anyTransform) v << "uniform mat4 uTexMat[8];\n";
    if (k.points) v << "uniform vec4 uPointParams;\n";
    if (k.pointScale) v << "uniform vec4 uPointScale;\n";
    declare(v, "out", vp, "");
    v << "void main() {\n";
    if (k.rhw) {
      // Pre-transformed vertices: x and y are pixels (pixel centres at
      // integers), z is the depth buffer value, the fourth value is 1/w.
      v << "  float w = aPos.w == 0.0 ? 1.0 : 1.0 / aPos.w;\n"
           "  vec2 ndc = vec2(2.0 * (aPos.x + 0.5 - uViewportRHW.x) / uViewportRHW.z - 1.0,\n"
           "                  2.0 * (aPos.y + 0.5 - uViewportRHW.y) / uViewportRHW.w - 1.0);\n"
           "  float depthRange = uDepthRHW.y - uDepthRHW.x;\n"
           "  float ndcZ = depthRange != 0.0 ? 2.0 * (aPos.z - uDepthRHW.x) / depthRange - 1.0 : 0.0;\n"
           "  gl_Position = vec4(ndc * w, ndcZ * w, w);\n";
    } else {
      // Drawn as instances, each instance's rows follow the previous one's
      // in the block; the arithmetic is the same either way.
      auto xf = [&](int row) {
        return instances > 0 ? "uInstanceXf[gl_InstanceID * " + std::to_string(rows) + " + " + std::to_string(row) + "]"
                             : "uXf[" + std::to_string(row) + "]";
      };
      v << "  vec4 pos = vec4(aPos.xyz, 1.0);\n  gl_Position = mat4(" << xf(0) << ", " << xf(1) << ", " << xf(2)
        << ", " << xf(3) << ") * pos;\n";
      if (needCamera)
        v << "  vec3 P = (mat4(" << xf(4) << ", " << xf(5) << ", " << xf(6) << ", " << xf(7) << ") * pos).xyz;\n";
      if (needNormal) {
        if (k.hasNormal) {
          v << "  vec3 N = mat3(" << xf(8) << ".xyz, " << xf(9) << ".xyz, " << xf(10) << ".xyz) * aNormal;\n";
          if (k.normalizeNormals) v << "  if (dot(N, N) > 0.0) N = normalize(N);\n";
        } else {
          v << "  vec3 N = vec3(0.0);\n";  // without normals every product with the normal is 0
        }
      }
    }
    v << "  vec4 vd = " << (k.hasDiffuse ? "aDiffuse" : "vec4(1.0)") << ";\n";
    v << "  vec4 vs = " << (k.hasSpecular ? "aSpecular" : "vec4(0.0)") << ";\n";
    if (k.lighting) {
      v << "  vec4 Cd = " << MaterialSource(k.diffuseSource, "uMatDiffuse") << ";\n";
      v << "  vec4 Ca = " << MaterialSource(k.ambientSource, "uMatAmbient") << ";\n";
      v << "  vec4 Cs = " << MaterialSource(k.specularSource, "uMatSpecular") << ";\n";
      v << "  vec4 Ce = " << MaterialSource(k.emissiveSource, "uMatEmissive") << ";\n";
      v << "  vec3 amb = vec3(0.0), dif = vec3(0.0), spe = vec3(0.0);\n";
      // The direction to the viewer: from the vertex to the eye, or for a
      // distant viewer (no local viewer) the camera's -z axis.
      if (k.specularEnable && k.lightCount > 0)
        v << "  vec3 V = " << (k.localViewer ? "normalize(-P)" : "vec3(0.0, 0.0, -1.0)") << ";\n";
      for (int i = 0; i < k.lightCount; ++i) {
        const std::string n = std::to_string(i);
        v << "  {\n    vec3 L;\n    float att = 1.0;\n";
        if (k.lightType[i] == D3DLIGHT_DIRECTIONAL) {
          v << "    L = -uLightDir[" << n << "];\n";
        } else {
          v << "    vec3 toLight = uLightPos[" << n << "] - P;\n"
               "    float dist = length(toLight);\n"
               "    L = dist > 0.0 ? toLight / dist : vec3(0.0, 0.0, -1.0);\n"
               "    float den = uLightAtt[" << n << "].x + uLightAtt[" << n << "].y * dist + uLightAtt[" << n
            << "].z * dist * dist;\n"
               "    att = dist > uLightAtt[" << n << "].w ? 0.0 : 1.0 / max(den, 1e-6);\n";
          if (k.lightType[i] == D3DLIGHT_SPOT) {
            v << "    float rho = dot(-L, uLightDir[" << n << "]);\n"
                 "    vec4 sp = uLightSpot[" << n << "];\n"
                 "    float spot = rho > sp.x ? 1.0 : (rho <= sp.y ? 0.0 : pow((rho - sp.y) / (sp.x - sp.y), sp.z));\n"
                 "    att *= spot;\n";
          }
        }
        v << "    amb += att * uLightAmbient[" << n << "].rgb;\n"
             "    float NdotL = dot(N, L);\n"
             "    dif += att * uLightDiffuse[" << n << "].rgb * max(NdotL, 0.0);\n";
        if (k.specularEnable) {
          v << "    if (NdotL > 0.0) {\n"
               "      float NdotH = dot(N, normalize(L + V));\n"
               "      if (NdotH > 0.0) spe += att * uLightSpecular[" << n << "].rgb * pow(NdotH, uMatPower);\n"
               "    }\n";
        }
        v << "  }\n";
      }
      v << "  " << vp << "Diffuse = clamp(vec4(Ce.rgb + Ca.rgb * uGlobalAmbient.rgb + Ca.rgb * amb + Cd.rgb * dif, Cd.a), 0.0, 1.0);\n";
      v << "  " << vp << "Specular = clamp(vec4(Cs.rgb * spe, vs.a), 0.0, 1.0);\n";
    } else {
      v << "  " << vp << "Diffuse = vd;\n  " << vp << "Specular = vs;\n";
    }
    if (fog == FogKind::Vertex) v << "  " << vp << "Fog = FogFactor(" << (k.rangeFog ? "length(P)" : "P.z") << ");\n";
    if (fog == FogKind::SpecularAlpha) v << "  " << vp << "Fog = vs.a;\n";
    if (fog == FogKind::Table) {
      v << "  " << vp << "EyeW = gl_Position.w;\n";
      if (k.rhw)
        v << "  " << vp << "DepthZ = aPos.z;\n";
      else
        v << "  " << vp << "DepthZ = (gl_Position.z / gl_Position.w + 1.0) * 0.5;\n";
    }
    if (!k.pointSprite) {
      for (int s = 0; s < k.stageCount; ++s) {
        const StageKey& sk = k.stages[s];
        if (!sk.sampled) continue;
        const std::string tc = std::string(vp) + "Tc" + std::to_string(s);
        switch (static_cast<CoordGen>(sk.coordGen)) {
          case CoordGen::CameraNormal: v << "  vec4 tc" << s << " = vec4(N, 1.0);\n"; break;
          case CoordGen::CameraPosition: v << "  vec4 tc" << s << " = vec4(P, 1.0);\n"; break;
          case CoordGen::Reflection:
            v << "  vec3 E" << s << " = " << (k.localViewer ? "normalize(-P)" : "vec3(0.0, 0.0, -1.0)") << ";\n";
            v << "  vec4 tc" << s << " = vec4(2.0 * dot(E" << s << ", N) * N - E" << s << ", 1.0);\n";
            break;
          default: {
            if (sk.coordSet >= k.texSets) {
              v << "  vec4 tc" << s << " = vec4(0.0, 0.0, 0.0, 1.0);\n";
              break;
            }
            const std::string raw = "aTex" + std::to_string(sk.coordSet);
            if (sk.transformCount == 0) {
              v << "  vec4 tc" << s << " = " << raw << ";\n";
            } else {
              // A transformed coordinate set is extended by a 1 after its
              // last component, so the row after it carries the translation.
              switch (k.texSetSize[sk.coordSet]) {
                case 1: v << "  vec4 tc" << s << " = vec4(" << raw << ".x, 1.0, 0.0, 0.0);\n"; break;
                case 3: v << "  vec4 tc" << s << " = vec4(" << raw << ".xyz, 1.0);\n"; break;
                case 4: v << "  vec4 tc" << s << " = " << raw << ";\n"; break;
                default: v << "  vec4 tc" << s << " = vec4(" << raw << ".xy, 1.0, 0.0);\n"; break;
              }
            }
            break;
          }
        }
        if (sk.transformCount != 0 && !sk.identityTransform)
          v << "  tc" << s << " = uTexMat[" << s << "] * tc" << s << ";\n";
        if (sk.transformCount == 1) v << "  tc" << s << ".y = 0.0;\n";
        v << "  " << tc << " = tc" << s << (sk.twoCoords ? ".xy" : "") << ";\n";
      }
    }
    if (k.points) {
      v << "  float size = " << (k.hasPsize ? "aPsize" : "uPointParams.x") << ";\n";
      if (k.pointScale) {
        v << "  float d = length(P);\n"
             "  size = uPointScale.w * size * sqrt(1.0 / max(uPointScale.x + uPointScale.y * d + uPointScale.z * d * d, 1e-6));\n";
      }
      v << "  gl_PointSize = clamp(size, uPointParams.y, uPointParams.z);\n";
    }
    v << "}\n";
    out.vertex = v.str();
  }

  // ---------------------------------------------------------------- geometry
  if (useGeometry) {
    // Wrapped coordinates take the shorter way round: each vertex's
    // coordinate moves by a whole unit when it lies more than half a unit
    // from the first vertex's.
    std::ostringstream g;
    g << "#version 330 core\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n";
    declare(g, "in", "g", "[]");
    declare(g, "out", "v", "");
    g << "void main() {\n";
    for (int s = 0; s < k.stageCount; ++s) {
      const StageKey& sk = k.stages[s];
      if (!sk.sampled || !sk.wrap) continue;
      g << "  vec4 w" << s << "[3] = vec4[3](gTc" << s << "[0], gTc" << s << "[1], gTc" << s << "[2]);\n";
      for (int c = 0; c < 4; ++c) {
        if (!(sk.wrap & (1 << c))) continue;
        g << "  for (int i = 1; i < 3; ++i) {\n"
             "    float d = w" << s << "[i]." << kComponents[c] << " - w" << s << "[0]." << kComponents[c] << ";\n"
             "    if (d > 0.5) w" << s << "[i]." << kComponents[c] << " -= 1.0;\n"
             "    else if (d < -0.5) w" << s << "[i]." << kComponents[c] << " += 1.0;\n"
             "  }\n";
      }
    }
    g << "  for (int i = 0; i < 3; ++i) {\n    gl_Position = gl_in[i].gl_Position;\n";
    for (const Varying& var : varyings) {
      bool wrapped = false;
      for (int s = 0; s < k.stageCount; ++s)
        if (k.stages[s].sampled && k.stages[s].wrap && var.name == "Tc" + std::to_string(s)) {
          g << "    v" << var.name << " = w" << s << "[i];\n";
          wrapped = true;
        }
      if (!wrapped) g << "    v" << var.name << " = g" << var.name << "[i];\n";
    }
    g << "    EmitVertex();\n  }\n  EndPrimitive();\n}\n";
    out.geometry = g.str();
  }

  // ---------------------------------------------------------------- fragment
  {
    std::ostringstream f;
    f << "#version 330 core\n";
    declare(f, "in", "v", "");
    f << "out vec4 oColor;\n";
    bool usesTFactor = false, usesBump = false;
    for (int s = 0; s < k.stageCount; ++s) {
      const StageKey& sk = k.stages[s];
      if (sk.sampled) f << "uniform " << (sk.cube ? "samplerCube" : "sampler2D") << " uTex" << s << ";\n";
      for (int a = 0; a < 3; ++a)
        usesTFactor |= ArgIs(sk.colorArg[a], D3DTA_TFACTOR) || ArgIs(sk.alphaArg[a], D3DTA_TFACTOR);
      usesTFactor |= sk.colorOp == D3DTOP_BLENDFACTORALPHA || sk.alphaOp == D3DTOP_BLENDFACTORALPHA;
      usesBump |= UsesBumpFromPrevious(k, s);
    }
    if (usesTFactor) f << "uniform vec4 uTFactor;\n";
    if (usesBump) f << "uniform vec4 uBumpMat[8];\nuniform vec2 uBumpLum[8];\n";
    f << FfpFragmentTailDeclarations(k);
    f << "void main() {\n";
    f << "  vec4 diffuse = vDiffuse;\n  vec4 specular = vSpecular;\n";
    f << "  vec4 current = diffuse;\n  vec4 temp = vec4(0.0);\n";
    for (int s = 0; s < k.stageCount; ++s) {
      const StageKey& sk = k.stages[s];
      const std::string t = "t" + std::to_string(s);
      // A stage reading a texture where none is set reads opaque white, as
      // the hardware of the time did.
      f << "  vec4 " << t << " = vec4(1.0);\n";
      if (sk.sampled) {
        f << "  {\n";
        if (k.pointSprite) {
          f << (sk.cube ? "    vec3 uv = vec3(gl_PointCoord, 1.0);\n" : "    vec2 uv = gl_PointCoord;\n");
        } else if (sk.cube) {
          // A cube texture is looked up by the direction of the first three
          // coordinates.
          f << "    vec3 uv = vTc" << s << ".xyz;\n";
        } else {
          const std::string tc = "vTc" + std::to_string(s);
          if (sk.projected) {
            int div = sk.transformCount ? sk.transformCount - 1
                                        : (sk.coordSet < k.texSets ? k.texSetSize[sk.coordSet] - 1 : 3);
            if (div < 1) div = 3;
            f << "    vec2 uv = " << tc << ".xy / " << tc << "." << kComponents[div] << ";\n";
          } else {
            f << "    vec2 uv = " << tc << ".xy;\n";
          }
        }
        if (UsesBumpFromPrevious(k, s)) {
          // The bump map of the previous stage offsets the coordinates by
          // its (du, dv) times the 2x2 bump-environment matrix.
          const std::string p = std::to_string(s - 1);
          f << "    vec4 m = uBumpMat[" << p << "];\n"
               "    uv.xy += vec2(m.x * t" << p << ".r + m.z * t" << p << ".g, m.y * t" << p << ".r + m.w * t" << p << ".g);\n";
        }
        f << "    " << t << " = texture(uTex" << s << ", uv);\n";
        if (s > 0 && k.stages[s - 1].colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
          const std::string p = std::to_string(s - 1);
          f << "    " << t << ".rgb *= clamp(t" << p << ".b * uBumpLum[" << p << "].x + uBumpLum[" << p << "].y, 0.0, 1.0);\n";
        }
        f << "  }\n";
      }
      const std::string target = sk.resultToTemp ? "temp" : "current";
      if (sk.colorOp == D3DTOP_BUMPENVMAP || sk.colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
        // A bump-mapping stage only prepares the next stage's lookup; the
        // colour passes on unchanged.
        if (sk.resultToTemp) f << "  temp = current;\n";
        continue;
      }
      std::string ca[3], aa[3];
      for (int a = 0; a < 3; ++a) {
        ca[a] = ArgExpr(sk.colorArg[a], s);
        aa[a] = ArgExpr(sk.alphaArg[a], s);
      }
      f << "  {\n    vec4 r;\n";
      if (sk.colorOp == D3DTOP_DOTPRODUCT3) {
        f << "    r = vec4(clamp(4.0 * dot((" << ca[1] << ").rgb - 0.5, (" << ca[2] << ").rgb - 0.5), 0.0, 1.0));\n";
      } else {
        f << "    r.rgb = clamp(" << OpExpr(sk.colorOp, ca, ".rgb", s) << ", 0.0, 1.0);\n";
        if (sk.alphaOp == D3DTOP_DISABLE)
          f << "    r.a = current.a;\n";
        else
          f << "    r.a = clamp(" << OpExpr(sk.alphaOp, aa, ".a", s) << ", 0.0, 1.0);\n";
      }
      f << "    " << target << " = r;\n  }\n";
    }
    f << "  vec4 color = current;\n";
    if (k.specularEnable) f << "  color.rgb = clamp(color.rgb + specular.rgb, 0.0, 1.0);\n";
    f << FfpFragmentTail(k);
    f << "  oColor = color;\n}\n";
    out.fragment = f.str();
  }
  return out;
}

std::string FfpVaryingDeclarations(const FfpKey& k, bool output) {
  std::ostringstream o;
  for (const Varying& v : VaryingsOf(k)) {
    if (v.flat) o << "flat ";
    if (v.noperspective) o << "noperspective ";
    o << (output ? "out " : "in ") << v.type << " v" << v.name << ";\n";
  }
  return o.str();
}

std::string FfpFragmentTailDeclarations(const FfpKey& k) {
  const FogKind fog = static_cast<FogKind>(k.fogKind);
  std::string s;
  if (k.alphaFunc) s += "uniform float uAlphaRef;\n";
  if (fog != FogKind::None) s += "uniform vec3 uFogColor;\n";
  if (fog == FogKind::Table) s += "uniform vec4 uFogParams;\n" + FogFunction(k.fogMode);
  return s;
}

std::string FfpFragmentTail(const FfpKey& k) {
  const FogKind fog = static_cast<FogKind>(k.fogKind);
  std::ostringstream f;
  if (k.alphaFunc) {
    // The alpha test compares 8-bit values, as the hardware did.
    static const char* ops[] = {"", "", "<", "==", "<=", ">", "!=", ">="};
    if (k.alphaFunc == D3DCMP_NEVER)
      f << "  discard;\n";
    else
      f << "  if (!(floor(color.a * 255.0 + 0.5) " << ops[k.alphaFunc] << " uAlphaRef)) discard;\n";
  }
  if (fog == FogKind::Vertex || fog == FogKind::SpecularAlpha)
    f << "  color.rgb = mix(uFogColor, color.rgb, clamp(vFog, 0.0, 1.0));\n";
  if (fog == FogKind::Table)
    f << "  color.rgb = mix(uFogColor, color.rgb, FogFactor(" << (k.fogFromW ? "vEyeW" : "vDepthZ") << "));\n";
  return f.str();
}

}  // namespace d3d8
