// Merging draws. A scene that draws many objects with one mesh, material
// and texture sets the same state for each and changes only the world
// matrix between draws. Such draws wait here and go to OpenGL as one
// instanced draw, each instance taking its transforms from a uniform block;
// the programs compute exactly what they compute from the uniforms, and
// instances are drawn in order, so the picture is the same.
//
// While draws wait, OpenGL's state stays as the first of them set it:
// every change of that state (in a draw's preparation, or any other use of
// OpenGL, which goes through Device::MakeCurrent) sends them first.
#include "device.h"

namespace d3d8 {

void Device::HoldDraw(const IndexedDraw& draw) {
  const int rows = program_->transformRows;
  if (batch_.count > 0 && batch_.program == program_ && batch_.draw == draw) {
    const bool linking = !program_->instancedTried;
    FfpProgram* instanced = programs_.Instanced(program_, key_);
    // Linking makes the new program current; the waiting draw's stays.
    if (linking) glUseProgram(program_->program);
    if (instanced && batch_.count < instanced->instanceCapacity) {
      if (batch_.count == 1) {
        // The instanced program takes the uniforms the waiting draw used,
        // which are the device's now: nothing but the transforms changed.
        glUseProgram(instanced->program);
        UploadUniforms(instanced, true);
        glUseProgram(program_->program);
      }
      AppendTransforms(rows);
      ++batch_.count;
      transformsHeld_ = false;
      return;
    }
  }
  FlushDraws();
  if (transformsHeld_) {
    UploadTransforms(program_);
    transformsHeld_ = false;
  }
  batch_.program = program_;
  batch_.draw = draw;
  batch_.transforms.clear();
  AppendTransforms(rows);
  batch_.count = 1;
}

void Device::AppendTransforms(int rows) {
  UpdateDerivedTransforms();
  float xf[11][4];
  DerivedTransformRows(xf);
  const float* first = &xf[0][0];
  batch_.transforms.insert(batch_.transforms.end(), first, first + static_cast<size_t>(rows) * 4);
}

void Device::DrawRange(const IndexedDraw& d) {
  glDrawRangeElementsBaseVertex(d.mode, d.first, d.last, d.indices, d.indexType,
                                reinterpret_cast<const void*>(d.offset), d.baseVertex);
  ++glDraws_;
}

void Device::IssueBatch() {
  const IndexedDraw& d = batch_.draw;
  const int count = batch_.count;
  batch_.count = 0;
  if (count == 1) {
    DrawRange(d);
    return;
  }
  FfpProgram* instanced = batch_.program->instanced.get();
  if (!instanceBuffer_) glGenBuffers(1, &instanceBuffer_);
  glBindBuffer(GL_UNIFORM_BUFFER, instanceBuffer_);
  // The whole block is allocated (OpenGL reads a block's full declared
  // size); the instances drawn fill its start.
  const GLsizeiptr block = static_cast<GLsizeiptr>(instanced->instanceCapacity) * batch_.program->transformRows * 16;
  glBufferData(GL_UNIFORM_BUFFER, block, nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(batch_.transforms.size() * sizeof(float)),
                  batch_.transforms.data());
  glBindBufferBase(GL_UNIFORM_BUFFER, kInstanceBlockBinding, instanceBuffer_);
  glUseProgram(instanced->program);
  glDrawElementsInstancedBaseVertex(d.mode, d.indices, d.indexType, reinterpret_cast<const void*>(d.offset), count,
                                    d.baseVertex);
  glUseProgram(batch_.program->program);
  ++glDraws_;
}

}  // namespace d3d8
