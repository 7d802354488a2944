#pragma once
#include <string>

#include "data/Model.h"

// A loader turns one file (or folder) into models appended to a series.
class CModelLoader {
public:
    virtual ~CModelLoader() = default;
    // True on success; on failure the models not appended are deleted.
    virtual bool Load(const std::string& path, CModelSeries& series) = 0;
};
