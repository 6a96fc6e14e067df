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
#include "vel_chunk_records.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {
constexpr VertTUVOffset kNeutralAdjustment = {0, 0, 0, 0, 1, 1};
constexpr const char* kCorrupt = "Vel_DX8_ObjectDataChannel::LoadChannel: Corrupt chunk";

enum class Chunk { kRead, kAbsent, kCorrupt };

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

// The data chunk `tag` when it is next: its block must hold exactly `count`
// records and lie within the data. A chunk that does not is reported and
// leaves the array absent.
template <class T>
Chunk LoadArray(OrnFileLoader& loader, Orn_Channel* channel, const char* tag, T*& array, int32_t& length,
                int32_t count) {
  if (!loader.GetInfoIfTag(tag)) return Chunk::kAbsent;
  const int32_t n = std::max(count, 0);
  const unsigned long size = static_cast<unsigned long>(sizeof(T)) * static_cast<unsigned long>(n);
  if (loader.GetSizeDataBlock(false) != size || !mesh::AllocateZero(array, length, n) ||
      !loader.CopyTagData(array, size)) {
    mesh::Free(array, length);
    vel::ReportCorruptChunk(channel, kCorrupt, tag);
    return Chunk::kCorrupt;
  }
  return Chunk::kRead;
}

// A fixed-size chunk when it is next; a damaged one is reported.
Chunk ReadFixed(OrnFileLoader& loader, Orn_Channel* channel, const char* tag, void* dst, unsigned long size) {
  if (!loader.CheckHeader(tag, false)) return Chunk::kAbsent;
  return vel::ReadRecordChunk(loader, tag, dst, size, channel, kCorrupt) ? Chunk::kRead : Chunk::kCorrupt;
}

void ReportMissing(Orn_Channel* channel, const char* tag) {
  char text[40];
  std::snprintf(text, sizeof text, "Couldn't find %.4s header", tag);
  if (channel->engine) channel->engine->errorFunctor(text);
}

// A chunk the record cannot do without: false when it is absent (reported
// as such) or damaged.
bool ReadRequired(OrnFileLoader& loader, Orn_Channel* channel, const char* tag, void* dst, unsigned long size) {
  switch (ReadFixed(loader, channel, tag, dst, size)) {
    case Chunk::kRead: return true;
    case Chunk::kAbsent: ReportMissing(channel, tag); return false;
    case Chunk::kCorrupt: return false;
  }
  return false;
}
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
  // A second load replaces the mesh of the first.
  EmptyMesh();
  int32_t count = 0;
  switch (ReadFixed(loader, this, "VRCO", &count, sizeof count)) {
    case Chunk::kRead: break;
    case Chunk::kAbsent: ReportMissing(this, "VRCO"); return true;  // an empty mesh; the group goes on
    case Chunk::kCorrupt: return false;
  }
  uint32_t format = 0;
  if (!ReadRequired(loader, this, "VRFL", &format, sizeof format)) return false;
  vertexCount_ = count;
  vertexFormat_ = format;
  if (!LoadAttributes(loader, format)) return false;

  int32_t indexCount = 0;
  if (!ReadRequired(loader, this, "POCO", &indexCount, sizeof indexCount)) return false;
  indexCount_ = indexCount;
  switch (LoadArray(loader, this, "PODA", indices_, indicesLength_, indexCount)) {
    case Chunk::kRead: break;
    case Chunk::kAbsent: ReportMissing(this, "PODA"); return false;
    case Chunk::kCorrupt: return false;
  }
  int32_t polygonType = 0;
  if (!ReadRequired(loader, this, "POTY", &polygonType, sizeof polygonType)) return false;
  polygonType_ = polygonType;
  int32_t modes[2];
  switch (ReadFixed(loader, this, "POTM", modes, sizeof modes)) {
    case Chunk::kRead:
      mappingMode_[0] = modes[0];
      mappingMode_[1] = modes[1];
      break;
    case Chunk::kAbsent: break;
    case Chunk::kCorrupt: return false;
  }
  if (vertexCount_ > 0) CreateVertexBuffer();
  return true;
}

bool Vel_DX8_ObjectDataChannel::LoadAttributes(OrnFileLoader& loader, uint32_t format) {
  const int32_t count = vertexCount_;
  // Normals, coordinates and colours are in use only for a mesh with
  // vertices; their data chunks are optional, and an attribute whose chunk
  // is absent starts as zero records.
  const bool vertices = count > 0;
  // Whether a data chunk of this record holds `count` records. Without one,
  // a count read from a file sizes the zero-filled arrays only up to what
  // 16-bit indices address.
  bool backed = false;
  bool absent[5] = {};  // position, normal, UV set 1, UV set 2, colour
  auto data = [&](const char* tag, auto*& array, int32_t& length, bool& isAbsent) {
    const Chunk read = LoadArray(loader, this, tag, array, length, count);
    backed = backed || read == Chunk::kRead;
    isAbsent = read == Chunk::kAbsent;
    return read != Chunk::kCorrupt;
  };
  auto adjustment = [&](VertTUVOffset* into) {
    VertTUVOffset read;
    const Chunk chunk = ReadFixed(loader, this, "VTOP", &read, sizeof read);
    if (chunk == Chunk::kRead && into) *into = read;
    return chunk != Chunk::kCorrupt;
  };
  auto next = [&](const char* tag) { return loader.CheckHeader(tag, false); };

  if (format & D3DFVF_XYZ) {
    usePosition_ = true;
    if (!next("VPDA")) {
      ReportMissing(this, "VPDA");
      return false;
    }
    if (!data("VPDA", positions_, positionsLength_, absent[0])) return false;
  }
  if (format & D3DFVF_NORMAL) {
    useNormal_ = vertices;
    if (!data("VNDA", normals_, normalsLength_, absent[1])) return false;
  }
  const int sets = (format & D3DFVF_TEX2) ? 2 : (format & D3DFVF_TEX1) ? 1 : 0;
  if (sets >= 1) {
    useUVSet1_ = vertices;
    if (!data("VTDA", uvSet1_, uvSet1Length_, absent[2]) || !adjustment(uvAdjustment_[0])) return false;
  }
  if (sets == 2) {
    useUVSet2_ = vertices;
    if (!data("VTDA", uvSet2_, uvSet2Length_, absent[3]) || !adjustment(uvAdjustment_[1])) return false;
  } else if (sets == 0 && (next("VTDA") || next("VTOP"))) {
    // A mesh saved with UV set 2 on and UV set 1 off has a format without
    // texture bits followed by the pair of set 2. The pair is read past and
    // ignored: the mesh comes back without coordinates, in a layout it can
    // be drawn with.
    VertTUV* ignored = nullptr;
    int32_t ignoredLength = 0;
    bool unused = false;
    const bool read = data("VTDA", ignored, ignoredLength, unused) && adjustment(nullptr);
    mesh::Free(ignored, ignoredLength);
    if (!read) return false;
  }
  if (format & D3DFVF_DIFFUSE) {
    useColor_ = vertices;
    if (!data("VCDA", colors_, colorsLength_, absent[4])) return false;
  }

  if (!vertices) return true;
  // Attributes in use whose data chunk was absent.
  const bool zeroed[5] = {false, absent[1] && useNormal_, absent[2] && useUVSet1_, absent[3] && useUVSet2_,
                          absent[4] && useColor_};
  if (!(zeroed[1] || zeroed[2] || zeroed[3] || zeroed[4])) return true;
  if (!backed && count > kMaxUnbackedVertices) {
    if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: No vertex data for the vertex count", count);
    return false;
  }
  if ((zeroed[1] && !mesh::AllocateZero(normals_, normalsLength_, count)) ||
      (zeroed[2] && !mesh::AllocateZero(uvSet1_, uvSet1Length_, count)) ||
      (zeroed[3] && !mesh::AllocateZero(uvSet2_, uvSet2Length_, count)) ||
      (zeroed[4] && !mesh::AllocateZero(colors_, colorsLength_, count))) {
    if (engine) engine->errorFunctor("Vel_DX8_ObjectDataChannel::LoadChannel: Out of memory for the vertex count", count);
    return false;
  }
  return true;
}
