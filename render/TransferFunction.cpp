#include "render/TransferFunction.h"

#include <algorithm>
#include <cmath>

#include "data/Histogram.h"
#include "data/Volume.h"
#include "platform/File.h"
#include "platform/TempFile.h"

namespace {
const std::vector<TfPoint> kRamp = {{0, 0}, {127, 127}, {255, 255}};

// Truncation toward zero, low byte kept; what no integer can hold gives 0.
std::uint8_t LowByteOf(float v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e18f)
        return 0;
    return std::uint8_t(std::int64_t(v) & 0xFF);
}

void PutInt32(std::vector<std::uint8_t>& out, std::int32_t v)
{
    auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(u >> (8 * i)));
}

std::int32_t GetInt32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                        (std::uint32_t(p[3]) << 24));
}
} // namespace

CTransferFunction::CTransferFunction(CRenderer* renderer, CModel* model)
{
    SetModel(model);
    if (renderer)
        m_pTable = renderer->m_pRgbaTable.get();
    for (int c = 0; c < 4; ++c)
        m_aPoints[c] = kRamp;
    for (int c = 0; c < 4; ++c)
        BuildChannel(c, true);
}

CTransferFunction::~CTransferFunction() = default;

void CTransferFunction::SetModel(CModel* model)
{
    m_pHistogram = model && model->IsVolume() ? &static_cast<CVolume*>(model)->m_histogram : nullptr;
}

void CTransferFunction::FreeSplineArrays(int channel) { m_spline[channel] = SplineArrays(); }

void CTransferFunction::Finish(bool reallocate)
{
    BuildChannel(m_nCurrent, reallocate);
    if (m_bLinked)
        LinkChannels();
}

void CTransferFunction::MakeNegative()
{
    m_aPoints[m_nCurrent] = {{0, 255}, {127, 127}, {255, 0}};
    Finish(true);
}

void CTransferFunction::ResetCurrent()
{
    m_aPoints[m_nCurrent] = kRamp;
    Finish(true);
}

void CTransferFunction::ResetAll()
{
    for (int c = 0; c < 4; ++c)
        m_aPoints[c] = kRamp;
    for (int c = 0; c < 4; ++c)
        BuildChannel(c, true);
}

void CTransferFunction::Stretch()
{
    if (!m_pHistogram)
        return;
    const std::uint8_t* h = m_pHistogram->m_display;
    int first = 0;
    while (first < 255 && h[first] == 0)
        ++first;
    int last = 255;
    while (last > first && h[last] == 0)
        --last;
    std::vector<TfPoint> pts = {{0, 0}};
    if (first > 0)
        pts.push_back({first, 0});
    if (last < 255)
        pts.push_back({last, 255});
    pts.push_back({255, 255});
    // A single occupied bin, or none below 255, puts two points on one x:
    // the later one steps right, or goes when there is no room for it.
    for (std::size_t i = 1; i < pts.size();) {
        if (pts[i].x > pts[i - 1].x) {
            ++i;
            continue;
        }
        int x = pts[i - 1].x + 1;
        bool room = x <= 255 && (i + 1 == pts.size() || x < pts[i + 1].x);
        if (room) {
            pts[i].x = x;
            ++i;
        } else {
            pts.erase(pts.begin() + std::ptrdiff_t(i));
        }
    }
    m_aPoints[m_nCurrent] = std::move(pts);
    Finish(true);
}

void CTransferFunction::Equalise()
{
    if (!m_pHistogram)
        return;
    std::uint8_t e[256];
    EqualiseLUT(e, *m_pHistogram);
    std::vector<TfPoint> pts(256);
    for (int i = 0; i < 256; ++i)
        pts[i] = {i, e[i]};
    m_aPoints[m_nCurrent] = std::move(pts);
    Finish(true);
}

void CTransferFunction::LinkChannels()
{
    for (int c : {kGreen, kBlue}) {
        m_aPoints[c] = m_aPoints[kRed];
        if (m_pTable)
            for (int i = 0; i < 256; ++i)
                (*m_pTable)[4 * i + c] = (*m_pTable)[4 * i + kRed];
    }
}

TfPosition CTransferFunction::AddPoint(int x, int y)
{
    std::vector<TfPoint>& pts = m_aPoints[m_nCurrent];
    TfPosition result = kNoPoint;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (pts[i].x == x)
            return kNoPoint;
        if (pts[i].x > x) {
            pts.insert(pts.begin() + std::ptrdiff_t(i), TfPoint{x, y});
            result = TfPosition(i);
            break;
        }
    }
    Finish(true);
    return result;
}

TfPosition CTransferFunction::FindPoint(int x, int y) const
{
    const std::vector<TfPoint>& pts = m_aPoints[m_nCurrent];
    for (std::size_t i = 0; i < pts.size(); ++i) {
        std::int64_t dx = std::int64_t(pts[i].x) - x, dy = std::int64_t(pts[i].y) - y;
        if (dx * dx + dy * dy < 25)
            return TfPosition(i);
    }
    return kNoPoint;
}

void CTransferFunction::MovePoint(TfPosition position, int& x, int& y)
{
    std::vector<TfPoint>& pts = m_aPoints[m_nCurrent];
    if (position < 0 || std::size_t(position) >= pts.size())
        return;
    const auto i = std::size_t(position);
    if (i == 0) {
        x = 0;
    } else if (i + 1 == pts.size()) {
        x = 255;
    } else {
        x = std::max(x, pts[i - 1].x + 1);
        x = std::min(x, pts[i + 1].x - 1);
    }
    y = std::clamp(y, 0, 255);
    pts[i] = {x, y};
    Finish(false);
}

void CTransferFunction::SetColumn(int channel, int index, std::uint8_t value)
{
    (*m_pTable)[4 * std::size_t(index) + std::size_t(channel)] = value;
}

void CTransferFunction::BuildChannel(int channel, bool reallocate)
{
    if (!m_pTable || channel < 0 || channel > 3)
        return;
    if (m_bSpline == 0)
        BuildLinear(channel);
    else
        BuildSpline(channel, reallocate);
}

void CTransferFunction::BuildLinear(int channel)
{
    const std::vector<TfPoint>& pts = m_aPoints[channel];
    for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
        const std::int64_t a = pts[s].x, b = pts[s].y, e = pts[s + 1].x, d = pts[s + 1].y;
        const std::int64_t width = e - a;
        // Equal or falling x: no segment to draw.
        if (width <= 0)
            continue;
        const float slope = float(d - b) / float(width);
        const std::int64_t from = std::max<std::int64_t>(0, -a), to = std::min<std::int64_t>(width, 255 - a);
        for (std::int64_t i = from; i <= to; ++i)
            SetColumn(channel, int(a + i), LowByteOf(float(b) + float(i) * slope));
    }
}

void CTransferFunction::BuildSpline(int channel, bool reallocate)
{
    const std::vector<TfPoint>& pts = m_aPoints[channel];
    SplineArrays& s = m_spline[channel];
    const std::size_t n = pts.size();
    // A list replaced by the linked copy or the file reader may differ in
    // size from the arrays: they always follow the point count.
    if (reallocate || s.x.size() != n) {
        s = SplineArrays();
        s.x.resize(n);
        s.y.resize(n);
        s.y2.resize(n);
        s.u.resize(n);
    }
    for (std::size_t j = 0; j < n; ++j) {
        s.x[j] = pts[j].x;
        s.y[j] = pts[j].y;
    }
    if (n < 2)
        return;

    std::vector<double>& y2 = s.y2;
    std::vector<double>& u = s.u;
    y2[0] = u[0] = 0.0;
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const double xm = s.x[j - 1], x = s.x[j], xp = s.x[j + 1];
        const double left = x - xm, right = xp - x, span = xp - xm;
        const double sig = span != 0.0 ? left / span : 0.0;
        const double p = sig * y2[j - 1] + 2.0;
        // Zero-width intervals break the spline there instead of dividing by 0.
        if (left == 0.0 || right == 0.0 || span == 0.0 || p == 0.0) {
            y2[j] = u[j] = 0.0;
            continue;
        }
        y2[j] = (sig - 1.0) / p;
        const double slopes = (s.y[j + 1] - double(s.y[j])) / right - (s.y[j] - double(s.y[j - 1])) / left;
        u[j] = (6.0 * slopes / span - sig * u[j - 1]) / p;
    }
    y2[n - 1] = 0.0;
    for (std::size_t k = n - 1; k-- > 0;)
        y2[k] = y2[k] * y2[k + 1] + u[k];

    for (int k = 0; k < 256; ++k) {
        const double v = EvalSpline(k, channel);
        const double r = std::isfinite(v) ? std::clamp(std::floor(v + 0.5), 0.0, 255.0) : 0.0;
        SetColumn(channel, k, std::uint8_t(r));
    }
}

double CTransferFunction::EvalSpline(double t, int channel) const
{
    const SplineArrays& s = m_spline[channel];
    const std::size_t n = std::min({s.x.size(), s.y.size(), s.y2.size()});
    if (n == 0)
        return 0.0;
    std::size_t lo = 0, hi = n - 1;
    if (hi >= 2) {
        while (hi - lo > 1) {
            const std::size_t m = (hi + lo) / 2;
            if (s.x[m] > t)
                hi = m;
            else
                lo = m;
        }
    }
    const double h = double(s.x[hi]) - double(s.x[lo]);
    if (h == 0.0)
        return s.y[lo];
    const double q = 1.0 / h;
    const double b = (t - s.x[lo]) * q;
    const double a = q * (s.x[hi] - t);
    return a * s.y[lo] + b * s.y[hi] + ((a * a * a - a) * s.y2[lo] + (b * b * b - b) * s.y2[hi]) * h * h * (1.0 / 6.0);
}

bool CTransferFunction::Save(const std::string& path) const
{
    std::vector<std::uint8_t> bytes{m_bSpline};
    for (const auto& pts : m_aPoints) {
        PutInt32(bytes, std::int32_t(pts.size()));
        for (const TfPoint& p : pts) {
            PutInt32(bytes, p.x);
            PutInt32(bytes, p.y);
        }
    }
    CSafeSave save(path);
    if (save.TempPath().empty())
        return false;
    CFile file;
    if (!file.Open(save.TempPath(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return false;
    try {
        file.WriteHuge(bytes.data(), bytes.size());
    } catch (const CFileException&) {
        return false;
    }
    file.Close();
    return save.Commit();
}

bool CTransferFunction::Load(const std::string& path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary))
        return false;
    std::uint64_t remaining = file.GetLength();
    std::uint8_t flag = 0;
    if (remaining < 1 || file.Read(&flag, 1) != 1)
        return false;
    --remaining;
    std::vector<TfPoint> lists[4];
    for (auto& pts : lists) {
        std::uint8_t head[4];
        if (remaining < 4 || file.Read(head, 4) != 4)
            return false;
        remaining -= 4;
        const std::int32_t count = GetInt32(head);
        if (count < 0 || std::uint64_t(count) * 8 > remaining)
            return false;
        std::vector<std::uint8_t> body(std::size_t(count) * 8);
        if (file.ReadHuge(body.data(), body.size()) != body.size())
            return false;
        remaining -= body.size();
        pts.resize(std::size_t(count));
        for (std::size_t i = 0; i < pts.size(); ++i)
            pts[i] = {GetInt32(&body[8 * i]), GetInt32(&body[8 * i + 4])};
    }
    m_bSpline = flag;
    for (int c = 0; c < 4; ++c) {
        m_aPoints[c] = std::move(lists[c]);
        BuildChannel(c, true);
    }
    return true;
}
