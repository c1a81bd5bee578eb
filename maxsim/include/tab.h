#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "tab.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"
#include <cstdlib>
#include <cstring>

// A growable table of plain values. Like the host's own, it moves its
// elements bytewise and never runs constructors or destructors.
template <class T>
class Tab {
public:
    Tab() : th(nullptr), count(0), alloc(0) {}
    Tab(const Tab& tb) : th(nullptr), count(0), alloc(0) { *this = tb; }
    ~Tab() { std::free(th); }

    Tab& operator=(const Tab& tb) {
        if (this != &tb) {
            SetCount(tb.count);
            if (tb.count)
                std::memcpy(th, tb.th, sizeof(T) * size_t(tb.count));
        }
        return *this;
    }

    int Count() const { return count; }
    void ZeroCount() { count = 0; }
    void SetCount(int n, BOOL resize = TRUE) {
        if (n < 0)
            n = 0;
        if (n > alloc || (resize && n != alloc && n > 0))
            Reserve(n);
        count = n;
    }
    T* Addr(const int i) const { return th + i; }
    T& operator[](const int i) const { return th[i]; }

    int Append(int num, T* el, int allocExtra = 0) {
        const int at = count;
        if (count + num > alloc)
            Reserve(count + num + allocExtra);
        if (num > 0)
            std::memcpy(th + count, el, sizeof(T) * size_t(num));
        count += num;
        return at;
    }

    int Insert(int at, int num, T* el) {
        if (at < 0)
            at = 0;
        if (at > count)
            at = count;
        if (count + num > alloc)
            Reserve(count + num);
        std::memmove(th + at + num, th + at, sizeof(T) * size_t(count - at));
        std::memcpy(th + at, el, sizeof(T) * size_t(num));
        count += num;
        return at;
    }

    int Delete(int start, int num) {
        if (start < 0 || start >= count || num <= 0)
            return count;
        if (start + num > count)
            num = count - start;
        std::memmove(th + start, th + start + num, sizeof(T) * size_t(count - start - num));
        count -= num;
        return count;
    }

    int Resize(int num) {
        if (num < count)
            num = count;
        Reserve(num);
        return 1;
    }
    void Shrink() { Reserve(count); }
    void Init() {
        th = nullptr;
        count = alloc = 0;
    }

private:
    void Reserve(int n) {
        if (n == alloc)
            return;
        if (n == 0) {
            std::free(th);
            th = nullptr;
            alloc = 0;
            return;
        }
        T* p = static_cast<T*>(std::realloc(th, sizeof(T) * size_t(n)));
        if (!p)
            std::abort();
        th = p;
        alloc = n;
    }

    T* th;
    int count;
    int alloc;
};
