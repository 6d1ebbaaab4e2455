#include "tests/support/pipe_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

PipeGuard::PipeGuard(const std::string& path, int seconds) : m_path(path)
{
    m_made = ::mkfifo(path.c_str(), 0600) == 0;
    if (m_made)
        m_watcher = std::thread([this, seconds] { watch(seconds); });
}

PipeGuard::~PipeGuard()
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_finished.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

void PipeGuard::watch(int seconds)
{
    std::unique_lock lock(m_mutex);
    auto wait = std::chrono::seconds(seconds);
    while (!m_finished.wait_for(lock, wait, [this] { return m_done; })) {
        // a reader blocked in open() goes on once a writer has come and gone
        const int fd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
            m_released = true;
        }
        wait = std::chrono::seconds(1);
    }
}
