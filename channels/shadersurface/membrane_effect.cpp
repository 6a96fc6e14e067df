#include "membrane_effect.h"

#include "vertex_declaration.h"

using namespace vel_fx;

MembraneEffect::MembraneEffect()
    : MembraneEffect({kPosition, kNormal, kTexU}, {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(3, kFloat3),
                                                   DeclRegister(7, kFloat1), kDeclEnd}) {}

MembraneEffect::MembraneEffect(std::initializer_list<int> components, std::vector<DWORD> declaration)
    : MeshShaderEffect(components, std::move(declaration), {}, "MEMBRANE.TXT", nullptr) {}

void MembraneEffect::Render() {
  if (!CanDraw()) return;
  SetStandardConstants(NormalisedWithW(D3DXVECTOR3(1, 0, -1), 0));
  // The shader adds c20.x to its gradient coordinate; no offset is wanted,
  // and a skinned effect drawn before may have left bone rows there.
  SetConstant(20, 0, 0, 0, 0);
  D3DDevice()->SetVertexShader(GetVertexShader(0));
  DrawMesh();
}

const char* MembraneEffect::GetDescription() {
  return "Creates a membrane effect.\n\nIt needs the following children:\n1) DX8 ObjectData - Object data to use\n2) "
         "DX8 Texture - Gradient map for the membrane\n\nThis effect does not use the shader info channel.";
}
