// A translator channel converts a loaded file in place before it is read. Its
// type is named by the GUID in a leading "ONDF" chunk of the file.
#pragma once

#include "orn_channel.h"

class OrnFileLoader;

class TranslatorChannel : public Orn_Channel {
 public:
  // Rewrites the loader's bytes; the converted data must no longer begin with
  // the ONDF chunk that named this translator.
  virtual bool TranslateFile(OrnFileLoader* loader) = 0;
};
