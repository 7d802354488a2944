#pragma once

// The renderer choice that the renderer factory asks for when the settings
// say so. The application runs the real window; tests script the values.

// Capabilities in, type and classification out.
struct CRendererDialogValues {
    int m_nRendererType = 0;
    int m_nClassification = 0;
    bool m_bIsMesh = false, m_bRgb = false;
    int m_nBits = 8;
    bool m_b3D = false, m_bTexShader = false, m_bPaletted = false, m_bFragProgram = false;
    int m_bRescale = 0;
    bool m_bRescaleStored = false; // OK pressed: the rescale choice goes to the settings
};

class IRendererDialogRunner {
public:
    virtual ~IRendererDialogRunner() = default;
    // True when the dialog ended with OK.
    virtual bool RunRendererDialog(CRendererDialogValues& values) = 0;
};

// The installed runner; a default that cancels until the application
// installs its own. SetRendererDialogRunner returns the one it replaces
// (null for the default), for whoever puts it back.
IRendererDialogRunner& RendererDialogRunner();
IRendererDialogRunner* SetRendererDialogRunner(IRendererDialogRunner* runner);
