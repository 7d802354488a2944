#include "platform/wx/WxClipboard.h"

#include <cstring>
#include <memory>

#include <wx/bitmap.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/image.h>

#include "platform/Dib.h"

namespace {
constexpr std::size_t kBmpFileHeaderSize = 14;

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// BITMAPFILEHEADER + the bitmap: a .bmp file, as image/bmp carries it.
std::vector<std::uint8_t> BmpFile(const std::vector<std::uint8_t>& dib)
{
    std::vector<std::uint8_t> file(kBmpFileHeaderSize + dib.size(), 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(&file[2], std::uint32_t(file.size()));
    Put32(&file[10], std::uint32_t(kBmpFileHeaderSize + kDibHeaderSize));
    std::memcpy(&file[kBmpFileHeaderSize], dib.data(), dib.size());
    return file;
}
} // namespace

bool PutDibOnClipboard(const std::vector<std::uint8_t>& dib)
{
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    if (!DibToRgbTopDown(dib, width, height, rgb))
        return false;
    wxImage image(width, height, false);
    std::memcpy(image.GetData(), rgb.data(), rgb.size());

    auto data = std::make_unique<wxDataObjectComposite>();
    // wxDF_BITMAP is image/png on GTK; the preferred format.
    data->Add(new wxBitmapDataObject(wxBitmap(image)), true);
    const std::vector<std::uint8_t> bmp = BmpFile(dib);
    auto* raw = new wxCustomDataObject(wxDataFormat("image/bmp"));
    raw->SetData(bmp.size(), bmp.data());
    data->Add(raw);

    if (!wxTheClipboard->Open())
        return false;
    // The clipboard owns what it was given, even when it refuses it.
    const bool set = wxTheClipboard->SetData(data.release());
    wxTheClipboard->Close();
    return set;
}
