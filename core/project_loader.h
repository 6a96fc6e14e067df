// ProjectFileLoader: reads a project file, checks every channel library and
// third-party library it names against the installation, restores embedded
// copies where a library is missing or outdated, and computes the start
// group's file path.
#pragma once

class EngineInterface;

enum ProjectLoadResult { kProjectReady = 0, kProjectFailure = 1, kProjectNeedsUpdate = 2 };

class ProjectFileLoader {
 public:
  static constexpr int kStartGroupPathSize = 400;

  explicit ProjectFileLoader(EngineInterface* engine);
  virtual ~ProjectFileLoader();
  ProjectFileLoader(const ProjectFileLoader&) = delete;
  ProjectFileLoader& operator=(const ProjectFileLoader&) = delete;

  virtual int Load(const char* path);
  virtual const char* GetStartGroupPath();

 protected:
  EngineInterface* engine;
  char startGroupPath[kStartGroupPathSize];
};
