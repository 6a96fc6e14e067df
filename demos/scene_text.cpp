// The scene's caption: a line of text and, below it, a value read from a
// float channel, drawn over the scene in the top left corner.
#include "floatvalue/vel_float_channel.h"
#include "scene/vel_scene_channel.h"
#include "scene_demo.h"
#include "text/text_channel.h"
#include "textout/vel_dx8_textout_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_type_guids.h"

namespace demos {

void AddCaption(SceneDemo& demo) {
  auto* out = demo.Make<Vel_DX8_TextOutChannel>(vel::kTextOutType, "Caption");
  auto* text = demo.Make<TextChannel>(vel::kTextType, "Caption Text");
  auto* value = demo.Make<Vel_FloatChannel>(vel::kFloatType, "Caption Value");
  auto* pos = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Caption Position");
  auto* color = demo.Make<Vel_VectorChannel>(vel::kVectorType, "Caption Colour");
  if (!out || !text || !value || !pos || !color) return;
  out->SetFontName(const_cast<char*>("Arial"));
  out->SetFontSize(14);
  // The value follows the text: the fog's far end, where the scene fades
  // into the sky.
  text->SetString("Kelvane scene\nFog ends at ");
  value->SetFloat(26.0f);
  demo.Link(text, value, TextChannel::kValueSlot);
  pos->SetVector(D3DXVECTOR3(10.0f, 10.0f, 0.0f));
  color->SetVector(D3DXVECTOR3(0.1f, 0.1f, 0.3f));
  demo.Link(out, pos, Vel_DX8_TextOutChannel::kPosSlot);
  demo.Link(out, text, Vel_DX8_TextOutChannel::kTextSlot);
  demo.Link(out, color, Vel_DX8_TextOutChannel::kColorSlot);
  demo.Link(demo.scene, out, Vel_SceneChannel::kChildrenSlot);
}

}  // namespace demos
