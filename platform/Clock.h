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

IClock& Clock();
void SetClock(IClock* clock);
