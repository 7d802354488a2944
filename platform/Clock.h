#pragma once
#include <cstdint>

// Monotonic time in seconds, for frame rates and animations.
class IClock {
public:
    virtual ~IClock() = default;
    virtual double Seconds() const = 0;
};

class CSteadyClock : public IClock {
public:
    double Seconds() const override;
};

// Test clock, advanced by hand.
class CManualClock : public IClock {
public:
    double Seconds() const override { return m_fNow; }
    void Advance(double s) { m_fNow += s; }
    void Set(double s) { m_fNow = s; }

private:
    double m_fNow = 0.0;
};

IClock& Clock();
void SetClock(IClock* clock);
