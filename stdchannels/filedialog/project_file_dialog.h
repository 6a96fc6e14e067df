// Vel_ProjectFileDialog: asks the user for a file. Where a desktop session is
// present (DISPLAY or WAYLAND_DISPLAY set) and the zenity program is on PATH,
// a file-selection dialog is shown; otherwise, when standard input is a
// terminal, the path is asked for on the terminal; otherwise the answer is
// "cancelled" at once, so a run without desktop and terminal never waits.
#pragma once

#include "file_dialog_channel.h"

#include <string>

class Vel_ProjectFileDialog : public FileDialogChannel {
 public:
  static ChannelType TypeRecord();

  Vel_ProjectFileDialog();
  ~Vel_ProjectFileDialog() override;

  ChannelType GetChannelType() override;

  // filter is the description shown with the choice ("Kelvane file (*.klv)"),
  // defaultExtension the extension offered ("klv"). The chosen path is stored
  // only when it fits pathSize with its terminating zero; otherwise, and when
  // the user cancels, path is empty and the answer is false.
  bool OpenFileDialog(const char* filter, const char* defaultExtension, char* path, int pathSize) override;

 private:
  enum class Answer { kChosen, kCancelled, kUnavailable };

  Answer AskDesktop(const std::string& filter, const std::string& extension, std::string* chosen);
  Answer AskTerminal(const std::string& filter, const std::string& extension, std::string* chosen);
};
