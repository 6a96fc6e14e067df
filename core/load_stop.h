// Long loads on the window thread stop early when the program is asked to
// end (an end signal or a window's close request), so the program can end in
// order within moments instead of after the load.
#pragma once

#include <chrono>

class LoadStop {
 public:
  LoadStop();
  // Whether the program has been asked to end. Asks the window system only
  // once the load has run for a moment, and then at most every moment, so a
  // short load never asks and a long one pays next to nothing.
  bool Wanted();

 private:
  std::chrono::steady_clock::time_point nextAsk;
};
