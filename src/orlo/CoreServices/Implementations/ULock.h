#pragma once

namespace orlo {

// A recursive lock: a critical section on Windows, a recursive mutex
// elsewhere. The platform type lives in the source file, so that no platform
// header reaches the library's users.
class ULock {
public:
    ULock();
    ~ULock();
    ULock(const ULock&) = delete;
    ULock& operator=(const ULock&) = delete;

    void Enter();
    void Leave();

private:
    alignas(8) unsigned char m_storage[64];
};

// Holds a lock for the life of a scope.
class ULockScope {
public:
    explicit ULockScope(ULock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~ULockScope() { m_lock.Leave(); }
    ULockScope(const ULockScope&) = delete;
    ULockScope& operator=(const ULockScope&) = delete;

private:
    ULock& m_lock;
};

} // namespace orlo
