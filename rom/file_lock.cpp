#include "rom/file_lock.h"

#include "rom/platform/file_lock_calls.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

LockOutcome lockExclusive(std::FILE* file, std::chrono::milliseconds patience)
{
    if (LockedHere::isHere(file))
        return LockOutcome::Locked;
    using clock = std::chrono::steady_clock;
    const auto giveUp = clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        bool busy = false;
        if (tryLockFile(file, busy))
            return LockOutcome::Locked;
        if (!busy)
            return LockOutcome::Failed;
        if (clock::now() >= giveUp)
            return LockOutcome::Busy;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

bool sameOpenFile(std::FILE* a, std::FILE* b)
{
    unsigned long long deviceA = 0, numberA = 0, deviceB = 0, numberB = 0;
    if (!fileIdentity(a, deviceA, numberA) || !fileIdentity(b, deviceB, numberB))
        return true;
    return deviceA == deviceB && numberA == numberB;
}

namespace {

struct Marks {
    std::mutex guard;
    std::vector<std::pair<unsigned long long, unsigned long long>> held;  // device, file; once per mark
};

Marks& marks()
{
    static Marks all;
    return all;
}

}  // namespace

bool LockedHere::keyOf(std::FILE* file, Key& key) { return fileIdentity(file, key.device, key.file); }

LockedHere::LockedHere(std::FILE* file)
{
    if (!keyOf(file, m_key))
        return;  // then later opens wait on it as any other writer would
    std::lock_guard lock(marks().guard);
    marks().held.emplace_back(m_key.device, m_key.file);
    m_active = true;
}

LockedHere::LockedHere(LockedHere&& other) noexcept : m_key(other.m_key), m_active(other.m_active)
{
    other.m_active = false;
}

LockedHere::~LockedHere()
{
    if (!m_active)
        return;
    std::lock_guard lock(marks().guard);
    auto& held = marks().held;
    const auto it = std::find(held.begin(), held.end(), std::pair(m_key.device, m_key.file));
    if (it != held.end())
        held.erase(it);
}

bool LockedHere::isHere(std::FILE* file)
{
    Key key;
    if (!keyOf(file, key))
        return false;
    std::lock_guard lock(marks().guard);
    const auto& held = marks().held;
    return std::find(held.begin(), held.end(), std::pair(key.device, key.file)) != held.end();
}
