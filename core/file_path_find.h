// FilePathFind: resolves file paths relative to a source file (a group file):
// a stored relative path becomes absolute, an absolute path becomes relative
// to the source.
//
// Path form. Paths are POSIX paths with '/' as the separator. A '\' in a path
// (files written on Windows) is read as a separator too; every path this class
// builds uses '/' only. The "drive prefix" of an absolute path is its root:
// "/" (or the pair "//" of a network path, which is kept); a Windows drive
// prefix such as "C:\" is recognised as the root of another drive. The
// directories of a path are the names between the separators after that
// prefix, and its last component is the file name. Relative paths are written
// as "./sub/x.grp" (below the source's directory) or "../shared/lib.grp"
// (climbing from it).
//
// A stored path whose original separator is a single leading '\' (root of the
// current drive on Windows) is read relative to the source, as on Windows; a
// path beginning with '/' is absolute and used as it stands. When a resolved
// path does not exist as written, GetCompleteFilePath looks it up ignoring
// letter case, directory by directory, so that files named in a project
// written on a system that ignores case are still found.
#pragma once

#include "dll_interface.h"

class FilePathFind : public DllInterface {
 public:
  static constexpr int kSourceSize = 399;
  static constexpr int kResultSize = 299;
  static constexpr int kPathMax = 259;

  FilePathFind();
  ~FilePathFind() override;
  FilePathFind(const FilePathFind& other);
  FilePathFind& operator=(const FilePathFind& other);

  virtual void SetSourcePath(const char* path);
  virtual const char* GetValidRelativeDir(const char* path);
  virtual const char* GetCompleteFilePath(const char* path);
  virtual void CreateValidFilePath(char* path, const char* baseDir);
  virtual bool CheckValidDrive(const char* a, const char* b);
  virtual int GetDirShareCount(const char* a, const char* b);
  virtual int GetRelativeDirCount(const char* a, const char* b);
  virtual const char* GetDirName(char* out, const char* path, int n);
  virtual int GetDirCount(const char* path);
  virtual const char* GetFileName(char* path);
  virtual const char* GetFilePath(char* path);
  virtual int GetBackDirCount(const char* path);
  virtual int GetDirCountFromBackDir(const char* path);
  virtual const char* GetDirNameFromBackDir(char* out, const char* path, int n);

  // The path of an existing file or directory that equals `path` ignoring
  // letter case in each component (the path itself when it exists as
  // written). False, with `out` unchanged, when there is none or it does not
  // fit in `size` bytes.
  static bool FindPathIgnoringCase(const char* path, char* out, int size);

 protected:
  char sourcePath[kSourceSize];
  char resultPath[kResultSize];
};
