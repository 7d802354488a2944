#include "data/NativeLoader.h"

#include <cstring>

#include "data/NativeMesh.h"
#include "data/Volume.h"
#include "platform/File.h"

bool CNativeLoader::Load(const std::string& path, CModelSeries& series)
{
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    std::uint8_t words[8];
    if (f.Read(words, 4) != 4)
        return false;
    std::int32_t first = 0, second = 0;
    std::memcpy(&first, words, 4);
    std::unique_ptr<CModel> model;
    bool ok = false;
    if (first < 0) {
        f.Close();
        auto mesh = std::make_unique<CNativeMesh>();
        ok = mesh->Read(path);
        model = std::move(mesh);
    } else {
        if (f.Read(words + 4, 4) != 4)
            return false;
        f.Close();
        std::memcpy(&second, words + 4, 4);
        if (second >= 0) {
            auto volume = std::make_unique<CNativeVolume>();
            ok = volume->Read(path);
            model = std::move(volume);
        } else {
            auto volume = std::make_unique<CRgbVolume>();
            ok = volume->Read(path);
            model = std::move(volume);
        }
    }
    if (!ok)
        return false;
    series.push_back(std::move(model));
    return true;
}
