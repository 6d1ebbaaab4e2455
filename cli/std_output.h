#pragma once

#include <array>
#include <streambuf>
#include <string>

// The tool's standard output: a buffer over a file descriptor that keeps the
// reason of the first write that failed, so that the failure can be told on
// standard error (a full disk, a reader that went away, a closed output).
// After a failure everything further is dropped and the stream reports it.
class DescriptorBuffer : public std::streambuf {
public:
    // `open` false: the descriptor was closed when the tool started (and is
    // held by /dev/null so that no file opened later can take its place).
    DescriptorBuffer(int fd, bool open);

    // Empty while every write succeeded.
    const std::string& failure() const { return m_failure; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool drain();

    int m_fd;
    bool m_open;
    std::string m_failure;
    std::array<char, 1 << 16> m_buffer{};
};

// The reason `out` failed, when it writes through a DescriptorBuffer.
std::string outputFailure(std::ostream& out);
