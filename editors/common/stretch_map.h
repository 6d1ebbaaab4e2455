#pragma once

#include <vector>

// A map of one axis of a window onto itself that only ever stretches: the axis
// is cut at every edge of every control, and each piece between two cuts is
// stretched by its own factor (at least 1). The map keeps the order of all
// edges, so rows, columns, frames and the order of controls stay as designed,
// and controls that did not overlap still do not.
class StretchMap {
public:
    void addEdge(int at);
    // Once mapped, the stretch from `from` to `to` must be at least `length` long.
    void require(int from, int to, int length);
    // Finds the factors: narrow requirements first, so that a wide span grows
    // only by what its narrow parts have not given it already.
    void solve();
    int map(int at) const;

private:
    struct Requirement {
        int from;
        int to;
        int length;
    };
    double mapped(int at) const;

    std::vector<int> m_edges;
    std::vector<double> m_factors;  // of the piece from m_edges[i] to m_edges[i + 1]
    std::vector<Requirement> m_requirements;
};
