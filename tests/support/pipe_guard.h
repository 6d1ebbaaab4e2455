#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A named pipe for tests of code that must never wait on one. Should the code
// block on the pipe all the same, a helper thread opens the pipe's other end
// after a few seconds and keeps doing so, which lets the blocked open go on;
// the test then fails on released() instead of hanging.
class PipeGuard {
public:
    // Makes the pipe at `path`; made() says whether that worked.
    explicit PipeGuard(const std::string& path, int seconds = 5);
    ~PipeGuard();

    bool made() const { return m_made; }
    bool released() const { return m_released; }

private:
    void watch(int seconds);

    std::string m_path;
    bool m_made = false;
    std::atomic<bool> m_released{false};
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_watcher;
};
