#pragma once
#include <string>

#include <wx/bitmap.h>

// The folder holding the XRC files and bitmaps: the source tree's res/ when
// it is there (a build run from its tree), else res/ beside the executable.
std::string ResourceDir();

// Gives every id name of res/CommandIds.h its wx id and loads all XRC files
// of the resource folder. Must run before any window is built from XRC; false
// when a file fails to load.
bool LoadResources();

// A bitmap file of the resource folder; an invalid bitmap when it is missing.
wxBitmap LoadResourceBitmap(const std::string& fileName);
