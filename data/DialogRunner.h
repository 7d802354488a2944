#pragma once
#include <cstdint>
#include <string>

class DicomImage;

// The modal dialogs that the loaders open (and the view's slice-folder
// import, which feeds the slice loaders). The application runs the real
// windows; tests script the values. The renderer choice has its own seam in
// render/RendererDialogRunner.h.

// Raw import: the nine values the loader takes, plus the file length shown.
struct CRawDialogValues {
    std::uint64_t fileSize = 0;
    int m_nDimX = 128, m_nDimY = 128, m_nDimZ = 128;
    int m_nBits = 8;
    int m_bLittleEndian = 1;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    int m_nOffset = 0;
};

// DICOM review: what the factory writes before the dialog runs and reads
// after OK. The preview image stays owned by the caller.
struct CDcmDialogValues {
    std::string m_strMessage;
    int m_nNewX = 0, m_nNewY = 0;
    int m_nWindowLevel = 0, m_nWindowWidth = 0;
    int m_bAuto = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    std::int64_t m_nSlices = 1; // shown to bound the Z scaling; not handed back
    DicomImage* m_pPreviewImage = nullptr;
};

// RGB or 16-bit slice-folder import: what the slice loaders take. After OK
// the folder holds the search pattern (folder, separator, wildcard).
struct CRgbDialogValues {
    std::string m_strFolder;
    int m_nHeaderBytes = 0;
    int m_nWidth = 2048, m_nHeight = 1216;
    float m_fPixelWidth = 0.33f, m_fPixelHeight = 0.33f, m_fSeparation = 0.33f;
    int m_nDataType = 0; // 0 RGB, 1 VHP (16-bit)
    int m_bGrayscale = 0;
};

class IDialogRunner {
public:
    virtual ~IDialogRunner() = default;
    // Each returns true when the dialog ended with OK.
    virtual bool RunRawDialog(CRawDialogValues& values) = 0;
    virtual bool RunDcmDialog(CDcmDialogValues& values) = 0;
    // The view's import dialog, run through here so that tests script it too.
    virtual bool RunRgbDialog(CRgbDialogValues& values) = 0;
};

// The installed runner; a default that cancels every dialog until the
// application installs its own. SetDialogRunner returns the one it replaces
// (null for the default), for whoever puts it back.
IDialogRunner& DialogRunner();
IDialogRunner* SetDialogRunner(IDialogRunner* runner);
