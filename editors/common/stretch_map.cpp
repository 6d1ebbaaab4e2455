#include "editors/common/stretch_map.h"

#include <algorithm>
#include <cmath>

void StretchMap::addEdge(int at) { m_edges.push_back(at); }

void StretchMap::require(int from, int to, int length)
{
    if (to <= from || length <= to - from)
        return;  // an empty span cannot grow; one long enough needs nothing
    m_requirements.push_back({from, to, length});
    m_edges.push_back(from);
    m_edges.push_back(to);
}

void StretchMap::solve()
{
    std::sort(m_edges.begin(), m_edges.end());
    m_edges.erase(std::unique(m_edges.begin(), m_edges.end()), m_edges.end());
    m_factors.assign(m_edges.empty() ? 0 : m_edges.size() - 1, 1.0);
    std::stable_sort(m_requirements.begin(), m_requirements.end(),
                     [](const Requirement& a, const Requirement& b) { return a.to - a.from < b.to - b.from; });
    for (const Requirement& r : m_requirements) {
        const double have = mapped(r.to) - mapped(r.from);
        // a little over the length, so that rounding to whole pixels cannot lose one
        const double want = r.length + 0.01;
        if (have >= want)
            continue;
        // stretching never shrinks a span, so a requirement met stays met
        const double factor = want / have;
        for (std::size_t i = 0; i + 1 < m_edges.size(); ++i)
            if (m_edges[i] >= r.from && m_edges[i + 1] <= r.to)
                m_factors[i] *= factor;
    }
}

double StretchMap::mapped(int at) const
{
    if (m_edges.empty() || at <= m_edges.front())
        return at;
    double position = m_edges.front();
    for (std::size_t i = 0; i + 1 < m_edges.size(); ++i) {
        if (at <= m_edges[i + 1])
            return position + (at - m_edges[i]) * m_factors[i];
        position += (m_edges[i + 1] - m_edges[i]) * m_factors[i];
    }
    return position + (at - m_edges.back());  // past the last edge nothing stretches
}

int StretchMap::map(int at) const { return static_cast<int>(std::lround(mapped(at))); }
