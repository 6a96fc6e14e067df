// The texture children of the bump effects: the n-th texture child of the
// surface binds itself to a stage when it is a texture; any other channel
// there leaves the stage as it was.
#pragma once

class Vel_DX8_PixelShaderSurface;

void BindBumpTexture(Vel_DX8_PixelShaderSurface* surface, int child, int stage);
