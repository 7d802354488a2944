#include "data/Volume.h"

// Replaced by the native file reader and writer.
bool CVolume::Save(const std::string&) { return false; }
bool CVolume::Save8Bit(const std::string&) { return false; }
bool CRgbVolume::Save(const std::string&) { return false; }
bool CNativeVolume::Read(CFile&) { return false; }
bool CRgbVolume::Read(CFile&) { return false; }
