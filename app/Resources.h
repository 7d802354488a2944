#pragma once
#include <string>

#include <wx/bitmap.h>

// The folder holding the XRC files and bitmaps, for this program's own
// executable (see ResourceDirFor).
std::string ResourceDir();

// For the executable at that path: the installed share/vexilo of its prefix
// (bin/../share/vexilo) when it holds the resources, else buildTree (the
// source tree's res/ for a program run from its build) when that does, else
// res/ beside the executable.
std::string ResourceDirFor(const std::string& executable, const std::string& buildTree);

// Gives every id name of res/CommandIds.h its wx id and loads all XRC files
// of the resource folder. Must run before any window is built from XRC; false
// when a file fails to load.
bool LoadResources();

// A bitmap file of the resource folder; an invalid bitmap when it is missing.
wxBitmap LoadResourceBitmap(const std::string& fileName);
