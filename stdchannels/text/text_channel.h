// TextChannel ("Text"): a string for the channels that draw text. It holds a
// text and, when a float channel is linked into its "Value" slot, hands out
// the text followed by that value (two decimals), so a caption and a number
// can be shown together. Its type GUID is vel::kTextType.
//
// Record, after the channel record: "TXST" the text with its NUL (absent
// while the text is unset).
#pragma once

#include "orn_channel.h"
#include "orn_string.h"

#include <string>

class TextChannel : public Orn_Channel {
 public:
  enum Slot { kValueSlot = 0, kSlotCount };
  // The longest text kept (Orn_String's limit); longer ones are cut.
  static constexpr int kMaxChars = Orn_String::kMaxChars;

  TextChannel();
  ~TextChannel() override;
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  // The NUL-terminated string to draw, valid until the next call; NULL while
  // the text is unset.
  virtual const char* GetString();
  // Replaces the text (NULL unsets it) and marks the change.
  virtual void SetString(const char* text);

 protected:
  Orn_String text_;
  // The text with the value appended, as last handed out.
  std::string shown_;
};
