// A two-dimensional array whose element access never fails for a bad
// coordinate: reading outside gives tOutOfBoundsValue, writing outside is
// lost. The game's board is one.
#pragma once

#include <cstddef>
#include <vector>

template <class T, T tOutOfBoundsValue>
class T2DSafeArray {
public:
    T2DSafeArray() = default;
    T2DSafeArray(int width, int height) { Create(width, height); }

    // Replaces the storage with width x height elements (value-initialised;
    // the owner fills them). Does nothing unless both sizes are above 0.
    void Create(int width, int height)
    {
        if (width <= 0 || height <= 0)
            return;
        m_cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), T());
        m_width = width;
        m_height = height;
    }

    bool IsCreated() const { return m_width > 0; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    // The element (x, y), or, outside the array, a cell reset to
    // tOutOfBoundsValue on every call. Throws the plain message text
    // "Error in T2DSafeArray<T, tOutOfBoundsValue>::At" before the first
    // Create.
    T& At(int x, int y)
    {
        if (!IsCreated())
            throw static_cast<const char*>("Error in T2DSafeArray<T, tOutOfBoundsValue>::At");
        m_outOfBounds = tOutOfBoundsValue;
        if (x < 0 || x >= m_width || y < 0 || y >= m_height)
            return m_outOfBounds;
        return m_cells[static_cast<size_t>(x) * static_cast<size_t>(m_height) + static_cast<size_t>(y)];
    }
    // Read-only access: the value, tOutOfBoundsValue outside.
    T Get(int x, int y) const
    {
        if (!IsCreated())
            throw static_cast<const char*>("Error in T2DSafeArray<T, tOutOfBoundsValue>::At");
        if (x < 0 || x >= m_width || y < 0 || y >= m_height)
            return tOutOfBoundsValue;
        return m_cells[static_cast<size_t>(x) * static_cast<size_t>(m_height) + static_cast<size_t>(y)];
    }

private:
    // Column-major: column x holds height elements, as the board is
    // indexed (column, row).
    std::vector<T> m_cells;
    int m_width = 0;
    int m_height = 0;
    T m_outOfBounds = tOutOfBoundsValue;
};
