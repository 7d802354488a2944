#pragma once
#include <memory>

#include "platform/GlSurface.h"
#include "render/Renderer.h"
#include "render/RendererDialogRunner.h"

class CAppSettings;
class CModel;

// Whether the current context's extension string names `name` as a whole
// word: at the start or after a blank, and followed by a blank or the end.
// An empty name or one with a blank is refused.
bool IsExtensionSupported(const char* name);

// The renderer-choice defaults: the rescale setting; RGB volumes the RGB
// renderer; else 3D textures when present and allowed, else 2D; the first
// available of fragment program, texture shader, paletted textures, with
// pixel maps as the fallback (a classification already chosen is kept).
void ChooseRendererDefaults(CRendererDialogValues& values, const CAppSettings& settings);

// The renderer for a model, attached to it: the mesh renderer for a mesh or
// no model, else the volume class that the driver's extensions, the settings
// and (when the settings ask) the user's choice select; 3D textures with
// the fragment-program classification need the ATI fragment shader, else
// the next classification in the defaults' order is built. Null when no
// class matches. `dc` must take the renderers' pixel format.
std::unique_ptr<CRenderer> CreateRenderer(CModel* model, IGlSurface* dc, int width, int height);
