#pragma once
#include "data/ModelLoader.h"

// Native mesh and volume files (.vxq, also .arv).
class CNativeLoader : public CModelLoader {
public:
    bool Load(const std::string& path, CModelSeries& series) override;
};
