#include "text/text_channel.h"

#include "file_loader.h"
#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Text", vel::kTextType, vel::kTextType);
  return type;
}
}  // namespace

TextChannel::TextChannel() {
  SetChildCreationCount(kSlotCount);
  vel::DeclareSlot(this, kValueSlot, vel::kFloatType, "Float", "Value");
  SetChannelName("Text");
}

TextChannel::~TextChannel() = default;

const char* TextChannel::GetString() {
  Vel_FloatChannel* value = vel::ChildAs<Vel_FloatChannel>(this, kValueSlot, vel::kFloatType);
  if (!value) return text_.GetString();
  char number[32];
  std::snprintf(number, sizeof number, "%.2f", static_cast<double>(value->GetFloat()));
  shown_ = text_.GetString() ? text_.GetString() : "";
  shown_ += number;
  return shown_.c_str();
}

void TextChannel::SetString(const char* text) {
  if (text && std::strlen(text) > static_cast<size_t>(kMaxChars)) {
    text_.SetString(std::string(text, kMaxChars).c_str());
  } else {
    text_.SetString(text);
  }
  SetTimeStamp();
}

bool TextChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  if (const char* text = text_.GetString())
    saver.SaveChunk("TXST", text, static_cast<unsigned long>(std::strlen(text) + 1));
  return true;
}

bool TextChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  if (!loader.GetInfoIfTag("TXST")) return true;
  unsigned long size = 0;
  const char* data = vel::TakeBlock(loader, &size);
  // The block is the text and its NUL; nothing after the NUL, nothing longer
  // than a text can be.
  if (!data || size < 1 || size > static_cast<unsigned long>(kMaxChars) + 1 || data[size - 1] != '\0' ||
      std::strlen(data) != size - 1) {
    vel::ReportCorruptChunk(this, "TextChannel::LoadChannel: Corrupt chunk", "TXST");
    return true;
  }
  SetString(data);
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) TextChannel; }
