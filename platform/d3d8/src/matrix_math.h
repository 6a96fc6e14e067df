// The few matrix operations the device needs: products, inverse, transpose,
// in the row-vector convention of Direct3D (a point is a row on the left).
#pragma once

#include <d3d8/d3d8types.h>

namespace d3d8 {

D3DMATRIX IdentityMatrix();
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);  // a then b
// Inverse of a general 4x4 matrix; false (and the identity) when singular.
bool Invert(const D3DMATRIX& m, D3DMATRIX* out);
D3DMATRIX Transpose(const D3DMATRIX& m);
// Point (x, y, z, 1) times m, without a division by w.
D3DVECTOR TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m);
// Direction (x, y, z, 0) times m.
D3DVECTOR TransformDirection(const D3DVECTOR& d, const D3DMATRIX& m);
bool IsIdentity(const D3DMATRIX& m);

}  // namespace d3d8
