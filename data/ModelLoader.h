#pragma once
#include <memory>
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

// Native mesh and volume files (.vxq, also .arv).
class CNativeLoader : public CModelLoader {
public:
    bool Load(const std::string& path, CModelSeries& series) override;
};

// The one way a file becomes a series: picks the loader by `extension`
// (without the dot, lower-cased by the caller), runs the import dialog the
// kind needs and returns the new series, or null when loading failed. An
// extension no loader claims is tried as DICOM.
std::unique_ptr<CModelSeries> LoadModelFile(const std::string& path, const std::string& extension);

// Runs `loader` on a new series with the busy text shown: the series, or null
// when the loader failed or threw (anything it appended is destroyed).
std::unique_ptr<CModelSeries> RunModelLoader(CModelLoader& loader, const std::string& path);
