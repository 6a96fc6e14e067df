// Shape meshes. Every shape is centred on the origin and has the vertex
// format D3DFVF_XYZ | D3DFVF_NORMAL (position, then unit normal), 16-bit
// indices, attribute 0 on every triangle and the managed pool. Triangles are
// clockwise seen from the side their normals point to, which is the front
// side under the default culling. ppAdjacency, when not NULL, receives three
// DWORDs per triangle: the triangles across its edges (0xFFFFFFFF for none).
// Invalid sizes or counts give D3DERR_INVALIDCALL.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8core.h>
#include <d3dx8/d3dx8mesh.h>

extern "C" {

// A regular polygon of Sides (at least 3) edges of the given length in the xy
// plane facing +z: the centre and the corners, Sides + 1 vertices, Sides
// triangles.
HRESULT D3DXCreatePolygon(IDirect3DDevice8* pDevice, float Length, UINT Sides, LPD3DXMESH* ppMesh,
                          LPD3DXBUFFER* ppAdjacency);

// A box of the given extents along x, y and z: 24 vertices (four per side, with
// the side's normal), 12 triangles.
HRESULT D3DXCreateBox(IDirect3DDevice8* pDevice, float Width, float Height, float Depth, LPD3DXMESH* ppMesh,
                      LPD3DXBUFFER* ppAdjacency);

// A cylinder (or cone, or truncated cone) along z, Radius1 at z = -Length/2
// and Radius2 at z = +Length/2, Slices (at least 2) around and Stacks (at least
// 1) along the axis, closed by two caps: Slices * (Stacks + 3) + 2 vertices,
// 2 * Slices * (Stacks + 1) triangles.
HRESULT D3DXCreateCylinder(IDirect3DDevice8* pDevice, float Radius1, float Radius2, float Length, UINT Slices,
                           UINT Stacks, LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency);

// A sphere with its poles on the z axis, Slices (at least 2) around and Stacks
// (at least 2) from pole to pole: Slices * (Stacks - 1) + 2 vertices,
// 2 * Slices * (Stacks - 1) triangles.
HRESULT D3DXCreateSphere(IDirect3DDevice8* pDevice, float Radius, UINT Slices, UINT Stacks, LPD3DXMESH* ppMesh,
                         LPD3DXBUFFER* ppAdjacency);

// A torus around the z axis: a tube of radius InnerRadius whose centre line
// is a circle of radius OuterRadius in the xy plane, Sides (at least 3) around
// the tube and Rings (at least 3) around the axis: Sides * Rings vertices,
// 2 * Sides * Rings triangles.
HRESULT D3DXCreateTorus(IDirect3DDevice8* pDevice, float InnerRadius, float OuterRadius, UINT Sides, UINT Rings,
                        LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency);

}  // extern "C"
