// The Direct3D 8 extension library: everything in one include.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8core.h>
#include <d3dx8/d3dx8math.h>
#include <d3dx8/d3dx8mesh.h>
#include <d3dx8/d3dx8shape.h>
#include <d3dx8/d3dx8tex.h>
