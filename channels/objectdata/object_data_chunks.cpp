// The mesh's chunks in a group file, after the channel record:
// VRCO vertex count, VRFL vertex format, VPDA positions, VNDA normals,
// VTDA/VTOP coordinates and adjustment of UV set 1 and then of UV set 2,
// VCDA colours, POCO index count, PODA indices, POTY polygon type and POTM
// the two mapping modes. The use flags are not stored: the format gives them.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "objectdata/mesh_arrays.h"
#include "vel_chunk_read.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr VertTUVOffset kNeutralAdjustment = {0, 0, 0, 0, 1, 1};

// A data chunk of `count` records; records missing from a shorter array are
// written as zero so that the block always matches the count.
template <class T>
void SaveArray(OrnFileSaver& saver, const char* tag, const T* array, int32_t length, int32_t count) {
  static const char zeros[256] = {};
  const int32_t n = std::max(count, 0);
  const int32_t stored = array ? std::min(length, n) : 0;
  saver.SaveTag(tag);
  saver.SaveBlockSize(static_cast<unsigned long>(sizeof(T)) * static_cast<unsigned long>(n));
  if (stored > 0) saver.SaveDataToFile(array, static_cast<unsigned long>(sizeof(T) * static_cast<size_t>(stored)));
  for (size_t rest = sizeof(T) * static_cast<size_t>(n - stored); rest > 0;) {
    size_t piece = std::min(rest, sizeof zeros);
    saver.SaveDataToFile(zeros, static_cast<unsigned long>(piece));
    rest -= piece;
  }
}

// Reads the data chunk `tag` when it is next: its block must hold exactly
// `count` records and lie within the data. A chunk that does not is corrupt
// and leaves the array absent.
template <class T>
vel::ChunkRead LoadArray(OrnFileLoader& loader, const char* tag, T*& array, int32_t& length, int32_t count) {
  if (!loader.GetInfoIfTag(tag)) return vel::ChunkRead::kAbsent;
  const int32_t n = std::max(count, 0);
  const unsigned long size = static_cast<unsigned long>(sizeof(T)) * static_cast<unsigned long>(n);
  if (loader.GetSizeDataBlock(false) != size || !mesh::AllocateZero(array, length, n) ||
      !loader.CopyTagData(array, size)) {
    mesh::Free(array, length);
    return vel::ChunkRead::kCorrupt;
  }
  return vel::ChunkRead::kRead;
}

bool HasNext(OrnFileLoader& loader, const char* tag) { return loader.CheckHeader(tag, false); }
}  // namespace

bool Vel_DX8_ObjectDataChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  uint32_t format = 0;
  uint32_t size = 0;
  ComputeLayout(&format, &size);
  vertexFormat_ = format;
  const int32_t count = vertexCount_;
  saver.SaveChunk("VRCO", &count, sizeof count);
  saver.SaveChunk("VRFL", &format, sizeof format);
  if (usePosition_) SaveArray(saver, "VPDA", positions_, positionsLength_, count);
  if (useNormal_) SaveArray(saver, "VNDA", normals_, normalsLength_, count);
  for (int set = 0; set < 2; ++set) {
    if (!(set == 0 ? useUVSet1_ : useUVSet2_)) continue;
    SaveArray(saver, "VTDA", UVArray(set), UVLength(set), count);
    const VertTUVOffset adjustment = uvAdjustment_[set] ? *uvAdjustment_[set] : kNeutralAdjustment;
    saver.SaveChunk("VTOP", &adjustment, sizeof adjustment);
  }
  if (useColor_) SaveArray(saver, "VCDA", colors_, colorsLength_, count);
  const int32_t indexCount = indexCount_;
  saver.SaveChunk("POCO", &indexCount, sizeof indexCount);
  SaveArray(saver, "PODA", indices_, indicesLength_, indexCount);
  const int32_t polygonType = polygonType_;
  saver.SaveChunk("POTY", &polygonType, sizeof polygonType);
  const int32_t modes[2] = {mappingMode_[0], mappingMode_[1]};
  saver.SaveChunk("POTM", modes, sizeof modes);
  return true;
}

bool Vel_DX8_ObjectDataChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  auto missing = [this](const char* text) {
    if (engine) engine->errorFunctor(text);
    return false;
  };
  auto corrupt = [this](const char* tag) {
    if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: Corrupt chunk", tag);
    return false;
  };

  // A second load replaces the mesh of the first.
  EmptyMesh();
  int32_t count = 0;
  switch (vel::ReadChunk(loader, "VRCO", &count, sizeof count)) {
    case vel::ChunkRead::kRead: break;
    case vel::ChunkRead::kAbsent: missing("Couldn't find VRCO header"); return true;
    case vel::ChunkRead::kCorrupt: return corrupt("VRCO");
  }
  uint32_t format = 0;
  switch (vel::ReadChunk(loader, "VRFL", &format, sizeof format)) {
    case vel::ChunkRead::kRead: break;
    case vel::ChunkRead::kAbsent: return missing("Couldn't find VRFL header");
    case vel::ChunkRead::kCorrupt: return corrupt("VRFL");
  }
  vertexCount_ = count;
  vertexFormat_ = format;
  if (!LoadAttributes(loader, format) || !LoadIndices(loader)) return false;

  int32_t polygonType = 0;
  switch (vel::ReadChunk(loader, "POTY", &polygonType, sizeof polygonType)) {
    case vel::ChunkRead::kRead: polygonType_ = polygonType; break;
    case vel::ChunkRead::kAbsent: return missing("Couldn't find POTY header");
    case vel::ChunkRead::kCorrupt: return corrupt("POTY");
  }
  int32_t modes[2];
  switch (vel::ReadChunk(loader, "POTM", modes, sizeof modes)) {
    case vel::ChunkRead::kRead:
      mappingMode_[0] = modes[0];
      mappingMode_[1] = modes[1];
      break;
    case vel::ChunkRead::kAbsent: break;
    case vel::ChunkRead::kCorrupt: return corrupt("POTM");
  }
  if (vertexCount_ > 0) CreateVertexBuffer();
  return true;
}

bool Vel_DX8_ObjectDataChannel::LoadAttributes(OrnFileLoader& loader, uint32_t format) {
  const int32_t count = vertexCount_;
  // Whether a data chunk of this record holds `count` records: only then may
  // arrays be made for the attributes whose chunk is absent, so that a count
  // read from a file never sizes memory the file does not back.
  bool backed = false;
  bool corrupt = false;
  const char* corruptTag = nullptr;
  auto read = [&](const char* tag, auto*& array, int32_t& length, bool* absent) {
    switch (LoadArray(loader, tag, array, length, count)) {
      case vel::ChunkRead::kRead: backed = true; break;
      case vel::ChunkRead::kAbsent: *absent = true; break;
      case vel::ChunkRead::kCorrupt:
        if (!corrupt) corruptTag = tag;
        corrupt = true;
        break;
    }
  };
  auto readAdjustment = [&](int set) {
    VertTUVOffset adjustment;
    switch (vel::ReadChunk(loader, "VTOP", &adjustment, sizeof adjustment)) {
      case vel::ChunkRead::kRead:
        if (uvAdjustment_[set]) *uvAdjustment_[set] = adjustment;
        break;
      case vel::ChunkRead::kAbsent: break;
      case vel::ChunkRead::kCorrupt:
        if (!corrupt) corruptTag = "VTOP";
        corrupt = true;
        break;
    }
  };

  bool absent[5] = {};  // position, normal, UV set 1, UV set 2, colour
  if (format & D3DFVF_XYZ) {
    usePosition_ = true;
    if (!HasNext(loader, "VPDA")) {
      if (engine) engine->errorFunctor("Couldn't find VPDA header");
      return false;
    }
    read("VPDA", positions_, positionsLength_, &absent[0]);
  }
  if (!corrupt && (format & D3DFVF_NORMAL)) {
    useNormal_ = true;
    read("VNDA", normals_, normalsLength_, &absent[1]);
  }
  const int sets = (format & D3DFVF_TEX2) ? 2 : (format & D3DFVF_TEX1) ? 1 : 0;
  if (!corrupt && sets >= 1) {
    useUVSet1_ = true;
    read("VTDA", uvSet1_, uvSet1Length_, &absent[2]);
    if (!corrupt) readAdjustment(0);
  }
  // A mesh saved with UV set 2 on and UV set 1 off has a format without
  // texture bits followed by the pair of set 2: it comes back into set 2.
  if (!corrupt && (sets == 2 || (sets == 0 && (HasNext(loader, "VTDA") || HasNext(loader, "VTOP"))))) {
    useUVSet2_ = true;
    read("VTDA", uvSet2_, uvSet2Length_, &absent[3]);
    if (!corrupt) readAdjustment(1);
  }
  if (!corrupt && (format & D3DFVF_DIFFUSE)) {
    useColor_ = true;
    read("VCDA", colors_, colorsLength_, &absent[4]);
  }
  if (corrupt) {
    if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: Corrupt chunk", corruptTag);
    return false;
  }

  // Attributes in use whose data is absent start as zero records.
  const bool anyAbsent = absent[1] || absent[2] || absent[3] || absent[4];
  if (count > 0 && anyAbsent) {
    if (!backed) {
      if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: No vertex data for the vertex count", count);
      return false;
    }
    if (absent[1]) mesh::AllocateZero(normals_, normalsLength_, count);
    if (absent[2]) mesh::AllocateZero(uvSet1_, uvSet1Length_, count);
    if (absent[3]) mesh::AllocateZero(uvSet2_, uvSet2Length_, count);
    if (absent[4]) mesh::AllocateZero(colors_, colorsLength_, count);
  }
  return true;
}

bool Vel_DX8_ObjectDataChannel::LoadIndices(OrnFileLoader& loader) {
  int32_t count = 0;
  switch (vel::ReadChunk(loader, "POCO", &count, sizeof count)) {
    case vel::ChunkRead::kRead: break;
    case vel::ChunkRead::kAbsent:
      if (engine) engine->errorFunctor("Couldn't find POCO header");
      return false;
    case vel::ChunkRead::kCorrupt:
      if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: Corrupt chunk", "POCO");
      return false;
  }
  indexCount_ = count;
  switch (LoadArray(loader, "PODA", indices_, indicesLength_, count)) {
    case vel::ChunkRead::kRead: return true;
    case vel::ChunkRead::kAbsent:
      if (engine) engine->errorFunctor("Couldn't find PODA header");
      return false;
    case vel::ChunkRead::kCorrupt:
      if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: Corrupt chunk", "PODA");
      return false;
  }
  return false;
}
