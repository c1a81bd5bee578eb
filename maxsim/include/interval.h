#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "interval.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxtypes.h"

// A range of times, both ends included.
class Interval {
public:
    Interval(TimeValue s, TimeValue e) : start(s), end(e) {}
    Interval() : start(0), end(-1) {}
    TimeValue Start() const { return start; }
    TimeValue End() const { return end; }
    void Set(TimeValue s, TimeValue e) {
        start = s;
        end = e;
    }
    void SetStart(TimeValue s) { start = s; }
    void SetEnd(TimeValue e) { end = e; }
    void SetEmpty() {
        start = TIME_NegInfinity;
        end = TIME_NegInfinity;
    }
    void SetInfinite() {
        start = TIME_NegInfinity;
        end = TIME_PosInfinity;
    }
    void SetInstant(TimeValue t) { start = end = t; }
    int Empty() const { return start == TIME_NegInfinity && end == TIME_NegInfinity; }
    int InInterval(TimeValue t) const { return t >= start && t <= end; }
    int operator==(const Interval& i) const { return start == i.start && end == i.end; }
    Interval operator&(const Interval& i) const {
        return Interval(start > i.start ? start : i.start, end < i.end ? end : i.end);
    }
    Interval& operator&=(const Interval& i) { return *this = *this & i; }

private:
    TimeValue start;
    TimeValue end;
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
