#include "vertex_declaration.h"

#include <cstring>

namespace d3d8 {

UINT VertexElementSize(DWORD type) {
  switch (type) {
    case D3DVSDT_FLOAT1: return 4;
    case D3DVSDT_FLOAT2: return 8;
    case D3DVSDT_FLOAT3: return 12;
    case D3DVSDT_FLOAT4: return 16;
    case D3DVSDT_D3DCOLOR: return 4;
    case D3DVSDT_UBYTE4: return 4;
    case D3DVSDT_SHORT2: return 4;
    case D3DVSDT_SHORT4: return 8;
    default: return 0;
  }
}

bool ReadVertexDeclaration(const DWORD* tokens, VertexDeclaration* out, std::string* error, size_t maxTokens) {
  *out = VertexDeclaration{};
  if (!tokens) return *error = "no declaration", false;
  int stream = -1;
  uint32_t declared = 0;
  for (size_t i = 0; i < maxTokens;) {
    const DWORD t = tokens[i++];
    if (t == D3DVSD_END()) return true;
    switch ((t & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT) {
      case D3DVSD_TOKEN_NOP:
        break;
      case D3DVSD_TOKEN_STREAM:
        if (t & D3DVSD_STREAMTESSMASK) return *error = "tessellator streams are not supported", false;
        stream = static_cast<int>(t & D3DVSD_STREAMNUMBERMASK);
        out->usedStreams |= static_cast<uint16_t>(1u << stream);
        break;
      case D3DVSD_TOKEN_STREAMDATA: {
        if (stream < 0) return *error = "stream data before a stream", false;
        UINT& bytes = out->streamBytes[stream];
        if (t & D3DVSD_DATALOADTYPEMASK) {
          bytes += 4 * ((t & D3DVSD_SKIPCOUNTMASK) >> D3DVSD_SKIPCOUNTSHIFT);
          break;
        }
        const DWORD type = (t & D3DVSD_DATATYPEMASK) >> D3DVSD_DATATYPESHIFT;
        const DWORD reg = t & D3DVSD_VERTEXREGMASK;
        if (VertexElementSize(type) == 0) return *error = "unknown data type", false;
        if (reg >= 16 || (declared & (1u << reg))) return *error = "bad or repeated input register", false;
        declared |= 1u << reg;
        out->elements.push_back({static_cast<uint8_t>(stream), static_cast<uint8_t>(reg), static_cast<uint8_t>(type),
                                 static_cast<uint16_t>(bytes)});
        bytes += VertexElementSize(type);
        break;
      }
      case D3DVSD_TOKEN_CONSTMEM: {
        const DWORD count = (t & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT;
        const DWORD reg = t & D3DVSD_CONSTADDRESSMASK;
        if (reg + count > 96 || i + 4 * count > maxTokens) return *error = "bad constant load", false;
        for (DWORD c = 0; c < count; ++c) {
          DeclaredConstant k;
          k.reg = reg + c;
          std::memcpy(k.value, tokens + i, 16);
          i += 4;
          out->constants.push_back(k);
        }
        break;
      }
      case D3DVSD_TOKEN_EXT: {
        // Extension data is skipped: its count sits where a constant count does.
        const DWORD count = (t & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT;
        i += count;
        break;
      }
      default:
        return *error = "unknown declaration token", false;
    }
  }
  return *error = "no end token", false;
}

}  // namespace d3d8
