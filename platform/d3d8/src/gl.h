// OpenGL 3.3 core declarations. The functions come from the GL dispatch
// library, which exports the whole core API, so no loader is needed.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
