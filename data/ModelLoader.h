#pragma once
#include <string>

#include "data/Model.h"

// One small loader per file kind. A loader lives for one call: Load reads the
// file and appends the models made from it to `series`, in frame order, and
// returns true; on failure it returns false (models it appended are dropped
// with the series by the factory).
class CModelLoader {
public:
    virtual ~CModelLoader() = default;
    virtual bool Load(const std::string& path, CModelSeries& series) = 0;
};
