#pragma once
#include "platform/Clock.h"

// Test clock, advanced by hand.
class CManualClock : public IClock {
public:
    double Seconds() const override { return m_fNow; }
    void Advance(double s) { m_fNow += s; }
    void Set(double s) { m_fNow = s; }

private:
    double m_fNow = 0.0;
};
