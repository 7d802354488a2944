#include "bench/peers/VtkThreads.h"

#include <vtkSMPTools.h>

namespace peers {

const char* VtkOneThread()
{
    vtkSMPTools::SetBackend("Sequential");
    vtkSMPTools::Initialize(1);
    return vtkSMPTools::GetBackend();
}

int VtkThreads() { return vtkSMPTools::GetEstimatedNumberOfThreads(); }

} // namespace peers
