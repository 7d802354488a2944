#pragma once
#include <cstdint>

#include "app/dialogs/OptionsPage.h"

// "3D Textures": planar or spherical slices and the lattice of the shells.
class COptions3D : public COptionsPage {
public:
    explicit COptions3D(CVexilo* view);
    bool OnApply() override;

    std::int32_t m_bUseQuads;
    std::int32_t m_nLatticePoints;

protected:
    void DoDataExchange(CDataExchange& dx) override;

    wxDECLARE_EVENT_TABLE();
};
