#pragma once
#include <utility>

// The implementation installed behind a seam, or the seam's default until
// one is. Set returns the one it replaces (null for the default), for
// whoever puts it back.
template <class I> class TInstalled {
public:
    explicit constexpr TInstalled(I& fallback) : m_fallback(fallback) {}
    I& Get() const { return m_installed ? *m_installed : m_fallback; }
    I* Set(I* installed) { return std::exchange(m_installed, installed); }

private:
    I& m_fallback;
    I* m_installed = nullptr;
};
