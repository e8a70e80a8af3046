// The Direct3D 9 utility library subset used by the engine: math helpers, texture loading from
// image files and meshes (text .x files, spheres, normals, cloning). Implemented in
// platform/src/d3dx9.
#pragma once

#include "d3d9.h"
#include "d3dx9math.h"
#include "d3dx9mesh.h"
#include "d3dx9tex.h"
