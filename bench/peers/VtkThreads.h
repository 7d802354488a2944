#pragma once
// VTK's thread pool on one thread. Its header vtkSMPTools.h is not valid
// C++20 (a template-id as constructor name), so it is kept to a C++17 unit.
namespace peers {
// Sequential backend and one thread; returns the backend's name.
const char* VtkOneThread();
int VtkThreads();
} // namespace peers
