// A transfer-function file loaded twice into a volume renderer's transfer
// function through the editor, as its Load button does, with the graph drawn
// and the light-box palette applied after each load.
#include "FuzzSupport.h"
#include "app/logic/XfrEditor.h"
#include "app/logic/XfrPicture.h"
#include "data/Volume.h"
#include "render/MeshRenderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Run run;
    const std::string path = run.Write("input.tfn", {reinterpret_cast<const char*>(data), size});
    CNativeVolume volume(8, 8, 4, 8);
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                volume.SetVoxel(x, y, z, std::uint16_t((x * 37 + y * 11 + z * 53) & 0xFF));
    volume.BuildHistogram();
    CMeshRenderer renderer(&volume, nullptr, 16, 16);
    CXfrEditor editor(&renderer, &volume);
    editor.Init();
    // The second load starts from what the first one left.
    for (int round = 0; round < 2; ++round) {
        editor.Load(path);
        CXfrPicture picture;
        editor.Draw(picture);
        if (renderer.m_pRgbaTable && renderer.m_pBgrPalette)
            WriteLightBoxPalette(*renderer.m_pRgbaTable, *renderer.m_pBgrPalette);
        editor.SelectChannel(round == 0 ? CXfrEditor::kIntensity : CXfrEditor::kRed);
    }
    return 0;
}
