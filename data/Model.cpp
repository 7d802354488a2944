#include "data/Model.h"

#include "data/AppSettings.h"

CModel::CModel() : m_pSettings(CAppSettings::GetInstance()) {}

CModel::~CModel() = default;

std::string CModel::GetInfo() { return m_pszDescription; }

void CModel::SetDescription(const std::string& text)
{
    m_pszDescription = text.substr(0, 131);
    m_bHasDescription = true;
}
