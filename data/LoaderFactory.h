#pragma once
#include <memory>
#include <string>

#include "data/ModelLoader.h"

// The one way a file becomes a series: picks the loader by `extension`
// (without the dot, lower-cased by the caller), runs the import dialog the
// kind needs and returns the new series, or null when loading failed. An
// extension no loader claims is tried as DICOM. When the user cancels a
// loader's dialog the open ends there, null, with `*cancelled` set (when
// given): nothing further is asked or read.
std::unique_ptr<CModelSeries> LoadModelFile(const std::string& path, const std::string& extension,
                                            bool* cancelled = nullptr);

// Runs `loader` on a new series with the busy text shown: the series, or null
// when the loader failed or threw (anything it appended is destroyed).
std::unique_ptr<CModelSeries> RunModelLoader(CModelLoader& loader, const std::string& path);
