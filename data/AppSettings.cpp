#include "data/AppSettings.h"

CAppSettings* CAppSettings::s_pInstance = nullptr;

CAppSettings* CAppSettings::GetInstance()
{
    if (!s_pInstance)
        s_pInstance = new CAppSettings;
    return s_pInstance;
}

CAppSettings::CAppSettings() = default;

CAppSettings::~CAppSettings()
{
    // The owner view deletes the object; a later GetInstance starts afresh.
    if (s_pInstance == this)
        s_pInstance = nullptr;
}
