#pragma once
#include <memory>
#include <string>
#include <vector>

#include "data/Quaternion.h"
#include "data/Vector3.h"

class CAppSettings;

// Abstract base of everything that can be loaded, drawn, saved and described.
// Bounds corners: m_vMin holds the smallest x, largest y and largest z;
// m_vMax the largest x, smallest y and smallest z.
class CModel {
public:
    CModel();
    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;
    virtual ~CModel();

    virtual void GetBounds(CVector3& first, CVector3& second) = 0;
    virtual void UpdateCentre() = 0;
    virtual float GetSize() = 0;
    virtual bool Save(const std::string& path) = 0;
    virtual bool IsMesh() const = 0;
    virtual bool IsVolume() const = 0;
    virtual std::string GetInfo();
    virtual void OnOptionsChanged() {}

    // Copies at most 131 characters, as the description buffer held.
    void SetDescription(const std::string& text);
    bool HasDescription() const { return m_bHasDescription; }

    CAppSettings* m_pSettings = nullptr;
    std::string m_pszDescription; // empty when the kind has none
    std::string m_strType = "Model";
    Quaternion m_qOrientation{};
    CVector3 m_vMin;
    CVector3 m_vMax;
    CVector3 m_vCentre;
    float m_fDiagonal = 0.0f;
    bool m_bDirty = true;

private:
    bool m_bHasDescription = false;
};

// One model per frame; whoever holds the series owns the models.
using CModelSeries = std::vector<std::unique_ptr<CModel>>;
