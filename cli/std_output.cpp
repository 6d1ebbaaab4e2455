#include "cli/std_output.h"

#include "rom/platform/console.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include <unistd.h>

DescriptorBuffer::DescriptorBuffer(int fd, bool open) : m_fd(fd), m_open(open)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

bool DescriptorBuffer::drain()
{
    const char* from = pbase();
    const char* to = pptr();
    if (!m_failure.empty())
        return false;
    if (from != to && !m_open) {
        m_failure = "it is closed";
        return false;
    }
    while (from < to) {
        const ssize_t n = ::write(m_fd, from, static_cast<std::size_t>(to - from));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failure = n < 0 ? outputFailureReason(errno) : "nothing could be written";
            return false;
        }
        from += n;
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return true;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type ch)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int DescriptorBuffer::sync() { return drain() ? 0 : -1; }

std::string outputFailure(std::ostream& out)
{
    if (const auto* buffer = dynamic_cast<const DescriptorBuffer*>(out.rdbuf()); buffer && !buffer->failure().empty())
        return buffer->failure();
    return "the output could not be written";
}
