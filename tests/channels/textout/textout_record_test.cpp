// The records of the text output and the text channel: byte-identical round
// trips, defaults for absent chunks, and damaged or out-of-range chunks
// refused with a message.
#include "channel_harness.h"
#include "record_bytes.h"
#include "text/text_channel.h"
#include "textout/vel_dx8_textout_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "floatvalue/vel_float_channel.h"

#include <cstring>
#include <string>

namespace vel_test {
namespace {

using TextOut = Vel_DX8_TextOutChannel;

std::vector<char> Bytes(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  return std::vector<char>(p, p + size);
}

class TextOutRecordTest : public ChannelHarness {
 protected:
  TextOut* Load(const std::vector<char>& record) {
    bool loaded = false;
    auto* out = vel::As<TextOut>(LoadRecord(vel::kTextOutType, record, &loaded), vel::kTextOutType);
    EXPECT_TRUE(loaded);
    return out;
  }
};

TEST_F(TextOutRecordTest, RecordRoundTripsAndDamageIsRefused) {
  auto* out = Create<TextOut>(vel::kTextOutType);
  ASSERT_NE(out, nullptr);
  EXPECT_STREQ(out->GetFontName(), "Arial");
  EXPECT_EQ(out->GetFontSize(), 8);
  out->SetFontName(const_cast<char*>("Courier New"));
  EXPECT_TRUE(out->SetFontSize(14));
  const std::vector<char> record = SaveRecord(out);
  TextOut* copy = Load(record);
  EXPECT_STREQ(copy->GetFontName(), "Courier New");
  EXPECT_EQ(copy->GetFontSize(), 14);
  EXPECT_EQ(SaveRecord(copy), record);
  ExpectCutRecordsHandled(vel::kTextOutType, record);

  // Sizes: below 1 refused, any larger one kept as it is.
  EXPECT_FALSE(out->SetFontSize(0));
  EXPECT_FALSE(out->SetFontSize(-3));
  EXPECT_EQ(out->GetFontSize(), 14);
  EXPECT_TRUE(out->SetFontSize(100000));
  EXPECT_EQ(out->GetFontSize(), 100000);
  // A record written with a size of 600 points loads as 600 and saves back
  // byte for byte.
  std::vector<char> large = RecordBefore(SaveRecord(Create<TextOut>(vel::kTextOutType)), "FNTN");
  AppendChunk(large, "FNTN", "Plain Sans", 11);
  AppendChunk(large, "FNTS", int32_t{600});
  TextOut* big = Load(large);
  EXPECT_EQ(big->GetFontSize(), 600);
  EXPECT_STREQ(big->GetFontName(), "Plain Sans");
  EXPECT_EQ(SaveRecord(big), large);

  messages.Clear();
  int32_t zero = 0;
  TextOut* sized = Load(WithBlock(record, "FNTS", Bytes(&zero, 4)));
  EXPECT_EQ(sized->GetFontSize(), 8);
  EXPECT_TRUE(messages.Has("Vel_DX8_TextOutChannel::LoadChannel: Corrupt chunk FNTS"));

  // A name of 255 characters loads whole; a longer block, or one without its
  // terminator, is refused and the name stays the default.
  const std::string longest(TextOut::kMaxNameChars, 'n');
  EXPECT_EQ(Load(WithBlock(record, "FNTN", Bytes(longest.c_str(), longest.size() + 1)))->GetFontName(), longest);
  for (const std::string& bad : {std::string(300, 'n') + '\0', std::string("Arial Black")}) {
    messages.Clear();
    TextOut* refused = Load(WithBlock(record, "FNTN", Bytes(bad.data(), bad.size())));
    EXPECT_STREQ(refused->GetFontName(), "Arial");
    EXPECT_EQ(refused->GetFontSize(), 14) << "the chunks after it are read";
    EXPECT_TRUE(messages.Has("Vel_DX8_TextOutChannel::LoadChannel: Corrupt chunk FNTN"));
  }
}

TEST_F(TextOutRecordTest, TextRecordRoundTripsAndAValueChildIsAppended) {
  auto* text = Create<TextChannel>(vel::kTextType);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetString(), nullptr);
  text->SetString("Speed: ");
  const std::vector<char> record = SaveRecord(text);
  bool loaded = false;
  auto* copy = vel::As<TextChannel>(LoadRecord(vel::kTextType, record, &loaded), vel::kTextType);
  ASSERT_TRUE(loaded);
  EXPECT_STREQ(copy->GetString(), "Speed: ");
  EXPECT_EQ(SaveRecord(copy), record);
  ExpectCutRecordsHandled(vel::kTextType, record);
  messages.Clear();
  const char unterminated[] = {'a', 'b'};
  auto* damaged =
      vel::As<TextChannel>(LoadRecord(vel::kTextType, WithBlock(record, "TXST", Bytes(unterminated, 2))), vel::kTextType);
  EXPECT_EQ(damaged->GetString(), nullptr);
  EXPECT_TRUE(messages.Has("TextChannel::LoadChannel: Corrupt chunk TXST"));

  auto* value = Create<Vel_FloatChannel>(vel::kFloatType);
  value->SetFloat(12.5f);
  ASSERT_TRUE(Link(text, value, TextChannel::kValueSlot));
  EXPECT_STREQ(text->GetString(), "Speed: 12.50");
}

}  // namespace
}  // namespace vel_test
