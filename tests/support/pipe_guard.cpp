#include "tests/support/pipe_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

PipeGuard::PipeGuard(const QString& path, int seconds) : m_path(path)
{
    m_made = ::mkfifo(path.toLocal8Bit().constData(), 0600) == 0;
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
    const QByteArray path = m_path.toLocal8Bit();
    std::unique_lock lock(m_mutex);
    auto wait = std::chrono::seconds(seconds);
    while (!m_finished.wait_for(lock, wait, [this] { return m_done; })) {
        // a reader blocked in open() goes on once a writer has come and gone
        const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
            m_released = true;
        }
        wait = std::chrono::seconds(1);
    }
}
