// Orn_String: a heap string of at most 65534 characters. An unset string
// (no text) is distinct from an empty one ("").
#pragma once

class Orn_String {
 public:
  static constexpr int kMaxChars = 0xFFFE;

  Orn_String();
  virtual ~Orn_String();
  Orn_String(const Orn_String& other);
  Orn_String& operator=(const Orn_String& other);

  void SetString(const char* text);
  void AddString(const char* text);
  void SetMaxCars(int n);
  const char* GetString() const { return data; }
  // Rewrites path in place to its file name (the part after the last '\' or
  // '/') and returns it. A path without separator, or whose only separator is
  // its first character, is left as it is.
  static char* MakeFULLName(char* path);
  void StrLwr();
  void StrUpr();

 protected:
  char* data;
};
