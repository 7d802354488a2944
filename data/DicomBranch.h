#pragma once
#include <memory>
#include <string>

#include "data/Model.h"

// The factory's default branch: the file is tried as DICOM, with or without
// its folder as the user chooses. Null when it cannot be loaded.
std::unique_ptr<CModelSeries> LoadDicomFile(const std::string& path);
