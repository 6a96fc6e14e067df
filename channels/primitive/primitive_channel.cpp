// The primitive plug-in: type record, child slots, when a shape is rebuilt,
// and the saved record.
#include "primitive/vel_dx8_primitive.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <cstring>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Primitive", vel::kPrimitiveType, vel::kObjectDataType);
  return type;
}

constexpr const char* kCorrupt = "Vel_DX8_Primitive::LoadChannel: Corrupt chunk";
constexpr VertTUVOffset kNeutralAdjustment = {0, 0, 0, 0, 1, 1};

// Values equal bit for bit (so a NaN child value counts as unchanged).
bool SameValue(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A one-byte flag chunk; any non-zero byte is set.
void ReadFlag(OrnFileLoader& loader, const char* tag, bool* flag, Orn_Channel* channel) {
  uint8_t byte = 0;
  if (vel::ReadRecordChunk(loader, tag, &byte, sizeof byte, channel, kCorrupt)) *flag = byte != 0;
}

void SaveFlag(OrnFileSaver& saver, const char* tag, bool flag) {
  const uint8_t byte = flag ? 1 : 0;
  saver.SaveChunk(tag, &byte, sizeof byte);
}
}  // namespace

Vel_DX8_Primitive::Vel_DX8_Primitive()
    : built_(false),
      primitiveType_(kBox),
      complexity_(12),
      polygonFlip_(false),
      useUVSet1Shape_(true),
      useUVSet2Shape_(true),
      shapeFailed_(false),
      complexityRead_(false),
      complexityValue_(0.0f) {
  SetChannelName("DX8 Primitive");
  SetChildCreationCount(4);
  vel::DeclareSlot(this, 0, vel::kMatrixType, "Matrix", "Texture Matrix Set 0");
  vel::DeclareSlot(this, 1, vel::kMatrixType, "Matrix", "Texture Matrix Set 1");
  vel::DeclareSlot(this, 2, vel::kFloatType, "Value", "Primitive Complexity");
  vel::DeclareMultiSlot(this, 3, kWildcardGuid, "Type depends on setting", "Primitive Information");
}

Vel_DX8_Primitive::~Vel_DX8_Primitive() = default;

bool Vel_DX8_Primitive::ReadComplexity(float* value) {
  auto* child = vel::As<Vel_FloatChannel>(GetChildFromLinkPosition(2, 0), vel::kFloatType);
  if (!child) return false;
  *value = child->GetFloat();
  return true;
}

bool Vel_DX8_Primitive::CheckIfPrimitiveChange() {
  float value = 0.0f;
  if (ReadComplexity(&value) && !(complexityRead_ && SameValue(value, complexityValue_))) return true;
  return !built_ && !shapeFailed_;
}

void Vel_DX8_Primitive::CallChannel() {
  if (CheckIfPrimitiveChange()) CreateShape();
  if (!built_) return;
  if (primitiveType_ == kLines) DrawLine();
  else StreamVertexData();
}

void Vel_DX8_Primitive::UpdateData() {
  if (CheckIfPrimitiveChange()) CreateShape();
}

void Vel_DX8_Primitive::SetPrimitiveType(int type) {
  primitiveType_ = type;
  built_ = shapeFailed_ = false;
}

int Vel_DX8_Primitive::GetPrimitiveType() { return primitiveType_; }

bool Vel_DX8_Primitive::GetPolygonFlip() { return polygonFlip_; }

void Vel_DX8_Primitive::SetPolygonFlip(bool flip) {
  polygonFlip_ = flip;
  built_ = shapeFailed_ = false;
}

bool Vel_DX8_Primitive::SaveChannel(OrnFileSaver& saver) {
  // The mesh itself is generated: only the shape's parameters are saved.
  if (!Orn_Channel::SaveChannel(saver)) return false;
  const int32_t type = primitiveType_;
  saver.SaveChunk("PRST", &type, sizeof type);
  SaveFlag(saver, "PRFP", polygonFlip_);
  for (int set = 0; set < 2; ++set) {
    const VertTUVOffset adjustment = uvAdjustment_[set] ? *uvAdjustment_[set] : kNeutralAdjustment;
    saver.SaveChunk(set == 0 ? "PRT1" : "PRT2", &adjustment, sizeof adjustment);
  }
  const int32_t modes[2] = {mappingMode_[0], mappingMode_[1]};
  saver.SaveChunk("PRTM", modes, sizeof modes);
  SaveFlag(saver, "PRUT", useUVSet1Shape_);
  SaveFlag(saver, "PRU2", useUVSet2Shape_);
  return true;
}

bool Vel_DX8_Primitive::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  int32_t type = primitiveType_;
  if (vel::ReadRecordChunk(loader, "PRST", &type, sizeof type, this, kCorrupt)) primitiveType_ = type;
  ReadFlag(loader, "PRFP", &polygonFlip_, this);
  for (int set = 0; set < 2; ++set) {
    VertTUVOffset adjustment = kNeutralAdjustment;
    if (vel::ReadRecordChunk(loader, set == 0 ? "PRT1" : "PRT2", &adjustment, sizeof adjustment, this, kCorrupt) &&
        uvAdjustment_[set])
      *uvAdjustment_[set] = adjustment;
  }
  int32_t modes[2] = {mappingMode_[0], mappingMode_[1]};
  if (vel::ReadRecordChunk(loader, "PRTM", modes, sizeof modes, this, kCorrupt)) {
    mappingMode_[0] = modes[0];
    mappingMode_[1] = modes[1];
  }
  ReadFlag(loader, "PRUT", &useUVSet1Shape_, this);
  ReadFlag(loader, "PRU2", &useUVSet2Shape_, this);
  built_ = shapeFailed_ = false;
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_Primitive; }
