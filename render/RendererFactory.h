#pragma once
#include <memory>

#include "render/Renderer.h"

class CModel;

// The renderer for `model` (the mesh renderer for a mesh or no model), made on
// `dc` at the given client size and attached to the model; null when no
// renderer class fits.
std::unique_ptr<CRenderer> CreateRenderer(CModel* model, IGlSurface* dc, int width, int height);

// Whether the current context's extension string names `name` as a whole word.
bool IsExtensionSupported(const char* name);
